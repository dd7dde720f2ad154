// A form holding one restricted edit and one restricted memo, and the typing helpers
// the restricted-control tests share.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "payee/RuleEdit.h"
#include "payee/fixmemo.h"
#include "tests/support/ModuleTest.h"
#include "ui/Controls.h"
#include "ui/Input.h"

namespace restricted_test {

// Runs body while form is shown modally, so that script actions can act on it.
inline void WhileShown(ui::HeadlessPlatform& platform, ui::TForm& form,
                       const std::function<void()>& body) {
  platform.SetOperator([&](ui::TForm& shown) {
    if (&shown == &form) {
      body();
    }
  });
  form.ShowModal();
  platform.SetOperator(nullptr);
}

// Locales the check is run on: a double-byte (GBK) one and a single-byte one.
inline constexpr const char* kDoubleByteLocale = "zh_CN.GBK";
inline constexpr const char* kSingleByteLocale = "en_US.UTF-8";

class RestrictedTest : public tavro_test::ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    Edit = ui::Create<payee::TRuleEdit>(&Form, &Form, "RuleEdt");
    Memo = ui::Create<payee::TFixedMemo>(&Form, &Form, "FixMmo");
    for (ui::TCustomEdit* control : Controls()) {
      control->OnChange = [this](ui::TComponent* sender) {
        Heard.push_back(static_cast<ui::TCustomEdit*>(sender)->Text());
      };
    }
  }

  std::vector<ui::TCustomEdit*> Controls() { return {Edit, Memo}; }

  // Puts text into control from code while it is disarmed (Delete at the end of its
  // text disarms and changes nothing), caret at caret, and forgets what was heard.
  void Prepare(ui::TCustomEdit& control, const std::string& text, int caret) {
    control.SetSelStart(static_cast<int>(control.Text().size()));
    ui::PressKey(control, ui::vk::Delete);
    control.SetText(text);
    control.SetSelStart(caret);
    Heard.clear();
  }

  // Text after typing typed into control that held before with the caret at caret.
  std::string TypeInto(ui::TCustomEdit& control, const std::string& before, int caret,
                       const std::string& typed) {
    Prepare(control, before, caret);
    ui::TypeText(control, typed);
    return control.Text();
  }

  ui::TForm Form{nullptr, "TestFrm"};
  payee::TRuleEdit* Edit = nullptr;
  payee::TFixedMemo* Memo = nullptr;
  std::vector<std::string> Heard;  // texts the change listeners saw, in order
};

}  // namespace restricted_test

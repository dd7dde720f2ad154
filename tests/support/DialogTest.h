// What the dialog tests share: the fixture of a dialog that reads its settings file from
// its own current folder (English unless a test selects another language), and helpers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "frame/ManageEdit.h"
#include "sys/Abi.h"
#include "tests/support/ModuleTest.h"
#include "ui/Controls.h"
#include "ui/Input.h"

namespace tavro_test {

// The call a dialog is made for, as an entry point reads it (no key, no extra).
inline frame::EntryArgs CallFor(HWND_T shell, std::string corpNo, std::string userNo = "",
                                std::int32_t functionId = 0) {
  frame::EntryArgs call;
  call.ShellWnd = shell;
  call.CorpNo = std::move(corpNo);
  call.UserNo = std::move(userNo);
  call.FunctionId = functionId;
  return call;
}

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

// The commands the fake host received, without their channel prefix; only those
// beginning with prefix when one is given.
inline Lines Commands(std::string_view prefix = "") {
  Lines commands;
  for (const fakehost::Call& call : fakehost::Calls()) {
    if (call.command.rfind(prefix, 0) == 0) commands.push_back(call.command);
  }
  return commands;
}

// What the shell is handed: the code, a blank, the text.
inline std::string Outcome(const TShellResult& result) {
  return std::to_string(result.Code) + " " + result.Text;
}

// The language file's boxes of the record dialogs (empty caption).
inline std::string LangBox(const std::string& text) {
  return Box(text, "");
}
inline std::string LangQuestion(const std::string& text, const char* answer) {
  return Question(text, answer, "");
}

// The English texts of a save over a record, its delete and its change of id.
inline const std::string kOverwriteQuestion = "The record exists already. Overwrite it?";
inline const std::string kDeleteQuestion = "Delete this record?";
inline const std::string kNoRecordBox = LangBox("The record does not exist.");
inline const std::string kInconsistentBox =
    LangBox("The payee records are inconsistent; the payee cannot be deleted or renamed.");
inline const std::string kNotDeletedBox = LangBox("The payee could not be deleted.");

class DialogTest : public ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    cwd_.emplace(TempDir());
    SetLanguage("EN");
  }
  void TearDown() override {
    cwd_.reset();
    ModuleTest::TearDown();
  }
  // For the dialogs opened from now on.
  void SetLanguage(const char* id) {
    WriteFile(TempDir() + "Tavro2007.ini", std::string("[Settings]\r\nLangId=") + id + "\r\n");
  }

  // The boxes shown since the count before was taken.
  Lines MessagesSince(std::size_t before) const {
    const Lines all = MessageLines();
    return {all.begin() + static_cast<std::ptrdiff_t>(before), all.end()};
  }
  std::string LastLine() { return Platform().Transcript().back(); }

 private:
  std::optional<ScopedCwd> cwd_;
};

}  // namespace tavro_test

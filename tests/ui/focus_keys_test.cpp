// Focus moves with their exit and enter events, tab order, and the keys that the form
// takes before the focused control: Enter, Escape and Tab.
#include <gtest/gtest.h>

#include "SampleForm.h"
#include "ui/Input.h"

namespace ui_test {
namespace {

using namespace ui;
using Strings = std::vector<std::string>;

class FocusKeysTest : public HeadlessTest {
 protected:
  TSampleFrm form;
};

// Showing the form focuses its active control, or the first in tab order; a focus that
// OnShow places is entered once.
TEST_F(FocusKeysTest, ShowingTheFormFocusesTheActiveControlOrTheFirstInTabOrder) {
  const struct {
    const char* active;  // set before showing, or nullptr
    const char* onShow;  // focused by OnShow, or nullptr
    const char* focused;
    Strings log;
  } cases[] = {{nullptr, nullptr, "NameEdt", {"NameEdt.enter"}},
               {"CityEdt", nullptr, "CityEdt", {"InfoGrp.enter", "CityEdt.enter"}},
               {"NoteMmo", "CityEdt", "CityEdt", {"InfoGrp.enter", "CityEdt.enter"}}};
  for (const auto& c : cases) {
    TSampleFrm f;
    if (c.active) {
      f.SetActiveControl(FindAs<TWinControl>(f, c.active));
    }
    if (c.onShow) {
      f.OnShow = [&](TComponent*) { FindAs<TWinControl>(f, c.onShow)->SetFocus(); };
    }
    EXPECT_TRUE(f.Log.empty());  // before showing: no events yet
    f.BeginModal();
    EXPECT_EQ(f.ActiveControl()->Name, c.focused);
    EXPECT_EQ(f.Log, c.log) << c.focused;
  }
}

TEST_F(FocusKeysTest, ExitAndEnterRunThroughTheContainersTheFocusCrosses) {
  form.BeginModal();
  struct Step {
    TWinControl* target;
    Strings events;
  } steps[] = {
      {form.CityEdt, {"NameEdt.exit", "InfoGrp.enter", "CityEdt.enter"}},
      {form.StatusCmb, {"CityEdt.exit", "StatusCmb.enter"}},
      {form.KindCmb, {"StatusCmb.exit", "InfoGrp.exit", "KindCmb.enter"}},
      {form.KindCmb, {}},
  };
  for (const auto& step : steps) {
    form.Log.clear();
    FocusByOperator(*step.target);
    EXPECT_EQ(form.Log, step.events) << step.target->Name;
    EXPECT_EQ(form.ActiveControl(), step.target);
  }
}

TEST_F(FocusKeysTest, AnExitHandlerThatKeepsTheFocusWins) {
  form.BeginModal();
  form.NameEdt->OnExit = [&](TComponent*) {
    form.Log.push_back("NameEdt.exit");
    form.NameEdt->SetFocus();
  };
  form.Log.clear();
  ClickControl(*form.UpdateBtn);  // the mouse would focus the button first
  EXPECT_EQ(form.ActiveControl(), form.NameEdt);
  EXPECT_EQ(form.Log, (Strings{"NameEdt.exit"}));  // no enter, and no click
}

TEST_F(FocusKeysTest, TabFollowsTabOrderSkippingWhatCannotTakeTheFocus) {
  form.BeginModal();
  form.NoteMmo->SetTabOrder(20);  // now after everything else of the form
  form.KindCmb->SetEnabled(false);
  form.StatusCmb->SetVisible(false);
  std::vector<std::string> visited;
  for (int i = 0; i < 11; ++i) {
    PressKey(*form.ActiveControl(), vk::Tab);
    visited.push_back(form.ActiveControl()->Name);
  }
  EXPECT_EQ(visited,
            (Strings{"CityEdt", "ActiveCkb", "OrderLbx", "RightClb", "MainDirTrv", "FolderLsv",
                     "FilenameEdt", "UpdateBtn", "CancelBtn", "NoteMmo", "NameEdt"}));
  PressKey(*form.NameEdt, vk::Tab, ssShift);
  EXPECT_EQ(form.ActiveControl(), form.NoteMmo);
}

TEST_F(FocusKeysTest, ArrowKeyHandlerMovesTheFocusAndConsumesTheKey) {
  form.BeginModal();
  form.NameEdt->OnKeyDown = [&](TComponent*, std::uint16_t& key, TShiftState) {
    if (key == vk::Down || key == vk::Return) {
      form.SelectNext(form.NameEdt, true);
      key = 0;
    }
  };
  form.UpdateBtn->SetEnabled(false);  // no default button: Enter reaches the edit
  form.Log.clear();
  PressKey(*form.NameEdt, vk::Down);
  EXPECT_EQ(form.ActiveControl(), form.NoteMmo);
  PressKey(*form.NameEdt, vk::Return);
  EXPECT_EQ(form.ActiveControl(), form.NoteMmo);
  EXPECT_EQ(form.NoteMmo->Text(), "");
  // The key is released over the control that has the focus by then.
  EXPECT_EQ(form.Log,
            (Strings{"NameEdt.exit", "NoteMmo.enter", "NoteMmo.keyup 40", "NoteMmo.exit",
                     "NameEdt.enter", "NameEdt.exit", "NoteMmo.enter", "NoteMmo.keyup 13"}));
}

// Enter and Escape go to the default and cancel buttons first, and Enter on a focused
// button clicks that button; Escape without a cancel button closes as the close box does.
TEST_F(FocusKeysTest, EnterAndEscapeGoToTheDefaultAndCancelButtonsFirst) {
  struct Case {
    std::uint16_t key;
    bool defaultEnabled, cancelShown, onCancelBtn;
    Strings log;
    int modalResult;
  };
  const Strings enter{"NameEdt.keydown 13", "NameEdt.keypress 13", "NameEdt.keyup 13"};
  const Strings escape{"NameEdt.keydown 27", "NameEdt.keypress 27", "NameEdt.keyup 27"};
  const Case cases[] = {{vk::Return, true, true, false, {"UpdateBtn.click"}, mrNone},
                        {vk::Escape, true, true, false, {"CancelBtn.click"}, mrCancel},
                        {vk::Return, false, true, false, enter, mrNone},
                        {vk::Escape, true, false, false, escape, mrCancel},
                        {vk::Return, true, true, true, {"CancelBtn.click"}, mrCancel}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.key << (c.defaultEnabled ? " default" : "")
                                    << (c.cancelShown ? " cancel" : "")
                                    << (c.onCancelBtn ? " on the cancel button" : ""));
    TSampleFrm f;
    f.BeginModal();
    f.UpdateBtn->SetEnabled(c.defaultEnabled);
    f.CancelBtn->SetVisible(c.cancelShown);
    TWinControl* target = c.onCancelBtn ? static_cast<TWinControl*>(f.CancelBtn) : f.NameEdt;
    FocusByOperator(*target);
    f.Log.clear();
    PressKey(*target, c.key);
    EXPECT_EQ(f.Log, c.log);
    EXPECT_EQ(f.ModalResult(), c.modalResult);
    EXPECT_EQ(f.NameEdt->Text(), "");
  }
}

// Escape without a cancel button: a handler that gives it a meaning takes it, and the
// form stays; otherwise the form closes as by its close box.
TEST_F(FocusKeysTest, EscapeThatAHandlerTakesDoesNotClose) {
  form.BeginModal();
  form.CancelBtn->SetVisible(false);
  form.NameEdt->OnKeyDown = [](TComponent*, std::uint16_t& key, TShiftState) {
    if (key == vk::Escape) {
      key = 0;
    }
  };
  form.NameEdt->OnKeyPress = [](TComponent*, char& key) {
    if (key == '\x1b') {
      key = 0;
    }
  };
  PressKey(*form.NameEdt, vk::Escape);
  EXPECT_EQ(form.ModalResult(), mrNone);
  form.NameEdt->OnKeyDown = nullptr;
  PressKey(*form.NameEdt, vk::Escape);
  EXPECT_EQ(form.ModalResult(), mrNone) << "taken as a character";
  form.NameEdt->OnKeyPress = nullptr;
  PressKey(*form.NameEdt, vk::Escape);
  EXPECT_EQ(form.ModalResult(), mrCancel);
}

// A group of radio buttons with the keyboard: the arrows move to the next button (over
// a disabled one, round the group) and check it; Space checks the focused one.
TEST_F(FocusKeysTest, ArrowsMoveAndCheckWithinARadioGroup) {
  form.BeginModal();
  auto* group = Create<TRadioGroup>(&form, &form, "KindGrp");
  auto* rmb = Create<TRadioButton>(&form, group, "RMBrbtn");
  auto* off = Create<TRadioButton>(&form, group, "OffRbtn");
  auto* other = Create<TRadioButton>(&form, group, "Otherrbtn");
  off->SetEnabled(false);
  int clicks = 0;
  rmb->OnClick = other->OnClick = [&](TComponent*) { ++clicks; };
  PressKey(*rmb, vk::Space);
  EXPECT_TRUE(rmb->Checked());
  PressKey(*rmb, vk::Down);
  EXPECT_EQ(form.ActiveControl(), other);
  EXPECT_TRUE(other->Checked());
  EXPECT_FALSE(rmb->Checked());
  PressKey(*other, vk::Right);  // round to the first
  EXPECT_EQ(form.ActiveControl(), rmb);
  EXPECT_TRUE(rmb->Checked());
  PressKey(*rmb, vk::Up);
  EXPECT_TRUE(other->Checked());
  EXPECT_EQ(clicks, 4);
}

TEST_F(FocusKeysTest, KeyPreviewLetsTheFormSeeKeysFirst) {
  form.BeginModal();
  form.SetKeyPreview(true);
  form.OnKeyDown = [&](TComponent*, std::uint16_t& key, TShiftState) {
    if (key == vk::F2) {
      form.Log.push_back("form.F2");
      key = 0;
    }
  };
  form.Log.clear();
  PressKey(*form.NameEdt, vk::F2);
  PressKey(*form.NameEdt, vk::F1);
  EXPECT_EQ(form.Log,
            (Strings{"form.F2", "NameEdt.keyup 113", "NameEdt.keydown 112", "NameEdt.keyup 112"}));
}

}  // namespace
}  // namespace ui_test

// Focus moves with their exit and enter events, tab order, and the keys the form takes
// before the focused control: Enter, Escape, Tab, the arrows in a radio group.
#include <gtest/gtest.h>

#include "SampleForm.h"
#include "ui/Input.h"

namespace ui_test {
namespace {

using namespace ui;
using Strings = std::vector<std::string>;

class FocusKeysTest : public HeadlessTest {
 protected:
  void SetUp() override {
    form.BeginModal();
    form.Log.clear();
  }
  TSampleFrm form;
};

// Showing the form focuses its active control, or the first in tab order; a focus that
// OnShow places is entered once.
TEST_F(FocusKeysTest, ShowingTheFormFocusesTheActiveControlOrTheFirstInTabOrder) {
  const struct {
    const char* active;  // set before showing, or nullptr
    const char* onShow;  // focused by OnShow, or nullptr
    Strings log;
  } cases[] = {{nullptr, nullptr, {"NameEdt.enter"}},
               {"CityEdt", nullptr, {"InfoGrp.enter", "CityEdt.enter"}},
               {"NoteMmo", "CityEdt", {"InfoGrp.enter", "CityEdt.enter"}}};
  for (const auto& c : cases) {
    TSampleFrm f;
    if (c.active) {
      f.SetActiveControl(FindAs<TWinControl>(f, c.active));
    }
    if (c.onShow) {
      f.OnShow = [&](TComponent*) { FindAs<TWinControl>(f, c.onShow)->SetFocus(); };
    }
    f.BeginModal();
    EXPECT_EQ(f.Log, c.log) << c.log.back();
    EXPECT_EQ(f.ActiveControl()->Name + ".enter", c.log.back());
  }
}

TEST_F(FocusKeysTest, ExitAndEnterRunThroughTheContainersTheFocusCrosses) {
  const std::pair<TWinControl*, Strings> steps[] = {
      {form.CityEdt, {"NameEdt.exit", "InfoGrp.enter", "CityEdt.enter"}},
      {form.StatusCmb, {"CityEdt.exit", "StatusCmb.enter"}},
      {form.KindCmb, {"StatusCmb.exit", "InfoGrp.exit", "KindCmb.enter"}},
      {form.KindCmb, {}},
  };
  for (const auto& [target, events] : steps) {
    form.Log.clear();
    FocusByOperator(*target);
    EXPECT_EQ(form.Log, events) << target->Name;
    EXPECT_EQ(form.ActiveControl(), target);
  }
}

TEST_F(FocusKeysTest, AnExitHandlerThatKeepsTheFocusWins) {
  form.NameEdt->OnExit = [&](TComponent*) {
    form.Log.push_back("NameEdt.exit");
    form.NameEdt->SetFocus();
  };
  ClickControl(*form.UpdateBtn);  // the mouse would focus the button first
  EXPECT_EQ(form.ActiveControl(), form.NameEdt);
  EXPECT_EQ(form.Log, (Strings{"NameEdt.exit"}));  // no enter, and no click
}

TEST_F(FocusKeysTest, TabFollowsTabOrderSkippingWhatCannotTakeTheFocus) {
  form.NoteMmo->SetTabOrder(20);  // now after everything else of the form
  form.KindCmb->SetEnabled(false);
  form.StatusCmb->SetVisible(false);
  Strings visited;
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

// Enter and Escape go to the default and cancel buttons first, Enter on a focused button
// clicks it; Escape without a cancel button closes as the close box does, unless a
// handler takes the key or its character.
TEST_F(FocusKeysTest, EnterAndEscapeGoToTheDefaultAndCancelButtonsFirst) {
  const Strings enter{"NameEdt.keydown 13", "NameEdt.keypress 13", "NameEdt.keyup 13"};
  const Strings escape{"NameEdt.keydown 27", "NameEdt.keypress 27", "NameEdt.keyup 27"};
  const struct {
    std::uint16_t key;
    bool defaultEnabled, cancelShown, onCancelBtn;
    int swallow;  // 1: key down takes Escape, 2: key press takes it
    Strings log;
    int modalResult;
  } cases[] = {
      {vk::Return, true, true, false, 0, {"UpdateBtn.click"}, mrNone},
      {vk::Escape, true, true, false, 0, {"CancelBtn.click"}, mrCancel},
      {vk::Return, false, true, false, 0, enter, mrNone},
      {vk::Escape, true, false, false, 0, escape, mrCancel},
      {vk::Escape, true, false, false, 1, {"NameEdt.keyup 27"}, mrNone},
      {vk::Escape, true, false, false, 2, {"NameEdt.keydown 27", "NameEdt.keyup 27"}, mrNone},
      {vk::Return, true, true, true, 0, {"CancelBtn.click"}, mrCancel}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.key << " default " << c.defaultEnabled << " cancel " << c.cancelShown
                 << " on it " << c.onCancelBtn << " swallow " << c.swallow);
    TSampleFrm f;
    f.BeginModal();
    f.UpdateBtn->SetEnabled(c.defaultEnabled);
    f.CancelBtn->SetVisible(c.cancelShown);
    if (c.swallow == 1) {
      f.NameEdt->OnKeyDown = [](TComponent*, std::uint16_t& key, TShiftState) { key = 0; };
    } else if (c.swallow == 2) {
      f.NameEdt->OnKeyPress = [](TComponent*, char& key) { key = 0; };
    }
    TWinControl* target = c.onCancelBtn ? static_cast<TWinControl*>(f.CancelBtn) : f.NameEdt;
    FocusByOperator(*target);
    f.Log.clear();
    PressKey(*target, c.key);
    EXPECT_EQ(f.Log, c.log);
    EXPECT_EQ(f.ModalResult(), c.modalResult);
    EXPECT_EQ(f.NameEdt->Text(), "");
  }
}

// Checking a radio button unchecks its siblings; the arrows move to the next button (over
// a disabled one, round the group) and check it; Space checks the focused one.
TEST_F(FocusKeysTest, RadioButtonsCheckOneOfTheGroupByClickAndArrows) {
  auto* group = Create<TRadioGroup>(&form, &form, "KindGrp");
  auto* rmb = Create<TRadioButton>(&form, group, "RMBrbtn");
  auto* off = Create<TRadioButton>(&form, group, "OffRbtn");
  auto* other = Create<TRadioButton>(&form, group, "Otherrbtn");
  off->SetEnabled(false);
  int clicks = 0;
  rmb->OnClick = other->OnClick = [&](TComponent*) { ++clicks; };
  PressKey(*rmb, vk::Space);
  EXPECT_TRUE(rmb->Checked());
  ClickControl(*other);
  ClickControl(*other);
  EXPECT_FALSE(rmb->Checked());
  PressKey(*other, vk::Right);  // round to the first
  EXPECT_EQ(form.ActiveControl(), rmb);
  EXPECT_TRUE(rmb->Checked());
  EXPECT_FALSE(other->Checked());
  PressKey(*rmb, vk::Down);
  EXPECT_EQ(form.ActiveControl(), other);
  EXPECT_TRUE(other->Checked());
  EXPECT_EQ(clicks, 4);
}

TEST_F(FocusKeysTest, KeyPreviewLetsTheFormSeeKeysFirst) {
  form.SetKeyPreview(true);
  form.OnKeyDown = [&](TComponent*, std::uint16_t& key, TShiftState) {
    if (key == vk::F2) {
      key = 0;
    }
  };
  PressKey(*form.NameEdt, vk::F2);
  PressKey(*form.NameEdt, vk::F1);
  EXPECT_EQ(form.Log, (Strings{"NameEdt.keyup 113", "NameEdt.keydown 112", "NameEdt.keyup 112"}));
}

}  // namespace
}  // namespace ui_test

// The event rules of the model (what code fires and what only the operator fires, modal
// results, ownership, fonts), focus moves and the keys the form takes before the focused
// control, the change records a platform drains after each input, and the kind dispatch
// of the control visitor.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <tuple>
#include <utility>

#include "SampleForm.h"
#include "ui/Input.h"
#include "ui/VisitKind.h"

namespace ui_test {
namespace {

using namespace ui;
using Strings = std::vector<std::string>;
using Notices = std::vector<TRowNotice>;

class EventsTest : public FormTest {
 protected:
  void SetUp() override {
    form.MainDirTrv->LoadOutline("root\n\tchild");
    form.FolderLsv->AddItem("r0", {"a"});
    form.FolderLsv->AddItem("r1", {"b"});
    FormTest::SetUp();
  }
};
class FocusKeysTest : public FormTest {};

TEST_F(EventsTest, SettingTextFiresChangeOnlyWhenItDiffers) {
  form.NameEdt->SetText("abc");
  form.NameEdt->SetText("abc");
  form.NoteMmo->SetLines({"x", "y"});
  EXPECT_EQ(form.Log, (Strings{"NameEdt.change", "NoteMmo.change"}));
}

TEST_F(EventsTest, SelectionFromCodeIsSilentAndTheOperatorsFiresTheEvent) {
  const std::tuple<const char*, std::function<void()>, TWinControl*> cases[] = {
      {"StatusCmb.change", [&] { form.StatusCmb->SetItemIndex(1); }, form.StatusCmb},
      {"OrderLbx.click", [&] { form.OrderLbx->SetItemIndex(1); }, form.OrderLbx},
      {"RightClb.click", [&] { form.RightClb->SetItemIndex(1); }, form.RightClb},
      {"FolderLsv.click", [&] { form.FolderLsv->SetItemIndex(1); }, form.FolderLsv},
      {"MainDirTrv.click", [&] { form.MainDirTrv->SetSelected(form.MainDirTrv->Node(1)); },
       form.MainDirTrv},
  };
  for (const auto& [event, byCode, control] : cases) {
    byCode();
    EXPECT_EQ(Count(event), 0) << event;
    SelectItem(*control, 0);
    EXPECT_EQ(Count(event), 1) << event;
  }
  EXPECT_EQ(form.MainDirTrv->Selected(), form.MainDirTrv->Node(0));
}

TEST_F(EventsTest, ComboBoxTextFollowsItsItems) {
  form.StatusCmb->SetText("nothing like it");  // a drop-down list has no free text
  EXPECT_EQ(form.StatusCmb->Text(), "");
  // It jumps to the next item that starts with the typed letter, round to the last.
  TypeText(*form.StatusCmb, "2");
  EXPECT_EQ(form.StatusCmb->ItemIndex(), 2);
  form.StatusCmb->SetText("1:WAITING");  // the list ignores the case of Latin letters
  EXPECT_EQ(form.StatusCmb->ItemIndex(), 1);
  EXPECT_EQ(Count("StatusCmb.change"), 1);
  EXPECT_EQ(IndexOfItem({Gbk("甲"), Gbk("乙")}, Gbk("乙")), 1);
  EXPECT_EQ(IndexOfItem({"\x81\x41"}, "\x81\x61"), -1);  // two characters, not two cases

  form.KindCmb->SetText("x");
  EXPECT_EQ(form.KindCmb->ItemIndex(), -1);
  form.KindCmb->SetSelStart(1);
  PressKey(*form.KindCmb, vk::Back);
  TypeText(*form.KindCmb, "b");
  EXPECT_EQ(form.KindCmb->ItemIndex(), 1);
  EXPECT_EQ(Count("KindCmb.change"), 2);
}

TEST_F(EventsTest, CheckBoxAndCheckListMarks) {
  form.ActiveCkb->SetChecked(true);
  form.ActiveCkb->SetChecked(true);
  EXPECT_EQ(Count("ActiveCkb.click"), 1);
  ClickControl(*form.ActiveCkb);  // the operator toggles it
  EXPECT_FALSE(form.ActiveCkb->Checked());
  PressKey(*form.ActiveCkb, vk::Space);
  EXPECT_TRUE(form.ActiveCkb->Checked());
  EXPECT_EQ(Count("ActiveCkb.click"), 3);

  // A check list box's marks from code are silent; the operator's fire ClickCheck.
  form.RightClb->SetChecked(0, true);
  CheckItem(*form.RightClb, 1, true);
  CheckItem(*form.RightClb, 1, true);  // already checked: nothing happens
  EXPECT_EQ(Count("RightClb.clickcheck"), 1);
  EXPECT_TRUE(form.RightClb->Checked(0));
  EXPECT_FALSE(form.RightClb->Checked(2));
  form.RightClb->SetItems({"a", "b"});
  EXPECT_FALSE(form.RightClb->Checked(0));
  EXPECT_FALSE(form.RightClb->Checked(7));
}

TEST_F(EventsTest, ButtonGivesTheFormItsModalResultBeforeItsHandlerRuns) {
  form.UpdateBtn->SetModalResult(mrOk);
  int seen = -1;
  form.UpdateBtn->OnClick = [&](TComponent*) {
    seen = form.ModalResult();
    form.SetModalResult(mrNone);  // a handler may keep the form open
  };
  ClickControl(*form.UpdateBtn);
  EXPECT_EQ(seen, mrOk);
  EXPECT_EQ(form.ModalResult(), mrNone);
  auto* ok = Create<TBitBtn>(&form, &form, "OkBtn");
  ok->SetKind(bkOK);
  ClickControl(*ok);
  EXPECT_EQ(form.ModalResult(), mrOk);
  form.AllowClose = false;  // a refused close query resets the result
  EXPECT_FALSE(form.CloseQuery());
  EXPECT_EQ(form.ModalResult(), mrNone);
}

TEST_F(EventsTest, OwnerFreesItsComponentsAndFindsThemByName) {
  auto* panel = Create<TPanel>(&form, &form, "AddrPnl");
  auto* inner = Create<TEdit>(panel, panel, "InnerEdt");  // a compound control's part
  EXPECT_EQ(form.FindComponent("InnerEdt"), inner);
  EXPECT_EQ(FindAs<TEdit>(form, "AddrPnl"), nullptr);
  inner->SetFocus();
  const int before = form.ComponentCount();
  delete panel;  // its part goes with it and leaves the focus
  EXPECT_EQ(form.ComponentCount(), before - 1);
  EXPECT_EQ(form.ActiveControl(), nullptr);
  EXPECT_EQ(form.FindComponent("InnerEdt"), nullptr);
}

TEST_F(EventsTest, FontComesFromTheParentUntilTheControlHasItsOwn) {
  auto* rule = Create<TEdit>(&form, form.InfoGrp, "RuleEdt");
  TFont courier = rule->Font();
  courier.Name = "Courier New";
  rule->SetFont(courier);
  form.SetFont(TFont{Gbk("宋体"), 10, 134});
  EXPECT_EQ(form.CityEdt->Font(), (TFont{Gbk("宋体"), 10, 134}));
  EXPECT_EQ(rule->Font().Name, "Courier New");
}

TEST_F(EventsTest, ResizeTabsAndMenuItems) {
  int resized = 0;
  form.InfoGrp->OnResize = [&](TComponent*) { ++resized; };
  form.InfoGrp->SetBounds(10, 10, 323, 100);
  form.InfoGrp->SetLeft(20);
  form.InfoGrp->SetWidth(323);
  form.InfoGrp->SetHeight(90);
  EXPECT_EQ(resized, 2);

  auto* pages = Create<TPageControl>(&form, &form, "PagesPgc");
  auto* first = Create<TTabSheet>(&form, pages, "FirstTab");
  auto* second = Create<TTabSheet>(&form, pages, "SecondTab");
  int changes = 0;
  pages->OnChange = [&](TComponent*) { ++changes; };
  pages->SetActivePage(first);
  ClickControl(*second);
  ClickControl(*second);
  EXPECT_EQ(pages->ActivePage(), second);
  EXPECT_EQ(changes, 1);

  auto* edit = Create<TMenuItem>(&form, nullptr, "EditMit", form.ListPmn);
  ClickMenuItem(*form.NewMit);
  EXPECT_EQ(Count("NewMit.click"), 1);
  delete edit;
  EXPECT_EQ(form.ListPmn->Items().size(), 1u);
}

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

// The form's changed controls by name, their records taken.
Strings Drain(TForm& form) {
  Strings names;
  for (TControl* control : form.TakeChangedControls()) {
    names.push_back(control->Name);
    control->TakeChanges();
  }
  return names;
}

TEST(ChangeRecord, ASetterListsItsControlOnceAndADrainEmptiesTheList) {
  TSampleFrm form;
  Drain(form);
  form.UpdateBtn->SetEnabled(false);
  form.NameEdt->SetText("abc");
  form.UpdateBtn->SetCaption("Save");
  form.CityEdt->SetEnabled(true);  // already enabled: nothing changes
  EXPECT_EQ(Drain(form), (Strings{"UpdateBtn", "NameEdt"}));
  EXPECT_TRUE(Drain(form).empty());
  form.OrderLbx->SetItemIndex(2);
  EXPECT_EQ(form.TakeChangedControls().at(0)->TakeChanges().What(), chSelection);

  // Controls leaving the form leave its list; a destroyed one is gone at once.
  form.CityEdt->SetText("Hangzhou");
  auto* panel = Create<TPanel>(&form, nullptr, "LoosePnl");
  form.InfoGrp->SetParent(panel);
  EXPECT_EQ(Drain(form), (Strings{"SampleFrm"}));  // its children changed
  EXPECT_EQ(form.CityEdt->Changes().What(), chText | chSelection);
  auto* late = Create<TLabel>(&form, &form, "LateLbl");
  late->SetCaption("late");
  delete late;
  const Strings names = Drain(form);
  EXPECT_EQ(std::count(names.begin(), names.end(), "LateLbl"), 0);
}

// Changes a list by steps: "+2" inserts a row at 2, "-2" deletes row 2, "=2" sets row 2
// to a new text, "K2" sets it to its own text "K2", "*" replaces all the items.
void Apply(TListBox& list, const std::string& steps) {
  int n = 0;
  for (std::size_t i = 0; i < steps.size(); i += 3) {
    const int row = steps[i + 1] - '0';
    const std::string text = "N" + std::to_string(++n);
    switch (steps[i]) {
      case '+':
        list.InsertItem(row, text);
        break;
      case '-':
        list.DeleteItem(row);
        break;
      case '=':
        list.SetItem(row, text);
        break;
      case 'K':
        list.SetItem(row, std::string("K") + steps[i + 1]);
        break;
      default:
        list.SetItems({text});
    }
  }
}

// Each case changes a shown list of five rows (K0..K4): the notices replay the change.
TEST(ChangeRecord, RowNoticesSayWhichRowsCameWentOrChanged) {
  const std::pair<std::string, Notices> cases[] = {
      {"+2 +3", {{TRowNotice::Inserted, 2, 2}}},
      {"-1 -1", {{TRowNotice::Removed, 1, 2}}},
      {"-3 -2", {{TRowNotice::Removed, 2, 2}}},
      {"=2 =1", {{TRowNotice::Changed, 1, 2}}},
      {"K1", {}},
      {"+1 -1", {}},
      {"+0 -4", {{TRowNotice::Inserted, 0, 1}, {TRowNotice::Removed, 4, 1}}},
      {"*0", {TRowNotice{}}},
      // More notices than a view gains from.
      {"=0 =4 =0 =4 =0 =4 =0 =4 =0 =4 =0 =4 =0 =4 =0 =4 =0 =4 =0 =4", {TRowNotice{}}},
  };
  for (const auto& [steps, notices] : cases) {
    TSampleFrm form;
    form.OrderLbx->SetItems({"K0", "K1", "K2", "K3", "K4"});
    Drain(form);
    Apply(*form.OrderLbx, steps);
    EXPECT_EQ(form.OrderLbx->Changes().Rows(), notices) << steps;
  }
}

// A check list box's marks follow its rows; a tree's nodes are rows of their parent.
TEST(ChangeRecord, MarksAndNodesAreNoticed) {
  TSampleFrm form;
  TCheckListBox& rights = *form.RightClb;  // query, add, modify
  rights.SetChecked(2, true);
  Drain(form);
  rights.InsertItem(1, "print");
  EXPECT_EQ(rights.Changes().Rows(), (Notices{{TRowNotice::Inserted, 1, 1}}));
  EXPECT_TRUE(rights.Checked(3)) << "the mark of modify moves with it";
  rights.SetItem(3, "change");
  EXPECT_FALSE(rights.Checked(3)) << "a renamed item loses its mark";
  form.FolderLsv->AddItem("K1");
  Drain(form);
  form.FolderLsv->BeginUpdate();
  for (const char* row : {"R0", "R1", "R2"}) {
    form.FolderLsv->AddItem(row, {"1.00"});
  }
  form.FolderLsv->EndUpdate();
  EXPECT_EQ(form.FolderLsv->Changes().Rows(), (Notices{{TRowNotice::Inserted, 1, 3}}));

  TTreeView& tree = *form.MainDirTrv;
  tree.LoadOutline("a\n\tb\nc");
  TTreeNode* a = tree.Node(0);
  Drain(form);
  tree.AddChild(a, "b2");
  tree.AddChild(a, "b3");
  TTreeNode* d = tree.AddChild(nullptr, "d");
  tree.AddChild(d, "d1");  // comes with its new parent
  EXPECT_EQ(tree.Changes().Rows(),
            (Notices{{TRowNotice::Inserted, 1, 2, a}, {TRowNotice::Inserted, 2, 1, nullptr}}));
  tree.AddChild(a, "b4");  // a parent told twice between others resets
  EXPECT_EQ(tree.Changes().Rows(), (Notices{TRowNotice{}}));
}

// Records the class of the Visit that ran.
template <bool IsConst>
class KindNamer : public BasicControlVisitor<IsConst> {
 public:
  template <class T>
  using Ref = typename BasicControlVisitor<IsConst>::template Ref<T>;
  std::string seen;
  void Visit(Ref<TComponent>) override { seen = "TComponent"; }
#define TAVRO_TEST_NAME_KIND(Kind, Base) \
  void Visit(Ref<Kind>) override {       \
    seen = #Kind;                        \
  }
  TAVRO_UI_CONTROL_KINDS(TAVRO_TEST_NAME_KIND)
#undef TAVRO_TEST_NAME_KIND
};

#define TAVRO_TEST_KIND_NAME(Kind, Base) #Kind,
const std::set<std::string> kKinds = {"TComponent", TAVRO_UI_CONTROL_KINDS(TAVRO_TEST_KIND_NAME)};
#undef TAVRO_TEST_KIND_NAME

// Every kind reaches the Visit of its own class, const or not, and has its class name.
TEST(ControlVisitor, EveryKindIsVisitedAsItself) {
  TForm form(nullptr, "Form");
  auto* menu = Create<TPopupMenu>(&form, nullptr, "Menu");
  const std::vector<std::pair<TComponent*, std::string>> kinds = {
      {&form, "TForm"},
      {Create<TComponent>(&form, nullptr, "Plain"), "TComponent"},
      {Create<TControl>(&form, &form, "Control"), "TControl"},
      {Create<TWinControl>(&form, &form, "Windowed"), "TWinControl"},
      {Create<TLabel>(&form, &form, "Label"), "TLabel"},
      {Create<TButton>(&form, &form, "Button"), "TButton"},
      {Create<TBitBtn>(&form, &form, "BitBtn"), "TBitBtn"},
      {Create<TCheckBox>(&form, &form, "CheckBox"), "TCheckBox"},
      {Create<TRadioButton>(&form, &form, "Radio"), "TRadioButton"},
      {Create<TGroupBox>(&form, &form, "Group"), "TGroupBox"},
      {Create<TRadioGroup>(&form, &form, "Radios"), "TRadioGroup"},
      {Create<TPanel>(&form, &form, "Panel"), "TPanel"},
      {Create<TTabSheet>(&form, &form, "Sheet"), "TTabSheet"},
      {Create<TPageControl>(&form, &form, "Pages"), "TPageControl"},
      {Create<TCustomEdit>(&form, &form, "Custom", false), "TCustomEdit"},
      {Create<TEdit>(&form, &form, "Edit"), "TEdit"},
      {Create<TMemo>(&form, &form, "Memo"), "TMemo"},
      {Create<TFileNameEdit>(&form, &form, "File"), "TFileNameEdit"},
      {Create<TComboBox>(&form, &form, "Combo"), "TComboBox"},
      {Create<TListBox>(&form, &form, "List"), "TListBox"},
      {Create<TCheckListBox>(&form, &form, "Checks"), "TCheckListBox"},
      {Create<TTreeView>(&form, &form, "Tree"), "TTreeView"},
      {Create<TListView>(&form, &form, "View"), "TListView"},
      {menu, "TPopupMenu"},
      {Create<TMenuItem>(&form, nullptr, "Item", menu), "TMenuItem"},
      {Create<TPrintDialog>(&form, nullptr, "Print"), "TPrintDialog"},
  };
  std::set<std::string> covered;
  for (const auto& [component, kind] : kinds) {
    KindNamer<false> namer;
    component->Accept(namer);
    KindNamer<true> constNamer;
    std::as_const(*component).Accept(constNamer);
    EXPECT_EQ(namer.seen, kind) << component->Name;
    EXPECT_EQ(constNamer.seen, kind) << component->Name;
    // The platform's own class names; the file name edit's spells "name" in lower case.
    EXPECT_EQ(component->ClassName(), kind == "TFileNameEdit" ? "TFilenameEdit" : kind);
    covered.insert(namer.seen);
  }
  EXPECT_EQ(covered, kKinds) << "a kind of the table left out of this test";
}

// A kind a visitor does not name reaches the Visit of its nearest base, in a visitor
// class and in VisitKind alike.
class Families : public ConstControlVisitor {
 public:
  using ConstControlVisitor::Visit;
  std::string seen = "other";
  void Visit(const TButton&) override { seen = "button"; }
  void Visit(const TCustomEdit&) override { seen = "edit"; }
  void Visit(const TWinControl&) override { seen = "windowed"; }
};

TEST(ControlVisitor, AKindWithoutAVisitOfItsOwnGoesToItsNearestBase) {
  TForm form(nullptr, "Form");
  const std::pair<const TComponent*, std::string> cases[] = {
      {Create<TBitBtn>(&form, &form, "BitBtn"), "button"},
      {Create<TFileNameEdit>(&form, &form, "File"), "edit"},
      {Create<TCheckListBox>(&form, &form, "Checks"), "windowed"},
      {Create<TLabel>(&form, &form, "Label"), "other"},
  };
  for (const auto& [component, family] : cases) {
    Families families;
    component->Accept(families);
    EXPECT_EQ(families.seen, family) << component->Name;
    const std::string inPlace = VisitKind(
        *component, [](const TButton&) { return "button"; },
        [](const TCustomEdit&) { return "edit"; }, [](const TWinControl&) { return "windowed"; },
        [](const TComponent&) { return "other"; });
    EXPECT_EQ(inPlace, family) << component->Name;
  }
}

}  // namespace
}  // namespace ui_test

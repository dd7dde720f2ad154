// The change records a platform drains after each input: which controls a change puts
// on their form's list, and the row notices that take a shown list to the list as it is.
#include <gtest/gtest.h>

#include <algorithm>

#include "SampleForm.h"

namespace ui_test {
namespace {

using namespace ui;
using Notices = std::vector<TRowNotice>;

// The form's changed controls by name, their records taken.
std::vector<std::string> Drain(TForm& form) {
  std::vector<std::string> names;
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
  ASSERT_EQ(Drain(form), (std::vector<std::string>{"UpdateBtn", "NameEdt"}));
  EXPECT_TRUE(form.UpdateBtn->Changes().Empty());
  EXPECT_TRUE(Drain(form).empty());

  form.UpdateBtn->SetEnabled(true);
  form.OrderLbx->SetItemIndex(2);
  std::vector<TControl*> changed = form.TakeChangedControls();
  ASSERT_EQ(changed.size(), 2u);
  EXPECT_EQ(changed[0]->TakeChanges().What(), chEnabled);
  EXPECT_EQ(changed[1]->TakeChanges().What(), chSelection);
  // A control whose record was not taken is listed again when it changes again.
  form.OrderLbx->SetItemIndex(3);
  form.OrderLbx->SetItemIndex(1);
  EXPECT_EQ(Drain(form), (std::vector<std::string>{"OrderLbx"}));
}

TEST(ChangeRecord, ControlsLeavingTheFormLeaveItsList) {
  TSampleFrm form;
  Drain(form);
  form.CityEdt->SetText("Hangzhou");
  form.StatusCmb->SetItemIndex(1);
  auto* panel = Create<TPanel>(&form, nullptr, "LoosePnl");
  form.InfoGrp->SetParent(panel);  // the group and its edits leave the form
  EXPECT_EQ(Drain(form), (std::vector<std::string>{"SampleFrm"}));  // its children changed
  EXPECT_EQ(form.CityEdt->Changes().What(), chText | chSelection);

  // A destroyed control is gone from the list at once.
  form.InfoGrp->SetParent(&form);
  auto* late = Create<TLabel>(&form, &form, "LateLbl");
  late->SetCaption("late");
  delete late;
  const std::vector<std::string> names = Drain(form);
  EXPECT_EQ(std::count(names.begin(), names.end(), "LateLbl"), 0);
  EXPECT_EQ(std::count(names.begin(), names.end(), "InfoGrp"), 1);
}

// Each case changes a list of five rows (K0..K4) that a platform has shown; the notices
// must be exactly the ones that replay the change.
TEST(ChangeRecord, RowNoticesSayWhichRowsCameWentOrChanged) {
  const struct {
    const char* what;
    void (*change)(TListBox&);
    Notices notices;
  } cases[] = {
      {"rows 2..5 inserted one by one",
       [](TListBox& l) {
         for (int i = 2; i < 6; ++i) {
           l.InsertItem(i, "N" + std::to_string(i));
         }
       },
       {{TRowNotice::Inserted, 2, 4}}},
      {"three rows appended",
       [](TListBox& l) {
         l.AddItem("a");
         l.AddItem("b");
         l.AddItem("c");
       },
       {{TRowNotice::Inserted, 5, 3}}},
      {"rows 1..3 deleted at 1",
       [](TListBox& l) {
         l.DeleteItem(1);
         l.DeleteItem(1);
         l.DeleteItem(1);
       },
       {{TRowNotice::Removed, 1, 3}}},
      {"rows 3 then 2 then 1 deleted",
       [](TListBox& l) {
         l.DeleteItem(3);
         l.DeleteItem(2);
         l.DeleteItem(1);
       },
       {{TRowNotice::Removed, 1, 3}}},
      {"rows 1 and 2 changed",
       [](TListBox& l) {
         l.SetItem(2, "x");
         l.SetItem(1, "y");
       },
       {{TRowNotice::Changed, 1, 2}}},
      {"an item set to its own text", [](TListBox& l) { l.SetItem(1, "K1"); }, {}},
      {"a row inserted, changed and deleted again",
       [](TListBox& l) {
         l.InsertItem(1, "n");
         l.SetItem(1, "m");
         l.DeleteItem(1);
       },
       {}},
      {"a row removed after one was inserted elsewhere",
       [](TListBox& l) {
         l.InsertItem(0, "n");
         l.DeleteItem(4);
       },
       {{TRowNotice::Inserted, 0, 1}, {TRowNotice::Removed, 4, 1}}},
      {"the items replaced after an insertion",
       [](TListBox& l) {
         l.AddItem("n");
         l.SetItems({"a"});
         l.AddItem("b");
       },
       {TRowNotice{}}},
      {"more notices than a view gains from",
       [](TListBox& l) {
         for (int i = 0; i < 20; ++i) {
           l.SetItem(i % 2 == 0 ? 0 : 4, std::to_string(i));
         }
       },
       {TRowNotice{}}},
  };
  for (const auto& c : cases) {
    TSampleFrm form;
    form.OrderLbx->SetItems({"K0", "K1", "K2", "K3", "K4"});
    Drain(form);
    c.change(*form.OrderLbx);
    EXPECT_EQ(form.OrderLbx->Changes().Rows(), c.notices) << c.what;
  }
}

// A check list box's marks follow its rows and say which rows they changed; a list
// view's rows and a tree's nodes are told in the same terms.
TEST(ChangeRecord, MarksRowsAndNodesAreNoticed) {
  TSampleFrm form;
  TCheckListBox& rights = *form.RightClb;  // query, add, modify
  rights.SetChecked(2, true);
  Drain(form);
  rights.InsertItem(1, "print");
  rights.SetChecked(1, true);
  EXPECT_EQ(rights.Changes().What(), chItems | chChecks);
  EXPECT_EQ(rights.Changes().Rows(), (Notices{{TRowNotice::Inserted, 1, 1}}));
  EXPECT_TRUE(rights.Checked(1));
  EXPECT_TRUE(rights.Checked(3)) << "the mark of modify moves with it";
  Drain(form);
  rights.SetItem(3, "change");
  rights.SetChecked(0, true);
  EXPECT_FALSE(rights.Checked(3)) << "a renamed item loses its mark";
  EXPECT_EQ(rights.Changes().Rows(),
            (Notices{{TRowNotice::Changed, 3, 1}, {TRowNotice::Changed, 0, 1}}));

  TListView& folder = *form.FolderLsv;
  folder.AddItem("K1");
  Drain(form);
  folder.BeginUpdate();
  for (int i = 0; i < 1000; ++i) {
    folder.AddItem("R" + std::to_string(i), {"1.00"});
  }
  folder.EndUpdate();
  EXPECT_EQ(folder.Changes().Rows(), (Notices{{TRowNotice::Inserted, 1, 1000}}));

  // Nodes are rows of their parent; the children of a new node come with it, and a
  // parent told twice between others is reset.
  TTreeView& tree = *form.MainDirTrv;
  tree.LoadOutline("a\n\tb\nc");
  TTreeNode* a = tree.Node(0);
  Drain(form);
  tree.AddChild(a, "b2");
  tree.AddChild(a, "b3");
  TTreeNode* d = tree.AddChild(nullptr, "d");
  tree.AddChild(d, "d1");
  EXPECT_EQ(tree.Changes().Rows(),
            (Notices{{TRowNotice::Inserted, 1, 2, a}, {TRowNotice::Inserted, 2, 1, nullptr}}));
  tree.AddChild(a, "b4");
  EXPECT_EQ(tree.Changes().Rows(), (Notices{TRowNotice{}}));
}

}  // namespace
}  // namespace ui_test

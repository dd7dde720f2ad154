// Tree keys, list-box drag and drop, and list views.
#include <gtest/gtest.h>

#include <algorithm>

#include "SampleForm.h"
#include "ui/Input.h"

namespace ui_test {
namespace {

using namespace ui;
using Strings = std::vector<std::string>;

// The tree's keys walk the nodes the operator sees, open and close them, and each move
// is the operator's selection (Click).
TEST_F(HeadlessTest, TheTreesKeysWalkOpenAndCloseItsNodes) {
  TSampleFrm form;
  TTreeView& tree = *form.MainDirTrv;
  tree.LoadOutline("1:A\n\t11:B\n\t\t111:C\n\t12:D\n2:E\n3:F\n4:G\n5:H");
  tree.SetBounds(0, 0, 100, 4 * TTreeView::kRowHeight);  // a page of 3 rows
  form.BeginModal();
  const struct {
    const char* keys;  // key names, or a character after '='
    const char* selected;
  } steps[] = {
      {"Down", "1:A"},   {"Down", "2:E"},                     // closed: its children are passed by
      {"Up", "1:A"},     {"Right", "1:A"},                    // opened
      {"Right", "11:B"}, {"=*", "11:B"},                      // first child, then all below it open
      {"Down", "111:C"}, {"Down", "12:D"},  {"Left", "1:A"},  // to the parent
      {"=-", "1:A"},     {"Down", "2:E"},                     // closed again
      {"End", "5:H"},    {"PageUp", "2:E"}, {"PageDown", "5:H"}, {"Home", "1:A"}, {"=+", "1:A"},
      {"Down", "11:B"},  {"Down", "111:C"}, {"Home", "1:A"},     {"Left", "1:A"},  // closed
  };
  for (const auto& step : steps) {
    const std::string keys = step.keys;
    if (keys[0] == '=') {
      TypeText(tree, keys.substr(1));
    } else {
      const std::uint16_t key = keys == "Down"     ? vk::Down
                                : keys == "Up"     ? vk::Up
                                : keys == "Left"   ? vk::Left
                                : keys == "Right"  ? vk::Right
                                : keys == "Home"   ? vk::Home
                                : keys == "End"    ? vk::End
                                : keys == "PageUp" ? vk::Prior
                                                   : vk::Next;
      PressKey(tree, key);
    }
    ASSERT_NE(tree.Selected(), nullptr) << keys;
    EXPECT_EQ(tree.Selected()->Text(), step.selected) << keys;
  }
  EXPECT_FALSE(tree.Node(0)->Expanded());
  EXPECT_TRUE(tree.Node(1)->Expanded()) << "closing A keeps B open below it";
  EXPECT_EQ(std::count(form.Log.begin(), form.Log.end(), "MainDirTrv.click"), 15);
}

// Closing a node above the selected one selects the closed node.
TEST(TreeOutline, ClosingANodeSelectsItWhenItHeldTheSelection) {
  TTreeView tree(nullptr, "Trv");
  tree.LoadOutline("a\n\tb\n\t\tc\nd");
  tree.SetExpanded(tree.Node(0), true);
  tree.SetExpanded(tree.Node(1), true);
  tree.SetSelected(tree.Node(2));
  EXPECT_EQ(tree.VisibleNodes().size(), 4u);
  tree.SetExpanded(tree.Node(0), false);
  EXPECT_EQ(tree.Selected(), tree.Node(0));
  EXPECT_EQ(tree.VisibleNodes().size(), 2u);
  tree.SetExpanded(tree.Node(3), true);  // no children: nothing to open
  EXPECT_FALSE(tree.Node(3)->Expanded());
}

// Space on a list without a selected item acts on its first item, where the platform
// draws the focus: a list box selects it, a check list box selects and toggles it.
TEST_F(HeadlessTest, SpaceOnAListWithoutASelectionActsOnItsFirstItem) {
  TSampleFrm form;
  form.BeginModal();
  PressKey(*form.OrderLbx, vk::Space);
  EXPECT_EQ(form.OrderLbx->ItemIndex(), 0);
  PressKey(*form.RightClb, vk::Space);
  EXPECT_EQ(form.RightClb->ItemIndex(), 0);
  EXPECT_TRUE(form.RightClb->Checked(0));
  PressKey(*form.RightClb, vk::Space);
  EXPECT_FALSE(form.RightClb->Checked(0));
  EXPECT_EQ(std::count(form.Log.begin(), form.Log.end(), "RightClb.clickcheck"), 2);
  EXPECT_EQ(std::count(form.Log.begin(), form.Log.end(), "OrderLbx.click"), 1);
}

// The account order dialog's rules: only the left button starts a drag, after the
// threshold; a drop on an item swaps it with the selected one.
class DragTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    form.BeginModal();
    auto* list = form.OrderLbx;
    list->OnMouseDown = [this, list](TComponent*, TMouseButton button, TShiftState, int x, int y) {
      if (button != mbLeft || list->ItemAtPos(x, y) < 0) {
        return;
      }
      list->BeginDrag(false);
      startedAtOnce = list->Dragging();
    };
    list->OnDragOver = [](TComponent*, TComponent*, int, int, TDragState, bool& accept) {
      accept = true;
    };
    list->OnDragDrop = [this, list](TComponent*, TComponent* source, int x, int y) {
      if (source != list) {
        return;
      }
      int target = list->ItemAtPos(x, y);
      int from = list->ItemIndex();
      ++drops;
      if (target < 0 || from < 0) {
        return;
      }
      list->ExchangeItems(from, target);
      list->SetItemIndex(target);
    };
  }
  TSampleFrm form;
  bool startedAtOnce = true;
  int drops = 0;
};

TEST_F(DragTest, DropSwapsWithTheDraggedItem) {
  struct {
    int from, to;
    TMouseButton button;
    Strings order;
    int selected;
  } cases[] = {
      {0, 3, mbLeft, {"K4", "K2", "K3", "K1", "K5"}, 3},
      {0, 3, mbRight, {"K1", "K2", "K3", "K4", "K5"}, 0},  // selected for its menu
      {1, -1, mbLeft, {"K1", "K2", "K3", "K4", "K5"}, 1},  // below the last item
      {2, 2, mbLeft, {"K1", "K2", "K3", "K4", "K5"}, 2},
  };
  for (const auto& c : cases) {
    form.OrderLbx->SetItems({"K1", "K2", "K3", "K4", "K5"});
    form.OrderLbx->SetItemIndex(-1);
    DragItem(*form.OrderLbx, c.from, c.to, c.button);
    EXPECT_EQ(form.OrderLbx->Items(), c.order) << c.from << "->" << c.to;
    EXPECT_EQ(form.OrderLbx->ItemIndex(), c.selected) << c.from << "->" << c.to;
    EXPECT_FALSE(form.OrderLbx->Dragging());
  }
  EXPECT_FALSE(startedAtOnce);
  EXPECT_EQ(drops, 3);  // the right button never dropped
}

TEST_F(DragTest, NoDragWithoutAHandlerThatStartsOne) {
  form.OrderLbx->OnMouseDown = nullptr;
  int mouseUps = 0;
  form.OrderLbx->OnMouseUp = [&](TComponent*, TMouseButton, TShiftState, int, int) { ++mouseUps; };
  DragItem(*form.OrderLbx, 0, 3);
  EXPECT_EQ(drops, 0);
  EXPECT_EQ(mouseUps, 1);
  EXPECT_EQ(form.OrderLbx->Items()[0], "K1");
}

// Items 4 pixels high, so that a move short of the threshold (5) still reaches the next
// item: only the distance decides whether the drag begins.
TEST_F(DragTest, ADragBeginsOnlyWhenTheMoveReachesTheThreshold) {
  TListBox& list = *form.OrderLbx;
  list.SetItemHeight(4);
  int mouseUps = 0;
  list.OnMouseUp = [&](TComponent*, TMouseButton, TShiftState, int, int) { ++mouseUps; };
  const struct {
    int from, dy;
    Strings order;
    int ups;
  } cases[] = {
      {0, 0, {"K1", "K2", "K3", "K4", "K5"}, 1},   // a click
      {0, 4, {"K1", "K2", "K3", "K4", "K5"}, 1},   // released over K2 before the threshold
      {2, -4, {"K1", "K2", "K3", "K4", "K5"}, 1},  // the same upwards
      {0, 5, {"K2", "K1", "K3", "K4", "K5"}, 0},   // the threshold reached: a drop on K2
      {2, -5, {"K1", "K3", "K2", "K4", "K5"}, 0},
  };
  for (const auto& c : cases) {
    list.SetItems({"K1", "K2", "K3", "K4", "K5"});
    mouseUps = 0;
    PressAndMove(list, c.from, c.dy);
    EXPECT_EQ(list.Items(), c.order) << c.from << " by " << c.dy;
    EXPECT_EQ(mouseUps, c.ups) << c.from << " by " << c.dy;
    EXPECT_FALSE(list.DragPending() || list.Dragging());
  }
  // The control itself: a release ends the drag that waited, so no later move starts it.
  list.MouseDown(mbLeft, ssLeft, 2, 2);
  EXPECT_TRUE(list.DragPending());
  list.MouseUp(mbLeft, ssLeft, 2, 2);
  EXPECT_FALSE(list.DragPending() || list.Dragging());
}

TEST(ListBoxGeometry, ItemAtPosFindsItemsFromTheTopIndex) {
  TListBox list(nullptr, "Lbx");
  list.SetItems({"a", "b", "c"});
  list.SetItemHeight(16);
  EXPECT_EQ(list.ItemAtPos(5, 0), 0);
  EXPECT_EQ(list.ItemAtPos(5, 33), 2);
  EXPECT_EQ(list.ItemAtPos(5, 48), -1);
  EXPECT_EQ(list.ItemAtPos(5, 48, false), 3);
  EXPECT_EQ(list.ItemAtPos(5, -1), -1);
  list.SetTopIndex(1);
  EXPECT_EQ(list.ItemAtPos(5, 0), 1);
  EXPECT_EQ(list.ItemAtPos(5, list.ItemCenterY(2)), 2);
}

TEST(ListView, SelectionSurvivesOnlyWhileTheRowExists) {
  TListView view(nullptr, "Lsv");
  view.SetColumns({{"Id", 60, taLeftJustify}, {"Amount", 80, taRightJustify}});
  view.BeginUpdate();
  view.AddItem("1", {"10.00"});
  view.AddItem("2", {"20.00"});
  view.EndUpdate();
  EXPECT_FALSE(view.Updating());
  view.SetItemIndex(1);
  ASSERT_NE(view.Selected(), nullptr);
  EXPECT_EQ(view.Selected()->SubItems[0], "20.00");
  view.DeleteItem(1);
  EXPECT_EQ(view.Selected(), nullptr);
  view.SetItemIndex(5);
  EXPECT_EQ(view.ItemIndex(), -1);
}

}  // namespace
}  // namespace ui_test

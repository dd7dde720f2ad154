// Tree keys and outlines, list-box keys, drag and drop, and list views.
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
  const std::pair<std::uint16_t, const char*> steps[] = {
      {vk::Down, "1:A"},   {vk::Down, "2:E"},   // closed: its children are passed by
      {vk::Up, "1:A"},     {vk::Right, "1:A"},  // opened
      {vk::Right, "11:B"}, {vk::Right, "11:B"}, {vk::Down, "111:C"},
      {vk::Left, "11:B"},                      // to the parent
      {vk::Left, "11:B"},  {vk::Left, "1:A"},  // closed, then to the parent
      {vk::End, "5:H"},    {vk::Prior, "2:E"},  {vk::Next, "5:H"},
      {vk::Home, "1:A"},   {vk::Left, "1:A"},  // closed
  };
  for (const auto& [key, selected] : steps) {
    PressKey(tree, key);
    ASSERT_NE(tree.Selected(), nullptr) << key;
    EXPECT_EQ(tree.Selected()->Text(), selected) << key;
  }
  EXPECT_FALSE(tree.Node(0)->Expanded());
  EXPECT_EQ(std::count(form.Log.begin(), form.Log.end(), "MainDirTrv.click"), 11);
  // '*' opens all below the node, '+' and '-' open and close it.
  TypeText(tree, "*");
  EXPECT_TRUE(tree.Node(1)->Expanded());
  TypeText(tree, "-");
  EXPECT_FALSE(tree.Node(0)->Expanded());
  TypeText(tree, "+");
  EXPECT_TRUE(tree.Node(0)->Expanded());
}

// Closing a node above the selected one selects the closed node.
TEST(TreeOutline, ClosingANodeSelectsItWhenItHeldTheSelection) {
  TTreeView tree(nullptr, "Trv");
  tree.LoadOutline("a\n\tb\n\t\tc\nd");
  tree.SetExpanded(tree.Node(0), true);
  tree.SetExpanded(tree.Node(1), true);
  tree.SetSelected(tree.Node(2));
  tree.SetExpanded(tree.Node(0), false);
  EXPECT_EQ(tree.Selected(), tree.Node(0));
  EXPECT_EQ(tree.VisibleNodes().size(), 2u);
  tree.SetExpanded(tree.Node(3), true);  // no children: nothing to open
  EXPECT_FALSE(tree.Node(3)->Expanded());
}

// Each node in tree order as "level:parent text>text" ("-" for a top node).
Strings Shape(const TTreeView& tree) {
  Strings out;
  for (const TTreeNode* node : tree.Nodes()) {
    const TTreeNode* parent = node->Parent();
    out.push_back(std::to_string(node->Level()) + ":" + (parent ? parent->Text() : "-") + ">" +
                  node->Text());
  }
  return out;
}

// Line ends of every kind, levels from the indentation; a load replaces the tree and its
// selection.
TEST(TreeLoad, LineEndsAndIndentation) {
  const std::pair<const char*, Strings> cases[] = {
      {"a\r\n b\r\n  c\r\n d\r\ne\r\n", {"0:->a", "1:a>b", "2:b>c", "1:a>d", "0:->e"}},
      {"a\r\tb\r\tc", {"0:->a", "1:a>b", "1:a>c"}},            // CR alone ends a line
      {"a\n\r\tb\r\r\n\n\tc\n", {"0:->a", "1:a>b", "1:a>c"}},  // runs of ends skipped
      {"a\n \t \nb", {"0:->a", "0:->b"}},                      // blank-only lines too
      {"a\n\tb\n \tc", {"0:->a", "1:a>b", "2:b>c"}},           // blanks and tabs count
      {"a \t\n\tb c ", {"0:->a \t", "1:a \t>b c "}},           // text kept past its start
      {"\ta\n\t\tb\n\tc", {"0:->a", "1:a>b", "0:->c"}},        // a first line indented
      {"a\n\tb\n\t\tc\n\te\nf", {"0:->a", "1:a>b", "2:b>c", "1:a>e", "0:->f"}},
      {"", {}},
  };
  for (const auto& [outline, shape] : cases) {
    TTreeView tree(nullptr, "Trv");
    tree.LoadOutline("old");
    tree.SetSelected(tree.Node(0));
    tree.LoadOutline(outline);
    EXPECT_EQ(Shape(tree), shape) << outline;
    EXPECT_EQ(tree.Selected(), nullptr);
  }
}

// The depth is checked against the line before, wherever the tree climbed to; a refused
// outline leaves the tree as it was.
TEST(TreeLoad, ALineTwoLevelsDeeperThanTheOneBeforeIsRefused) {
  const std::pair<const char*, const char*> cases[] = {
      {"\t\tx", "Invalid level (2) for item \"x\""},
      {"a\n\tb\nc\n\t\t d", "Invalid level (3) for item \"d\""},
  };
  for (const auto& [outline, message] : cases) {
    TTreeView tree(nullptr, "Trv");
    tree.LoadOutline("old\n\tkept");
    tree.SetSelected(tree.Node(1));
    try {
      tree.LoadOutline(outline);
      ADD_FAILURE() << "no error for " << outline;
    } catch (const EOutlineError& e) {
      EXPECT_STREQ(e.what(), message);
    }
    EXPECT_EQ(Shape(tree), (Strings{"0:->old", "1:old>kept"})) << outline;
    EXPECT_EQ(tree.Selected(), tree.Node(1));
  }
}

// Space on a list without a selected item acts on its first item, where the platform
// draws the focus: a list box selects it, a check list box selects and toggles it.
TEST_F(HeadlessTest, SpaceOnAListWithoutASelectionActsOnItsFirstItem) {
  TSampleFrm form;
  form.BeginModal();
  PressKey(*form.OrderLbx, vk::Space);
  EXPECT_EQ(form.OrderLbx->ItemIndex(), 0);
  PressKey(*form.RightClb, vk::Space);
  EXPECT_TRUE(form.RightClb->Checked(0));
  PressKey(*form.RightClb, vk::Space);
  EXPECT_FALSE(form.RightClb->Checked(0));
  EXPECT_EQ(std::count(form.Log.begin(), form.Log.end(), "RightClb.clickcheck"), 2);
  EXPECT_EQ(std::count(form.Log.begin(), form.Log.end(), "OrderLbx.click"), 1);
  PressKey(*form.OrderLbx, vk::End);
  PressKey(*form.OrderLbx, vk::Down);  // the last item stays
  EXPECT_EQ(form.OrderLbx->ItemIndex(), 4);
}

// The account order dialog's rules: only the left button starts a drag, after the
// threshold; a drop on an item swaps it with the selected one.
class DragTest : public HeadlessTest {
 protected:
  void SetUp() override {
    form.BeginModal();
    AllowReorder(*form.OrderLbx);
    form.OrderLbx->OnMouseUp = [this](TComponent*, TMouseButton, TShiftState, int, int) {
      ++mouseUps;
    };
  }
  TSampleFrm form;
  int mouseUps = 0;
};

TEST_F(DragTest, DropSwapsWithTheDraggedItem) {
  const struct {
    int from, to;
    TMouseButton button;
    Strings order;
    int selected;
  } cases[] = {
      {0, 3, mbLeft, {"K4", "K2", "K3", "K1", "K5"}, 3},
      {0, 3, mbRight, {"K1", "K2", "K3", "K4", "K5"}, 0},  // selected for its menu
      {1, -1, mbLeft, {"K1", "K2", "K3", "K4", "K5"}, 1},  // below the last item
  };
  for (const auto& c : cases) {
    form.OrderLbx->SetItems({"K1", "K2", "K3", "K4", "K5"});
    DragItem(*form.OrderLbx, c.from, c.to, c.button);
    EXPECT_EQ(form.OrderLbx->Items(), c.order) << c.from << "->" << c.to;
    EXPECT_EQ(form.OrderLbx->ItemIndex(), c.selected) << c.from << "->" << c.to;
    EXPECT_FALSE(form.OrderLbx->Dragging());
  }
  form.OrderLbx->OnMouseDown = nullptr;  // no handler starts a drag: a click
  DragItem(*form.OrderLbx, 0, 3);
  EXPECT_EQ(form.OrderLbx->Items()[0], "K1");
  EXPECT_EQ(mouseUps, 2);  // the right button's and the click's
}

// Items 4 pixels high, so that a move short of the threshold (5) still reaches the next
// item: only the distance decides whether the drag begins.
TEST_F(DragTest, ADragBeginsOnlyWhenTheMoveReachesTheThreshold) {
  TListBox& list = *form.OrderLbx;
  list.SetItemHeight(4);
  const struct {
    int from, dy;
    Strings order;
  } cases[] = {
      {0, 4, {"K1", "K2", "K3", "K4", "K5"}},  // released over K2 before the threshold
      {2, -4, {"K1", "K2", "K3", "K4", "K5"}},
      {0, 5, {"K2", "K1", "K3", "K4", "K5"}},  // the threshold reached: a drop on K2
      {2, -5, {"K1", "K3", "K2", "K4", "K5"}},
  };
  for (const auto& c : cases) {
    list.SetItems({"K1", "K2", "K3", "K4", "K5"});
    mouseUps = 0;
    PressAndMove(list, c.from, c.dy);
    EXPECT_EQ(list.Items(), c.order) << c.from << " by " << c.dy;
    EXPECT_EQ(mouseUps, std::abs(c.dy) < 5 ? 1 : 0) << c.from << " by " << c.dy;
    EXPECT_FALSE(list.DragPending() || list.Dragging());
  }
}

TEST(ListBoxGeometry, ItemAtPosFindsItemsFromTheTopIndex) {
  TListBox list(nullptr, "Lbx");
  list.SetItems({"a", "b", "c"});
  list.SetItemHeight(16);
  EXPECT_EQ(list.ItemAtPos(5, 33), 2);
  EXPECT_EQ(list.ItemAtPos(5, 48), -1);
  EXPECT_EQ(list.ItemAtPos(5, 48, false), 3);
  EXPECT_EQ(list.ItemAtPos(5, -1), -1);
  list.SetTopIndex(1);
  EXPECT_EQ(list.ItemAtPos(5, 0), 1);
}

TEST(ListView, SelectionSurvivesOnlyWhileTheRowExists) {
  TListView view(nullptr, "Lsv");
  view.AddItem("1", {"10.00"});
  view.AddItem("2", {"20.00"});
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

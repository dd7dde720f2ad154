// Loading a tree view from an indented outline: line ends of every kind, levels from the
// indentation, the tree's order and parents, and the refusal of a line too deep.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/ListCtrls.h"

namespace ui_test {
namespace {

using ui::TTreeNode;
using ui::TTreeView;
using Strings = std::vector<std::string>;

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

TEST(TreeLoad, LineEndsAndIndentation) {
  const struct {
    const char* outline;
    Strings shape;
  } cases[] = {
      {"1:A\n\t11:B\n\t12:C\n2:D", {"0:->1:A", "1:1:A>11:B", "1:1:A>12:C", "0:->2:D"}},
      {"a\r\n b\r\n  c\r\n d\r\ne\r\n", {"0:->a", "1:a>b", "2:b>c", "1:a>d", "0:->e"}},
      {"a\r\tb\r\tc", {"0:->a", "1:a>b", "1:a>c"}},            // CR alone ends a line
      {"a\n\r\tb\r\r\n\n\tc\n", {"0:->a", "1:a>b", "1:a>c"}},  // runs of ends skipped
      {"a\n \t \nb", {"0:->a", "0:->b"}},                      // blank-only lines too
      {"a\n\tb\n \tc", {"0:->a", "1:a>b", "2:b>c"}},           // blanks and tabs count
      {"a \t\n\tb c ", {"0:->a \t", "1:a \t>b c "}},           // text kept past its start
      {"\ta\n\t\tb\n\tc", {"0:->a", "1:a>b", "0:->c"}},        // a first line indented
      {"a\n\tb\n\t\tc\n\t\t\td\n\te\nf", {"0:->a", "1:a>b", "2:b>c", "3:c>d", "1:a>e", "0:->f"}},
      {"\r\n\r\n", {}},
      {"", {}},
  };
  for (const auto& c : cases) {
    TTreeView tree(nullptr, "Trv");
    tree.LoadOutline(c.outline);
    EXPECT_EQ(Shape(tree), c.shape) << c.outline;
  }
}

// The depth is checked against the line before, wherever the tree climbed to.
TEST(TreeLoad, ALineTwoLevelsDeeperThanTheOneBeforeIsRefused) {
  const struct {
    const char* outline;
    const char* message;
  } cases[] = {
      {"\t\tx", "Invalid level (2) for item \"x\""},
      {"a\n\tb\nc\n\t\t d", "Invalid level (3) for item \"d\""},
      {"a\r\n\tb\r\n\t\t\t\tdeep \r\n", "Invalid level (4) for item \"deep \""},
  };
  for (const auto& c : cases) {
    TTreeView tree(nullptr, "Trv");
    tree.LoadOutline("old\n\tkept");
    tree.SetSelected(tree.Node(1));
    try {
      tree.LoadOutline(c.outline);
      ADD_FAILURE() << "no error for " << c.outline;
    } catch (const ui::EOutlineError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_EQ(Shape(tree), (Strings{"0:->old", "1:old>kept"})) << c.outline;
    EXPECT_EQ(tree.Selected(), tree.Node(1));
  }
}

// Loading again replaces the tree and drops the selection.
TEST(TreeLoad, ALoadReplacesTheTreeAndItsSelection) {
  TTreeView tree(nullptr, "Trv");
  tree.LoadOutline("old");
  tree.SetSelected(tree.Node(0));
  tree.LoadOutline("1:Group\r\n\t1001:Function\r\n2:Group\r\n");
  EXPECT_EQ(Shape(tree), (Strings{"0:->1:Group", "1:1:Group>1001:Function", "0:->2:Group"}));
  EXPECT_EQ(tree.TopNodes().size(), 2u);
  EXPECT_EQ(tree.Selected(), nullptr);
}

}  // namespace
}  // namespace ui_test

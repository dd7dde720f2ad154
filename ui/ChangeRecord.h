// What a control has changed since a platform last showed it: a set of change flags and,
// for the controls that show rows, notices of the rows inserted, removed or changed.
//
// Every setter of a property that a platform shows marks its flag; a list's mutations
// add row notices. The control's form keeps a list of its changed controls (TForm::
// TakeChangedControls), so after each input a platform brings exactly those widgets in
// step, and a list's view learns which rows moved instead of comparing the rows.
//
// Row notices are in the order they happened, each in the row numbers of the list as it
// was just before it, so that replaying them in order takes the list as last shown to
// the list as it is. Notices that extend one another are merged (rows appended one by
// one make one insertion); a replacement of the whole list, or more notices than a view
// would gain from, become one reset.
#pragma once

#include <cstdint>
#include <vector>

namespace ui {

class TTreeNode;

enum TChangeFlag : std::uint16_t {
  chText = 1 << 0,       // caption, or an edit's text
  chEnabled = 1 << 1,    // Enabled
  chVisible = 1 << 2,    // Visible
  chFont = 1 << 3,       // the control's font (and so that of its children with ParentFont)
  chLook = 1 << 4,       // colour, hint, alignment, style and the other ways it is drawn
  chItems = 1 << 5,      // items, rows or nodes (the row notices say which)
  chColumns = 1 << 6,    // a list view's columns
  chSelection = 1 << 7,  // item index, selected node, checked state, active page, caret
  chChecks = 1 << 8,     // a check list box's marks (the row notices say which)
  chGeometry = 1 << 9,   // bounds
  chChildren = 1 << 10,  // a child joined or left the control
  chFocus = 1 << 11,     // the focused control (marked on the form)
};
using TChanges = std::uint16_t;
inline constexpr TChanges chAll = (1 << 12) - 1;

struct TRowNotice {
  enum TKind : std::uint8_t { Inserted, Removed, Changed, Reset };
  TKind Kind = Reset;
  int First = 0;  // Reset: 0
  int Count = 0;  // Reset: 0
  // A tree view's rows are the children of this node (null: the top-level nodes); the
  // other lists have no parent.
  const TTreeNode* Parent = nullptr;
  bool operator==(const TRowNotice&) const = default;
};

class TChangeRecord {
 public:
  // More notices than this since the last look are one reset: a view replays them one
  // by one, and past a few a reset is cheaper and as good.
  static constexpr std::size_t kMaxNotices = 16;

  TChanges What() const { return what_; }
  bool Has(TChanges flags) const { return (what_ & flags) != 0; }
  bool Empty() const { return what_ == 0; }
  const std::vector<TRowNotice>& Rows() const { return rows_; }

  void Mark(TChanges flags) { what_ |= flags; }
  // Row notices; flag is the flag marked with them (chItems, or chChecks for marks).
  void RowsInserted(int first, int count, TChanges flag = chItems,
                    const TTreeNode* parent = nullptr);
  void RowsRemoved(int first, int count, TChanges flag = chItems);
  void RowsChanged(int first, int count, TChanges flag = chItems);
  // The whole list replaced: earlier notices no longer matter.
  void RowsReset(TChanges flag = chItems);
  void Clear();

 private:
  void Add(TRowNotice notice);
  TChanges what_ = 0;
  std::vector<TRowNotice> rows_;
};

}  // namespace ui

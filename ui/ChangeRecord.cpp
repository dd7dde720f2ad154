// The change record: flags, and row notices merged where one extends the last.
#include "ui/ChangeRecord.h"

#include <algorithm>

namespace ui {

void TChangeRecord::RowsInserted(int first, int count, TChanges flag, const TTreeNode* parent) {
  what_ |= flag;
  Add({TRowNotice::Inserted, first, count, parent});
}

void TChangeRecord::RowsRemoved(int first, int count, TChanges flag) {
  what_ |= flag;
  Add({TRowNotice::Removed, first, count});
}

void TChangeRecord::RowsChanged(int first, int count, TChanges flag) {
  what_ |= flag;
  Add({TRowNotice::Changed, first, count});
}

void TChangeRecord::RowsReset(TChanges flag) {
  what_ |= flag;
  rows_.assign(1, TRowNotice{});
}

void TChangeRecord::Clear() {
  what_ = 0;
  rows_.clear();
}

// Each merge keeps the replay exact: the merged notice takes the list from the state
// before the last notice to the state after the new one.
void TChangeRecord::Add(TRowNotice notice) {
  if (notice.Count <= 0) {
    return;
  }
  if (!rows_.empty() && rows_.back().Parent == notice.Parent) {
    TRowNotice& last = rows_.back();
    const int lastEnd = last.First + last.Count;
    const int end = notice.First + notice.Count;
    switch (last.Kind) {
      case TRowNotice::Reset:
        return;  // the view reads the whole list anyway (a reset has no parent)
      case TRowNotice::Inserted:
        // More rows inside or at either end of the block just inserted.
        if (notice.Kind == TRowNotice::Inserted && notice.First >= last.First &&
            notice.First <= lastEnd) {
          last.Count += notice.Count;
          return;
        }
        // Rows of the new block changed or removed again: they are read when inserted.
        if (notice.Kind == TRowNotice::Changed && notice.First >= last.First && end <= lastEnd) {
          return;
        }
        if (notice.Kind == TRowNotice::Removed && notice.First >= last.First && end <= lastEnd) {
          last.Count -= notice.Count;
          if (last.Count == 0) {
            rows_.pop_back();
          }
          return;
        }
        break;
      case TRowNotice::Removed:
        // The rows next to a removed block, before or after it.
        if (notice.Kind == TRowNotice::Removed && notice.First <= last.First && end >= last.First) {
          last = {TRowNotice::Removed, notice.First, last.Count + notice.Count};
          return;
        }
        break;
      case TRowNotice::Changed:
        // Ranges that overlap or touch are one range.
        if (notice.Kind == TRowNotice::Changed && notice.First <= lastEnd && end >= last.First) {
          const int first = std::min(last.First, notice.First);
          last = {TRowNotice::Changed, first, std::max(lastEnd, end) - first};
          return;
        }
        break;
    }
  }
  if (!rows_.empty() && rows_.back().Kind == TRowNotice::Reset) {
    return;
  }
  if (rows_.size() >= kMaxNotices) {
    rows_.assign(1, TRowNotice{});
    return;
  }
  rows_.push_back(notice);
}

}  // namespace ui

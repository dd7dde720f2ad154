// List views filled from folder lists.
#include "frame/ListViewFill.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "frame/GbkText.h"
#include "frame/HostChannel.h"
#include "frame/ResultText.h"
#include "sys/CodePage.h"
#include "sys/Files.h"
#include "ui/ListCtrls.h"

namespace frame {
namespace {

// A layout line is read into a title and a width of this many bytes each, zero included.
constexpr std::size_t kLayoutFieldSize = 50;
constexpr int kDefaultColumnWidth = 100;

// Holds the list view's updates for a scope.
class UpdateBracket {
 public:
  explicit UpdateBracket(ui::TListView& view) : view_(view) { view_.BeginUpdate(); }
  ~UpdateBracket() { view_.EndUpdate(); }
  UpdateBracket(const UpdateBracket&) = delete;
  UpdateBracket& operator=(const UpdateBracket&) = delete;

 private:
  ui::TListView& view_;
};

// True for a column of money amounts, which reads best right-aligned.
bool IsAmountColumn(std::string_view caption) {
  static const std::string kAmount = sys::Utf8ToGbk("金额");
  return GbkContains(caption, ShownText(kAmount)) || GbkContains(GbkUpperAscii(caption), "AMOUNT");
}

// The width in pixels of a width field given in tens of pixels.
int ColumnWidth(std::string_view field) {
  const std::optional<int> tens = ParseDecimal(field);
  if (!tens || *tens < 0 || *tens > kMaxColumnWidth) {
    return kDefaultColumnWidth;
  }
  return *tens * 10;
}

}  // namespace

void SetupListViewColumns(ui::TListView& view, std::string_view layout) {
  UpdateBracket bracket(view);
  const std::vector<std::size_t> sizes{kLayoutFieldSize, kLayoutFieldSize};
  for (const std::string& line : SplitRows(layout)) {
    std::vector<std::string> fields = SplitFields(line, kFieldSep, sizes);
    if (fields[1].empty()) {
      fields = SplitFields(line, '^', sizes);
    }
    ui::TListColumn column;
    column.Caption = Trim(fields[0]);
    const std::string width = Trim(fields[1]);
    column.Width = width.empty() ? kDefaultColumnWidth : ColumnWidth(width);
    if (IsAmountColumn(column.Caption)) {
      column.Alignment = ui::taRightJustify;
    }
    view.Columns.push_back(std::move(column));
  }
}

void LoadListViewRows(ui::TListView& view, const std::string& fileName) {
  if (fileName.empty() || !sys::FileExists(fileName)) {
    return;
  }
  {
    UpdateBracket bracket(view);
    try {
      const std::string rows = sys::ReadFileBytes(fileName);
      // Folder lists run to a million rows: the items are made in place from views of
      // the file's bytes, with room reserved once.
      view.Items.reserve(view.Items.size() +
                         static_cast<std::size_t>(std::count(rows.begin(), rows.end(), '\n')) + 1);
      std::size_t pos = 0;
      std::string_view row;
      while (sys::NextLine(rows, pos, row)) {
        std::size_t sep = row.find(kFieldSep);
        ui::TListItem& item = view.AddItem(std::string(row.substr(0, sep)));
        if (sep == std::string_view::npos) {
          continue;
        }
        item.SubItems.reserve(
            static_cast<std::size_t>(std::count(row.begin(), row.end(), kFieldSep)));
        // Each separator starts one more sub-item, so a row ending in 0x07 gets an empty one.
        while (sep != std::string_view::npos) {
          const std::size_t start = sep + 1;
          sep = row.find(kFieldSep, start);
          item.SubItems.emplace_back(
              row.substr(start, sep == std::string_view::npos ? sep : sep - start));
        }
      }
    } catch (const std::exception&) {
      // A rows file that cannot be read shows the rows read so far; it is still removed.
    }
  }
  sys::DeleteFile(fileName);
}

void FillFolderListView(ui::TListView& view, const TFolderList& list) {
  const std::string_view layout = FieldText(list.ColumnLayout);
  const std::string fileName(FieldText(list.FileName));
  SetupListViewColumns(view, layout);
  if (!layout.empty()) {
    LoadListViewRows(view, fileName);
  } else if (!fileName.empty()) {
    // No columns to show the rows in: the result file is not left behind.
    sys::DeleteFile(fileName);
  }
}

}  // namespace frame

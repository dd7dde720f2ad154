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
    view.AddColumn(std::move(column));
  }
}

void LoadListViewRows(ui::TListView& view, const std::string& fileName) {
  if (fileName.empty() || !sys::FileExists(fileName)) {
    return;
  }
  {
    UpdateBracket bracket(view);
    try {
      // Folder lists run to a million rows: the file is read in pieces and each item
      // made from views of its bytes, the fields found once per row.
      view.ReserveItems(view.Items().size() + sys::CountLineFeeds(fileName) + 1);
      std::vector<std::string_view> fields;
      sys::ForEachLine(fileName, [&view, &fields](std::string_view row) {
        fields.clear();
        for (std::size_t start = 0;;) {
          const std::size_t sep = row.find(kFieldSep, start);
          fields.push_back(row.substr(start, sep == std::string_view::npos ? sep : sep - start));
          if (sep == std::string_view::npos) {
            break;
          }
          start = sep + 1;
        }
        // Each separator starts one more sub-item, so a row ending in 0x07 gets an empty one.
        view.AddItem(std::string(fields[0]), ui::TStrings(fields.begin() + 1, fields.end()));
      });
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

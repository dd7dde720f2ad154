// List views filled from folder lists.
#include "frame/ListViewFill.h"

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
      for (const std::string& line : sys::ReadLines(fileName)) {
        std::vector<std::string> fields = SplitAll(line, kFieldSep);
        std::string caption = std::move(fields.front());
        fields.erase(fields.begin());
        view.AddItem(std::move(caption), std::move(fields));
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

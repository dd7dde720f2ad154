// The Win32 platform's list view is virtual: a list of 100,000 rows is shown by a
// LVS_OWNERDATA control that holds the row count only and asks the model for the texts
// of a row when it needs them.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ui/win32/Win32Desktop.h"
// The model's headers after the platform's: <windows.h> comes first (ui/win32/WinApi.h).
#include "ui/Controls.h"
#include "ui/script/ScriptRunner.h"

namespace {

TEST(Win32ListView, HoldsOnlyTheRowCountAndAsksTheModelForARowsTexts) {
  constexpr int kRows = 100000;
  auto runner = std::make_unique<ui::ScriptRunner>();
  runner->RunScript("close\n");
  ui::ScriptRunner& run = *runner;
  ui::win32::Win32Desktop desktop(std::move(runner));

  ui::TForm form(nullptr, "RowsFrm");
  form.SetBounds(0, 0, 400, 300);
  auto* list = ui::Create<ui::TListView>(&form, &form, "RowsLvw");
  list->SetBounds(8, 8, 384, 284);
  list->AddColumn({"Name", 120});
  list->AddColumn({"Value", 120});
  list->BeginUpdate();
  list->ReserveItems(kRows);
  for (int row = 0; row < kRows; ++row) {
    list->AddItem("row " + std::to_string(row), {std::to_string(row * 2)});
  }
  list->EndUpdate();

  int count = -1;
  LONG style = 0;
  std::string lastValue;
  run.SetOperator([&](ui::TForm&) {
    HWND window = desktop.TopWindow()->WindowOf(*list);
    ASSERT_NE(window, nullptr);
    count = static_cast<int>(SendMessageW(window, LVM_GETITEMCOUNT, 0, 0));
    style = GetWindowLongW(window, GWL_STYLE);
    wchar_t text[64] = {};
    LVITEMW item{};
    item.iSubItem = 1;
    item.pszText = text;
    item.cchTextMax = 64;
    SendMessageW(window, LVM_GETITEMTEXTW, kRows - 1, reinterpret_cast<LPARAM>(&item));
    lastValue = sys::win32::Narrow(text);
  });
  desktop.ShowModal(form);

  EXPECT_EQ(count, kRows);
  EXPECT_NE(style & LVS_OWNERDATA, 0);
  EXPECT_EQ(lastValue, std::to_string((kRows - 1) * 2));
  EXPECT_FALSE(run.Failed());
}

}  // namespace

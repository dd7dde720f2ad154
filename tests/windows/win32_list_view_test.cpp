// The Win32 platform's lists, trees and edits under the operator's mouse and keys, through
// real window messages: a timer on the thread, which keeps running inside the form's loop
// and the menu's, acts as the operator.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ui/win32/Win32Desktop.h"
// The model's headers after the platform's: <windows.h> comes first (ui/win32/WinApi.h).
#include "tests/windows/WinTest.h"
#include "ui/Controls.h"

namespace {

using wintest::PostClick;
using wintest::PostKey;

std::function<void()> gTick;  // the timer's only way to the operator (one thread)

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  gTick();
}

// Runs form while step acts on each tick; after 10 s closes the menu and the form.
void Operate(ui::win32::Win32Desktop& desktop, ui::TForm& form,
             const std::function<void(int)>& step) {
  int ticks = 0;
  gTick = [&] {
    if (desktop.TopWindow() == nullptr) {
      return;
    }
    if (++ticks > 100) {
      EndMenu();
      PostMessageW(desktop.TopWindow()->Handle(), WM_CLOSE, 0, 0);
      return;
    }
    step(ticks);
  };
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, &Tick);
  desktop.ShowModal(form);
  KillTimer(nullptr, timer);
}

POINT Centre(const RECT& r) {
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A list of 100,000 rows is virtual (LVS_OWNERDATA, asking the model for texts). Arrows
// move the model's row; a right press selects the row under it and opens the model's menu
// (Down twice passes its separator); Enter presses the default button.
TEST(Win32ListView, VirtualRowsArrowsTheModelsMenuAndTheDefaultButton) {
  constexpr int kRows = 100000;
  ui::win32::Win32Desktop desktop(nullptr);
  ui::TForm form(nullptr, "RowsFrm");
  form.SetBounds(0, 0, 400, 300);
  auto* list = ui::Create<ui::TListView>(&form, &form, "RowsLvw");
  list->SetBounds(8, 8, 384, 240);
  list->AddColumn({"Name", 120});
  list->AddColumn({"Value", 120});
  list->BeginUpdate();
  list->ReserveItems(kRows);
  for (int row = 0; row < kRows; ++row) {
    list->AddItem("row " + std::to_string(row), {std::to_string(row * 2)});
  }
  list->EndUpdate();
  list->SetItemIndex(2);
  auto* ok = ui::Create<ui::TButton>(&form, &form, "OkBtn");
  ok->SetBounds(300, 256, 80, 24);
  ok->SetCaption("OK");
  ok->SetDefault(true);
  auto* menu = ui::Create<ui::TPopupMenu>(&form, nullptr, "RowsMnu");
  std::vector<std::string> seen;
  for (const char* caption : {"Open", "-", "Remove"}) {
    auto* item = ui::Create<ui::TMenuItem>(&form, nullptr, std::string(caption) + "Itm", menu);
    item->SetCaption(caption);
    item->OnClick = [&seen, list, caption](ui::TComponent*) {
      seen.push_back(caption + (" row " + std::to_string(list->ItemIndex())));
    };
  }
  list->SetPopupMenu(menu);
  menu->OnPopup = [&](ui::TComponent*) {
    seen.push_back("popup at row " + std::to_string(list->ItemIndex()));
  };
  ok->OnClick = [&](ui::TComponent*) {
    seen.push_back("OK at row " + std::to_string(list->ItemIndex()));
    form.SetModalResult(ui::mrOk);
  };

  int menuItems = -1;
  bool entered = false;
  Operate(desktop, form, [&](int tick) {
    HWND window = desktop.TopWindow()->WindowOf(*list);
    if (tick == 1) {
      wchar_t text[64] = {};
      LVITEMW item{};
      item.iSubItem = 1;
      item.pszText = text;
      item.cchTextMax = 64;
      SendMessageW(window, LVM_GETITEMTEXTW, kRows - 1, reinterpret_cast<LPARAM>(&item));
      seen.push_back(std::to_string(SendMessageW(window, LVM_GETITEMCOUNT, 0, 0)) + " rows, " +
                     ((GetWindowLongW(window, GWL_STYLE) & LVS_OWNERDATA) != 0 ? "virtual" : "") +
                     ", last " + sys::win32::Narrow(text));
      PostKey(window, VK_DOWN);
      PostKey(window, VK_DOWN);
      PostKey(window, VK_UP);
    } else if (tick == 2) {
      const auto shown = SendMessageW(window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                      MAKELPARAM(LVNI_SELECTED, 0));
      seen.push_back("model row " + std::to_string(list->ItemIndex()) + ", shown row " +
                     std::to_string(shown));
      RECT row{};
      row.left = LVIR_BOUNDS;
      SendMessageW(window, LVM_GETITEMRECT, 5, reinterpret_cast<LPARAM>(&row));
      PostClick(window, WM_RBUTTONDOWN, POINT{row.left + 20, Centre(row).y});
    } else if (HWND shown = wintest::ShownMenu(); shown != nullptr && menuItems < 0) {
      menuItems = wintest::MenuItems(shown);
      for (const WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) {
        PostKey(shown, key);
      }
    } else if (shown == nullptr && menuItems >= 0 && !entered) {
      PostKey(window, VK_RETURN);
      entered = true;
    }
  });

  EXPECT_EQ(menuItems, 3);
  EXPECT_EQ(form.ModalResult(), ui::mrOk);
  EXPECT_EQ(seen, (std::vector<std::string>{"100000 rows, virtual, last 199998",
                                            "model row 3, shown row 3", "popup at row 5",
                                            "Remove row 5", "OK at row 5"}));
}

// The rectangle of a tree node's text; the message takes the item in the rectangle.
RECT TextRectOf(HWND tree, HTREEITEM item) {
  static_assert(sizeof(HTREEITEM) <= sizeof(RECT));
  RECT text{};
  std::memcpy(&text, &item, sizeof(HTREEITEM));
  SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&text));
  return text;
}

// The point left of a node's text where the tree's hit test finds its button.
POINT ButtonOf(HWND tree, HTREEITEM item) {
  const RECT text = TextRectOf(tree, item);
  for (int x = 0; x < text.left; ++x) {
    TVHITTESTINFO hit{};
    hit.pt = POINT{x, Centre(text).y};
    SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if ((hit.flags & TVHT_ONITEMBUTTON) != 0) {
      return hit.pt;
    }
  }
  return POINT{-1, -1};
}

std::string ItemText(HWND tree, HTREEITEM handle) {
  wchar_t text[64] = {};
  TVITEMW item{};
  item.mask = TVIF_TEXT;
  item.hItem = handle;
  item.pszText = text;
  item.cchTextMax = 64;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return sys::win32::Narrow(text);
}

HTREEITEM NextItem(HWND tree, WPARAM which, HTREEITEM from) {
  return ui::win32::FromInteger<HTREEITEM>(
      SendMessageW(tree, TVM_GETNEXTITEM, which, reinterpret_cast<LPARAM>(from)));
}

// A closed node's children get items when it is first shown open or one of them is
// selected, the node having its button before; the button opens and closes it in the
// model; a right press selects.
TEST(Win32TreeView, ItemsComeWhenNeededTheButtonOpensAndClosesAndARightPressSelects) {
  ui::win32::Win32Desktop desktop(nullptr);
  ui::TForm form(nullptr, "TreeFrm");
  form.SetBounds(0, 0, 300, 300);
  auto* tree = ui::Create<ui::TTreeView>(&form, &form, "GroupsTvw");
  tree->SetBounds(8, 8, 284, 284);
  std::vector<ui::TTreeNode*> groups;
  for (int group = 1; group <= 3; ++group) {
    groups.push_back(tree->AddChild(nullptr, "group " + std::to_string(group)));
    for (int child = 1; child <= 40; ++child) {
      tree->AddChild(groups.back(), std::to_string(group) + "." + std::to_string(child));
    }
  }

  std::vector<std::string> seen;
  Operate(desktop, form, [&](int tick) {
    ui::win32::FormWindow& shown = *desktop.TopWindow();
    HWND window = shown.WindowOf(*tree);
    const HTREEITEM first = NextItem(window, TVGN_ROOT, nullptr);
    const HTREEITEM second = NextItem(window, TVGN_NEXT, first);
    const bool open =
        (SendMessageW(window, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(first), TVIS_EXPANDED) &
         TVIS_EXPANDED) != 0;
    if (tick == 1 || tick == 5) {
      const HTREEITEM child = NextItem(window, TVGN_CHILD, first);
      const HTREEITEM caret = NextItem(window, TVGN_CARET, nullptr);
      seen.push_back(
          std::to_string(SendMessageW(window, TVM_GETCOUNT, 0, 0)) + " items, " +
          ItemText(window, first) + (open ? " open" : " closed") +
          (child != nullptr ? " over " + ItemText(window, child) : "") +
          (tick == 1 && ButtonOf(window, second).x >= 0 ? ", group 2 with its button" : "") +
          (caret != nullptr ? ", selected " + ItemText(window, caret) : ""));
    } else {
      seen.push_back(std::string("model ") + (groups[0]->Expanded() ? "open" : "closed") +
                     ", shown " + (open ? "open" : "closed") + ", selected " +
                     (tree->Selected() != nullptr ? tree->Selected()->Text() : ""));
    }
    if (tick == 1 || tick == 2) {
      PostClick(window, WM_LBUTTONDOWN, ButtonOf(window, first));
    } else if (tick == 3) {
      PostClick(window, WM_RBUTTONDOWN, Centre(TextRectOf(window, second)));
    } else if (tick == 4) {
      tree->SetExpanded(groups[0], true);
      tree->SetSelected(groups[2]->Children()[6].get());
      shown.SyncChanges();
    } else if (tick == 5) {
      PostMessageW(shown.Handle(), WM_CLOSE, 0, 0);
    }
  });

  EXPECT_EQ(seen, (std::vector<std::string>{"3 items, group 1 closed, group 2 with its button",
                                            "model open, shown open, selected ",
                                            "model closed, shown closed, selected ",
                                            "model closed, shown closed, selected group 2",
                                            "83 items, group 1 open over 1.1, selected 3.7"}));
}

std::wstring Clipboard() {
  std::wstring text;
  if (OpenClipboard(nullptr)) {
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
        text = wide;
        GlobalUnlock(data);
      }
    }
    CloseClipboard();
  }
  return text;
}

void SetClipboard(const std::wstring& text) {
  if (!OpenClipboard(nullptr)) {
    return;
  }
  EmptyClipboard();
  const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, bytes);
  std::memcpy(GlobalLock(data), text.c_str(), bytes);
  GlobalUnlock(data);
  SetClipboardData(CF_UNICODETEXT, data);
  CloseClipboard();
}

// An edit's system menu (right button) selects, copies and pastes through the model; a
// paste of a character GBK lacks is refused whole.
TEST(Win32Edit, TheEditsMenuSelectsCopiesAndPastesThroughTheModel) {
  ui::win32::Win32Desktop desktop(nullptr);
  ui::TForm form(nullptr, "EditFrm");
  form.SetBounds(0, 0, 300, 120);
  auto* name = ui::Create<ui::TEdit>(&form, &form, "NameEdt");
  name->SetBounds(8, 8, 200, 24);
  name->SetText("abc");
  auto* note = ui::Create<ui::TEdit>(&form, &form, "NoteEdt");
  note->SetBounds(8, 48, 200, 24);

  // Each step: the edit to open the menu on, the letter to choose there.
  const std::pair<ui::TEdit*, wchar_t> steps[] = {
      {name, L'a'}, {name, L'c'}, {name, L'p'}, {note, L'p'}};
  std::size_t step = 0;
  bool menuOpen = false;
  int menuItems = -1;
  std::wstring copied;
  wchar_t shownNote[64] = {};
  Operate(desktop, form, [&](int) {
    if (step == std::size(steps)) {
      GetWindowTextW(desktop.TopWindow()->WindowOf(*note), shownNote, 64);
      PostMessageW(desktop.TopWindow()->Handle(), WM_CLOSE, 0, 0);
    } else if (HWND shown = wintest::ShownMenu()) {
      menuItems = wintest::MenuItems(shown);
      PostMessageW(shown, WM_CHAR, steps[step++].second, 1);
      menuOpen = false;
    } else if (!menuOpen) {  // else the menu is on its way
      if (step == 2) {
        copied = Clipboard();
        SetClipboard(L"x\u0e01");  // a Thai letter: no GBK form
      } else if (step == 3) {
        SetClipboard(L"\u4e2d\u6587");
      }
      PostClick(desktop.TopWindow()->WindowOf(*steps[step].first), WM_RBUTTONDOWN, POINT{10, 10});
      menuOpen = true;
    }
  });

  EXPECT_EQ(menuItems, 6);  // five and a separator
  EXPECT_EQ(copied, L"abc");
  EXPECT_EQ(note->Text(), "\xd6\xd0\xce\xc4");  // 中文 in GBK
  EXPECT_EQ(std::wstring(shownNote), L"\u4e2d\u6587");
  EXPECT_EQ(name->Text(), "abc");
}

}  // namespace

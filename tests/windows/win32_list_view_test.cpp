// The Win32 platform's lists and trees. A list view is virtual: a list of 100,000 rows
// is shown by a LVS_OWNERDATA control that holds the row count only and asks the model
// for the texts of a row when it needs them. The operator's mouse on lists and trees,
// through real window messages with no script playing (a timer on the thread, which
// keeps running inside the form's loop and the menu's, acts as the operator): a right
// press selects the row under it and the release opens the model's menu; a tree node's
// button opens and closes the node in the model; an edit's menu works through the model
// and the system's clipboard.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

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

// The operator's steps, one per tick of a thread timer, and the ticks so far; the
// timer's callback has no other way to them than this pointer (one thread).
struct Steps {
  std::function<void(int)> Step;
  int Ticks = 0;
};
Steps* gSteps = nullptr;

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  gSteps->Step(gSteps->Ticks++);
}

// Runs form on the operator's desktop while step acts on each tick; gives up (closing
// the menu and the form) after 10 s.
void Operate(ui::win32::Win32Desktop& desktop, ui::TForm& form,
             const std::function<void(int)>& step) {
  Steps steps{[&](int tick) {
    if (desktop.TopWindow() == nullptr) {
      return;
    }
    if (tick > 100) {
      EndMenu();
      PostMessageW(desktop.TopWindow()->Handle(), WM_CLOSE, 0, 0);
      return;
    }
    step(tick);
  }};
  gSteps = &steps;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, &Tick);
  desktop.ShowModal(form);
  KillTimer(nullptr, timer);
  gSteps = nullptr;
}

LPARAM PointParam(POINT point) {
  return MAKELPARAM(point.x, point.y);
}

// A list view of 20 rows, "row 0" to "row 19", on form.
ui::TListView* TwentyRows(ui::TForm& form, int height) {
  auto* list = ui::Create<ui::TListView>(&form, &form, "RowsLvw");
  list->SetBounds(8, 8, 384, height);
  list->AddColumn({"Name", 120});
  for (int row = 0; row < 20; ++row) {
    list->AddItem("row " + std::to_string(row), {});
  }
  return list;
}

TEST(Win32ListView, RightPressSelectsTheRowAndTheModelsMenuClicksTheChosenItem) {
  ui::win32::Win32Desktop desktop(nullptr);
  ui::TForm form(nullptr, "RowsFrm");
  form.SetBounds(0, 0, 400, 300);
  ui::TListView* list = TwentyRows(form, 284);
  auto* menu = ui::Create<ui::TPopupMenu>(&form, nullptr, "RowsMnu");
  auto* open = ui::Create<ui::TMenuItem>(&form, nullptr, "OpenItm", menu);
  open->SetCaption("Open");
  auto* line = ui::Create<ui::TMenuItem>(&form, nullptr, "LineItm", menu);
  line->SetCaption("-");
  auto* remove = ui::Create<ui::TMenuItem>(&form, nullptr, "RemoveItm", menu);
  remove->SetCaption("Remove");
  list->SetPopupMenu(menu);

  std::vector<std::string> seen;
  menu->OnPopup = [&](ui::TComponent*) {
    seen.push_back("popup at row " + std::to_string(list->ItemIndex()));
  };
  open->OnClick = [&](ui::TComponent*) { seen.emplace_back("Open"); };
  remove->OnClick = [&](ui::TComponent*) {
    seen.push_back("Remove row " + std::to_string(list->ItemIndex()));
    form.SetModalResult(ui::mrOk);
  };
  int menuItems = -1;
  Operate(desktop, form, [&](int tick) {
    HWND window = desktop.TopWindow()->WindowOf(*list);
    if (tick == 1) {
      RECT row{};
      row.left = LVIR_BOUNDS;
      SendMessageW(window, LVM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&row));
      const POINT at{row.left + 20, (row.top + row.bottom) / 2};
      PostMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, PointParam(at));
      PostMessageW(window, WM_RBUTTONUP, 0, PointParam(at));
    } else if (tick > 1 && menuItems < 0) {
      // The open menu: Down twice passes the separator to the second item.
      if (HWND shown = FindWindowW(L"#32768", nullptr);
          shown != nullptr && IsWindowVisible(shown)) {
        menuItems =
            GetMenuItemCount(ui::win32::FromInteger<HMENU>(SendMessageW(shown, MN_GETHMENU, 0, 0)));
        for (const WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) {
          PostMessageW(shown, WM_KEYDOWN, key, 1);
          PostMessageW(shown, WM_KEYUP, key, 0xC0000001);
        }
      }
    }
  });

  EXPECT_EQ(menuItems, 3);
  EXPECT_EQ(seen, (std::vector<std::string>{"popup at row 3", "Remove row 3"}));
}

void PostKey(HWND window, WPARAM key) {
  PostMessageW(window, WM_KEYDOWN, key, 1);
  PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

int ShownRow(HWND list) {
  return static_cast<int>(
      SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
}

// Down arrows on the list move the model's row and the list shows it; Enter there
// presses the form's default button.
TEST(Win32ListView, ArrowsMoveTheRowAndEnterPressesTheDefaultButton) {
  ui::win32::Win32Desktop desktop(nullptr);
  ui::TForm form(nullptr, "KeysFrm");
  form.SetBounds(0, 0, 400, 300);
  ui::TListView* list = TwentyRows(form, 240);
  list->SetItemIndex(2);
  auto* ok = ui::Create<ui::TButton>(&form, &form, "OkBtn");
  ok->SetBounds(300, 256, 80, 24);
  ok->SetCaption("OK");
  ok->SetDefault(true);
  std::vector<std::string> seen;
  ok->OnClick = [&](ui::TComponent*) {
    seen.push_back("OK at row " + std::to_string(list->ItemIndex()));
    form.SetModalResult(ui::mrOk);
  };
  Operate(desktop, form, [&](int tick) {
    HWND window = desktop.TopWindow()->WindowOf(*list);
    if (tick == 1) {
      PostKey(window, VK_DOWN);
      PostKey(window, VK_DOWN);
      PostKey(window, VK_UP);
    } else if (tick == 2) {
      seen.push_back("model row " + std::to_string(list->ItemIndex()) + ", shown row " +
                     std::to_string(ShownRow(window)));
      PostKey(window, VK_RETURN);
    }
  });

  EXPECT_EQ(form.ModalResult(), ui::mrOk);
  EXPECT_EQ(seen, (std::vector<std::string>{"model row 3, shown row 3", "OK at row 3"}));
}

// A tree view filling a 300x300 form.
ui::TTreeView* FormsTree(ui::TForm& form, const char* name) {
  form.SetBounds(0, 0, 300, 300);
  auto* tree = ui::Create<ui::TTreeView>(&form, &form, name);
  tree->SetBounds(8, 8, 284, 284);
  return tree;
}

// The rectangle of a tree node's text; the message takes the item in the rectangle.
RECT TextRectOf(HWND tree, HTREEITEM item) {
  static_assert(sizeof(HTREEITEM) <= sizeof(RECT));
  RECT text{};
  std::memcpy(&text, &item, sizeof(HTREEITEM));
  SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&text));
  return text;
}

// The centre of a tree node's button: the point left of its text where the tree's hit
// test finds the button.
POINT ButtonOf(HWND tree, HTREEITEM item) {
  const RECT text = TextRectOf(tree, item);
  const int y = (text.top + text.bottom) / 2;
  for (int x = 0; x < text.left; ++x) {
    TVHITTESTINFO hit{};
    hit.pt = POINT{x, y};
    SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if ((hit.flags & TVHT_ONITEMBUTTON) != 0) {
      return hit.pt;
    }
  }
  return POINT{-1, -1};
}

bool ShownOpen(HWND tree, HTREEITEM item) {
  return (SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) &
          TVIS_EXPANDED) != 0;
}

TEST(Win32TreeView, TheNodesButtonOpensAndClosesTheNodeInTheModelAndARightPressSelects) {
  ui::win32::Win32Desktop desktop(nullptr);
  ui::TForm form(nullptr, "TreeFrm");
  ui::TTreeView* tree = FormsTree(form, "NodesTvw");
  ui::TTreeNode* parent = tree->AddChild(nullptr, "Parent");
  tree->AddChild(parent, "Child A");
  tree->AddChild(parent, "Child B");
  tree->AddChild(nullptr, "Last");

  std::vector<std::string> seen;
  Operate(desktop, form, [&](int tick) {
    HWND window = desktop.TopWindow()->WindowOf(*tree);
    const auto first =
        ui::win32::FromInteger<HTREEITEM>(SendMessageW(window, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    const POINT button = ButtonOf(window, first);
    auto record = [&] {
      seen.push_back(std::string("model ") + (parent->Expanded() ? "open" : "closed") + ", shown " +
                     (ShownOpen(window, first) ? "open" : "closed"));
    };
    if (tick == 1 || tick == 3) {
      PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(button));
      PostMessageW(window, WM_LBUTTONUP, 0, PointParam(button));
    } else if (tick == 2) {
      record();
    } else if (tick == 4) {
      record();
      const auto last = ui::win32::FromInteger<HTREEITEM>(
          SendMessageW(window, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(first)));
      const RECT text = TextRectOf(window, last);
      const POINT at{(text.left + text.right) / 2, (text.top + text.bottom) / 2};
      PostMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, PointParam(at));
      PostMessageW(window, WM_RBUTTONUP, 0, PointParam(at));
    } else if (tick == 5) {
      seen.push_back("selected " + (tree->Selected() != nullptr ? tree->Selected()->Text() : ""));
      PostMessageW(desktop.TopWindow()->Handle(), WM_CLOSE, 0, 0);
    }
  });

  EXPECT_EQ(seen, (std::vector<std::string>{"model open, shown open", "model closed, shown closed",
                                            "selected Last"}));
}

// The text of a tree's item.
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

// A closed node's children get their items when the node is first shown open, or when
// one of them is the selection; until then the closed node has its button all the same.
TEST(Win32TreeView, AClosedNodesChildrenGetTheirItemsWhenItOpensOrHoldsTheSelection) {
  ui::win32::Win32Desktop desktop(nullptr);
  ui::TForm form(nullptr, "TreeFrm");
  ui::TTreeView* tree = FormsTree(form, "GroupsTvw");
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
    ASSERT_NE(window, nullptr);
    auto look = [&] {
      const auto first =
          ui::win32::FromInteger<HTREEITEM>(SendMessageW(window, TVM_GETNEXTITEM, TVGN_ROOT, 0));
      const auto child = ui::win32::FromInteger<HTREEITEM>(
          SendMessageW(window, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(first)));
      const auto second = ui::win32::FromInteger<HTREEITEM>(
          SendMessageW(window, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(first)));
      const auto caret =
          ui::win32::FromInteger<HTREEITEM>(SendMessageW(window, TVM_GETNEXTITEM, TVGN_CARET, 0));
      seen.push_back(
          std::to_string(SendMessageW(window, TVM_GETCOUNT, 0, 0)) + " items, " +
          ItemText(window, first) + (ShownOpen(window, first) ? " open" : " closed") +
          (child != nullptr ? " over " + ItemText(window, child) : "") +
          (tick == 1 && ButtonOf(window, second).x >= 0 ? ", group 2 with its button" : "") +
          (caret != nullptr ? ", selected " + ItemText(window, caret) : ""));
    };
    if (tick == 1) {
      look();
      tree->SetExpanded(groups[0], true);
      tree->SetSelected(groups[2]->Children()[6].get());
      shown.SyncChanges();
    } else if (tick == 2) {
      look();
      PostMessageW(shown.Handle(), WM_CLOSE, 0, 0);
    }
  });

  EXPECT_EQ(seen, (std::vector<std::string>{"3 items, group 1 closed, group 2 with its button",
                                            "83 items, group 1 open over 1.1, selected 3.7"}));
}

// The system's clipboard as text.
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

// An edit with no menu of its own: the right button opens the system's edit menu, and
// its Select All, Copy and Paste (chosen by their letters) go through the model: the
// copied text is on the clipboard, a paste is the model's text and the shown one, and a
// paste of a character GBK lacks is refused whole (it never replaces the selection).
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
  const std::vector<std::pair<ui::TEdit*, wchar_t>> steps{
      {name, L'a'}, {name, L'c'}, {name, L'p'}, {note, L'p'}};
  std::size_t step = 0;
  bool menuOpen = false;
  int menuItems = -1;
  std::wstring copied;
  std::wstring shownNote;
  Operate(desktop, form, [&](int) {
    HWND shown = FindWindowW(L"#32768", nullptr);
    const bool visible = shown != nullptr && IsWindowVisible(shown);
    if (step == steps.size()) {
      shownNote.resize(64);
      shownNote.resize(static_cast<std::size_t>(
          GetWindowTextW(desktop.TopWindow()->WindowOf(*note), shownNote.data(), 64)));
      PostMessageW(desktop.TopWindow()->Handle(), WM_CLOSE, 0, 0);
      return;
    }
    if (visible) {
      menuItems =
          GetMenuItemCount(ui::win32::FromInteger<HMENU>(SendMessageW(shown, MN_GETHMENU, 0, 0)));
      PostMessageW(shown, WM_CHAR, steps[step].second, 1);
      menuOpen = false;
      ++step;
      return;
    }
    if (menuOpen) {
      return;  // the menu is on its way
    }
    if (step == 2) {
      copied = Clipboard();
      SetClipboard(L"x\u0e01");  // a Thai letter: no GBK form
    } else if (step == 3) {
      SetClipboard(L"\u4e2d\u6587");
    }
    HWND window = desktop.TopWindow()->WindowOf(*steps[step].first);
    const POINT at{10, 10};
    PostMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, PointParam(at));
    PostMessageW(window, WM_RBUTTONUP, 0, PointParam(at));
    menuOpen = true;
  });

  EXPECT_EQ(menuItems, 6);  // five and a separator
  EXPECT_EQ(copied, L"abc");
  EXPECT_EQ(note->Text(), "\xd6\xd0\xce\xc4");  // 中文 in GBK
  EXPECT_EQ(shownNote, L"\u4e2d\u6587");
  EXPECT_EQ(name->Text(), "abc");
}

}  // namespace

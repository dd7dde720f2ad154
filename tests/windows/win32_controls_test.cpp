// The Win32 platform's controls on real windows: lists, trees and edits under the operator's
// mouse and keys (a timer on the thread, running inside the form's and the menu's loops, acts
// as the operator; windows.ui.win32.list), and how fields look (windows.ui.win32.fields).
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

#include "ui/win32/Win32Desktop.h"
// The model's headers after the platform's: <windows.h> comes first (ui/win32/WinApi.h).
#include "tests/windows/WinTest.h"
#include "ui/Controls.h"
#include "ui/script/ScriptRunner.h"

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

// 100,000 rows make a virtual list (LVS_OWNERDATA); arrows move the model's row, a right
// press selects its row and opens the model's menu (its separator skipped), Enter is OK.
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

// A closed node's children get items when it opens or one is selected (it has its button
// before); the button opens and closes it in the model; a right press selects.
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

// An edit's menu selects, copies and pastes through the model; a paste with a character GBK
// lacks is refused whole.
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

// A window's bounds in its form's client area.
RECT BoundsInForm(HWND window, HWND form) {
  RECT box{};
  GetWindowRect(window, &box);
  MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&box), 2);
  return box;
}

int Brightness(COLORREF color) {
  return GetRValue(color) + GetGValue(color) + GetBValue(color);
}

// The sum of red, green and blue of the darkest pixel inside the window's client area:
// its text's colour, on a light background.
int DarkestPixel(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  RECT client{};
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  int darkest = 3 * 255;
  for (int y = client.top; y < client.bottom; ++y) {
    for (int x = client.left; x < client.right; ++x) {
      const COLORREF pixel = GetPixel(dc, x, y);
      if (pixel != CLR_INVALID) {
        darkest = std::min(darkest, Brightness(pixel));
      }
    }
  }
  ReleaseDC(window, dc);
  return darkest;
}

// The contrast of two greys given as sums of red, green and blue (WCAG's ratio).
double GreyContrast(int a, int b) {
  const auto luminance = [](int sum) {
    const double c = sum / 765.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A disabled group box's frame holds its edit where the model puts it (in the box's own
// pixels); an edit the operator cannot use is read-only in the window text colour, not
// disabled grey; a disabled label's text reads on the dialog's face.
TEST(Win32FieldLook, GroupBoxesReadOnlyEditsAndDisabledLabels) {
  ui::TForm form(nullptr, "FieldFrm");
  form.SetBounds(0, 0, 360, 200);
  auto* group = ui::Create<ui::TGroupBox>(&form, &form, "UserInfoGrp");
  group->SetCaption("User");
  const int top = group->ClientRect().Top + 6;
  group->SetBounds(8, 8, 340, top + 21 + 8);
  auto* inside = ui::Create<ui::TEdit>(&form, group, "CorpNameEdt");
  inside->SetBounds(10, top, 200, 21);
  inside->SetText("WWWWWWWW");
  group->SetEnabled(false);
  auto* alone = ui::Create<ui::TEdit>(&form, &form, "AccountNoEdt");
  alone->SetBounds(8, 120, 200, 21);
  alone->SetText("WWWWWWWW");
  alone->SetEnabled(false);
  auto* label = ui::Create<ui::TLabel>(&form, &form, "AccountNoLbl");
  label->SetBounds(220, 120, 120, 21);
  label->SetCaption("WWWWWW");
  label->SetEnabled(false);

  auto runner = std::make_unique<ui::ScriptRunner>();
  runner->RunScript("close\n");
  ui::ScriptRunner& run = *runner;
  ui::win32::Win32Desktop desktop(std::move(runner));
  double contrast = 0;
  run.SetOperator([&](ui::TForm&) {
    ui::win32::FormWindow& window = *desktop.TopWindow();
    const RECT box = BoundsInForm(window.WindowOf(*group), window.Handle());
    const RECT edit = BoundsInForm(window.WindowOf(*inside), window.Handle());
    const double scale = (box.right - box.left) / 340.0;  // designed pixels to the window's
    EXPECT_LE(edit.right, box.right);
    EXPECT_NEAR(edit.top - box.top, inside->Top() * scale, 1.0 + scale);
    EXPECT_NEAR(edit.left - box.left, inside->Left() * scale, 1.0 + scale);
    EXPECT_NEAR(box.bottom - edit.bottom,
                (group->Height() - inside->Top() - inside->Height()) * scale, 1.0 + scale)
        << "the edit crosses the box's lower frame";

    for (const ui::TEdit* shown : {inside, alone}) {
      SCOPED_TRACE(shown->Name);
      HWND native = window.WindowOf(*shown);
      EXPECT_NE(GetWindowLongW(native, GWL_STYLE) & ES_READONLY, 0);
      EXPECT_TRUE(IsWindowEnabled(native)) << "a disabled edit greys its text";
      const int text = DarkestPixel(native);
      EXPECT_LT(std::abs(text - Brightness(GetSysColor(COLOR_WINDOWTEXT))),
                std::abs(text - Brightness(GetSysColor(COLOR_GRAYTEXT))))
          << "the text is nearer the grey of disabled text than the window text colour";
    }
    contrast =
        GreyContrast(DarkestPixel(window.WindowOf(*label)), Brightness(GetSysColor(COLOR_BTNFACE)));
  });
  desktop.ShowModal(form);
  EXPECT_FALSE(run.Failed());
  EXPECT_GE(contrast, 4.4) << "the grey of a disabled label is too pale to read (or no look)";
}

}  // namespace

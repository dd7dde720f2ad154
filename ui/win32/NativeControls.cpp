// The native windows of the model's controls: which window class and styles each kind
// takes, and how each kind's state (texts, items, checks, selection, geometry) is
// written into them.
#include "ui/win32/NativeControls.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "ui/VisitKind.h"
#include "ui/win32/WideText.h"

namespace ui::win32 {
namespace {

// A plain container's window class: a static control without text.
constexpr wchar_t kStatic[] = L"STATIC";
// The browse button beside a file-name edit, and how wide it is.
constexpr int kBrowseWidth = 21;
// What a combo box's window reaches below its edit for the open list.
constexpr int kDropDownRows = 12;
// A control is moved and sized in place: the walk of the whole form sets the stacking.
constexpr UINT kPlace = SWP_NOZORDER | SWP_NOACTIVATE;

struct WindowKind {
  const wchar_t* Class = kStatic;
  DWORD Style = 0;
  DWORD ExStyle = 0;
};

WindowKind KindOf(TControl& control) {
  constexpr DWORD kChild = WS_CHILD | WS_CLIPSIBLINGS;
  return VisitKind(
      control,
      [](TLabel&) {
        return WindowKind{kStatic, kChild | SS_LEFT, 0};
      },
      [](TButton&) {
        return WindowKind{WC_BUTTONW, kChild | WS_TABSTOP | BS_PUSHBUTTON, 0};
      },
      // The model decides what a click does: the native boxes never check themselves.
      [](TCheckBox&) {
        return WindowKind{WC_BUTTONW, kChild | WS_TABSTOP | BS_CHECKBOX, 0};
      },
      [](TRadioButton&) {
        return WindowKind{WC_BUTTONW, kChild | WS_TABSTOP | BS_RADIOBUTTON, 0};
      },
      [](TGroupBox&) {
        return WindowKind{WC_BUTTONW, kChild | BS_GROUPBOX, 0};
      },
      [](TPanel&) {
        return WindowKind{kStatic, kChild | SS_CENTER | SS_CENTERIMAGE, 0};
      },
      [](TTabSheet&) {
        return WindowKind{kStatic, kChild, 0};
      },
      [](TPageControl&) {
        return WindowKind{WC_TABCONTROLW, kChild | WS_TABSTOP, 0};
      },
      [](TMemo&) {
        return WindowKind{
            WC_EDITW,
            kChild | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL,
            WS_EX_CLIENTEDGE};
      },
      [](TCustomEdit&) {
        return WindowKind{WC_EDITW, kChild | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
      },
      [](TComboBox& combo) {
        const DWORD style = combo.Style() == csDropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN;
        return WindowKind{WC_COMBOBOXW, kChild | WS_TABSTOP | WS_VSCROLL | style, 0};
      },
      [](TCheckListBox&) {
        return WindowKind{WC_LISTVIEWW,
                          kChild | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL |
                              LVS_SHOWSELALWAYS,
                          WS_EX_CLIENTEDGE};
      },
      [](TListBox&) {
        return WindowKind{WC_LISTBOXW,
                          kChild | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                          WS_EX_CLIENTEDGE};
      },
      [](TTreeView&) {
        return WindowKind{WC_TREEVIEWW,
                          kChild | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT |
                              TVS_SHOWSELALWAYS,
                          WS_EX_CLIENTEDGE};
      },
      [](TListView&) {
        return WindowKind{
            WC_LISTVIEWW,
            kChild | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
            WS_EX_CLIENTEDGE};
      },
      [](TComponent&) {
        return WindowKind{kStatic, WS_CHILD | WS_CLIPSIBLINGS, 0};
      });
}

HWND MakeWindow(const wchar_t* windowClass, DWORD style, DWORD exStyle, HWND form) {
  return CreateWindowExW(exStyle, windowClass, L"", style, 0, 0, 0, 0, form, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

void SetText(HWND window, const std::string& text) {
  SetWindowTextW(window, WideFromModel(text).c_str());
}

// The wide offset of a byte offset in the module's text.
int WideOffset(const std::string& text, int bytes) {
  bytes = std::clamp(bytes, 0, static_cast<int>(text.size()));
  return static_cast<int>(WideFromModel(std::string_view(text).substr(0, bytes)).size());
}

void ShowEdit(const TCustomEdit& edit, HWND window, const TChangeRecord& changes) {
  if (changes.Has(chText)) {
    SetText(window, edit.Text());
  }
  if (changes.Has(chText | chSelection)) {
    const int start = WideOffset(edit.Text(), edit.SelStart());
    const int end = WideOffset(edit.Text(), edit.SelStart() + edit.SelLength());
    SendMessageW(window, EM_SETSEL, start, end);
  }
}

void ShowCombo(const TComboBox& combo, HWND window, const TChangeRecord& changes) {
  if (changes.Has(chItems)) {
    SendMessageW(window, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : combo.Items()) {
      SendMessageW(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromModel(item).c_str()));
    }
  }
  if (changes.Has(chItems | chSelection | chText)) {
    SendMessageW(window, CB_SETCURSEL, static_cast<WPARAM>(combo.ItemIndex()), 0);
    if (combo.Style() == csDropDown) {
      SetText(window, combo.Text());
    }
  }
}

// A list box replays the row notices, so that a row added costs one insertion.
void ShowListBox(const TListBox& list, HWND window, const TChangeRecord& changes) {
  if (changes.Has(chItems)) {
    auto insert = [&](int row) {
      SendMessageW(window, LB_INSERTSTRING, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(
                       WideFromModel(list.Items()[static_cast<std::size_t>(row)]).c_str()));
    };
    bool reset = changes.Rows().empty();
    // Notices are in the rows of the list as it was before each; the texts inserted or
    // changed are those of the list as it is now only when no later notice moves them,
    // so one list of notices is replayed only as far as it can be read that way.
    if (!reset && changes.Rows().size() == 1) {
      const TRowNotice& notice = changes.Rows().front();
      switch (notice.Kind) {
        case TRowNotice::Inserted:
          for (int row = notice.First; row < notice.First + notice.Count; ++row) {
            insert(row);
          }
          break;
        case TRowNotice::Removed:
          for (int i = 0; i < notice.Count; ++i) {
            SendMessageW(window, LB_DELETESTRING, static_cast<WPARAM>(notice.First), 0);
          }
          break;
        case TRowNotice::Changed:
          for (int row = notice.First; row < notice.First + notice.Count; ++row) {
            SendMessageW(window, LB_DELETESTRING, static_cast<WPARAM>(row), 0);
            insert(row);
          }
          break;
        case TRowNotice::Reset:
          reset = true;
          break;
      }
    } else {
      reset = true;
    }
    if (reset) {
      SendMessageW(window, WM_SETREDRAW, FALSE, 0);
      SendMessageW(window, LB_RESETCONTENT, 0, 0);
      for (int row = 0; row < static_cast<int>(list.Items().size()); ++row) {
        insert(row);
      }
      SendMessageW(window, WM_SETREDRAW, TRUE, 0);
      InvalidateRect(window, nullptr, TRUE);
    }
  }
  if (changes.Has(chItems | chSelection)) {
    SendMessageW(window, LB_SETCURSEL, static_cast<WPARAM>(list.ItemIndex()), 0);
  }
}

void ShowCheckList(const TCheckListBox& list, HWND window, const TChangeRecord& changes,
                   const Scale& scale) {
  if (changes.Has(chItems)) {
    SendMessageW(window, WM_SETREDRAW, FALSE, 0);
    ListView_SetExtendedListViewStyle(window, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    ListView_DeleteAllItems(window);
    if (Header_GetItemCount(ListView_GetHeader(window)) == 0) {
      LVCOLUMNW column{};
      column.mask = LVCF_WIDTH;
      column.cx = scale.Px(list.Width());
      SendMessageW(window, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    }
    for (int row = 0; row < static_cast<int>(list.Items().size()); ++row) {
      std::wstring text = WideFromModel(list.Items()[static_cast<std::size_t>(row)]);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = row;
      item.pszText = text.data();
      SendMessageW(window, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(window, WM_SETREDRAW, TRUE, 0);
  }
  if (changes.Has(chItems | chChecks)) {
    for (int row = 0; row < static_cast<int>(list.Items().size()); ++row) {
      ListView_SetCheckState(window, row, list.Checked(row) ? TRUE : FALSE);
    }
  }
  if (changes.Has(chItems | chSelection)) {
    ListView_SetItemState(window, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (list.ItemIndex() >= 0) {
      ListView_SetItemState(window, list.ItemIndex(), LVIS_SELECTED | LVIS_FOCUSED,
                            LVIS_SELECTED | LVIS_FOCUSED);
      ListView_EnsureVisible(window, list.ItemIndex(), FALSE);
    }
  }
}

void ShowListView(const TListView& list, HWND window, const TChangeRecord& changes,
                  const Scale& scale) {
  if (changes.Has(chLook)) {
    ListView_SetExtendedListViewStyle(window, list.RowSelect() ? LVS_EX_FULLROWSELECT : 0);
  }
  if (changes.Has(chColumns)) {
    HWND header = ListView_GetHeader(window);
    while (Header_GetItemCount(header) > 0) {
      ListView_DeleteColumn(window, 0);
    }
    int index = 0;
    for (const TListColumn& model : list.Columns()) {
      std::wstring caption = WideFromModel(model.Caption);
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
      column.fmt = model.Alignment == taRightJustify ? LVCFMT_RIGHT
                   : model.Alignment == taCenter     ? LVCFMT_CENTER
                                                     : LVCFMT_LEFT;
      column.cx = scale.Px(model.Width);
      column.pszText = caption.data();
      SendMessageW(window, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index++),
                   reinterpret_cast<LPARAM>(&column));
    }
  }
  if (changes.Has(chItems | chColumns)) {
    // Virtual: the control keeps a count, and asks for the rows it draws.
    ListView_SetItemCountEx(window, static_cast<int>(list.Items().size()),
                            LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    InvalidateRect(window, nullptr, TRUE);
  }
  if (changes.Has(chItems | chSelection)) {
    ListView_SetItemState(window, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (list.ItemIndex() >= 0) {
      ListView_SetItemState(window, list.ItemIndex(), LVIS_SELECTED | LVIS_FOCUSED,
                            LVIS_SELECTED | LVIS_FOCUSED);
      ListView_EnsureVisible(window, list.ItemIndex(), FALSE);
    }
  }
}

// One item per node; a closed node's children get theirs when the node is first shown
// open (or holds the selection), so that a tree of closed groups costs one insertion
// per group. A node with children has its button from the start (cChildren).
void AddNodes(HWND window, const std::vector<std::unique_ptr<TTreeNode>>& nodes, HTREEITEM parent,
              NativeControl& native) {
  for (const auto& node : nodes) {
    std::wstring text = WideFromModel(node->Text());
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_CHILDREN;
    insert.item.pszText = text.data();
    insert.item.cChildren = node->HasChildren() ? 1 : 0;
    auto item = FromInteger<HTREEITEM>(
        SendMessageW(window, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    native.Nodes[node.get()] = item;
    if (node->Expanded()) {
      AddNodes(window, node->Children(), item, native);
    }
  }
}

// Whether the node's children have their items.
bool ChildrenAdded(const TTreeNode& node, const NativeControl& native) {
  return node.HasChildren() && native.Nodes.count(node.Children().front().get()) != 0;
}

// The node's item, its parents' children added first where they have none yet.
HTREEITEM ItemOfNode(HWND window, const TTreeNode& node, NativeControl& native) {
  if (const auto found = native.Nodes.find(&node); found != native.Nodes.end()) {
    return found->second;
  }
  const TTreeNode* parent = node.Parent();
  if (parent == nullptr) {
    return nullptr;
  }
  HTREEITEM parentItem = ItemOfNode(window, *parent, native);
  if (parentItem == nullptr || ChildrenAdded(*parent, native)) {
    return nullptr;  // not a node of this tree's items
  }
  AddNodes(window, parent->Children(), parentItem, native);
  const auto found = native.Nodes.find(&node);
  return found != native.Nodes.end() ? found->second : nullptr;
}

void ExpandNodes(HWND window, const std::vector<std::unique_ptr<TTreeNode>>& nodes,
                 NativeControl& native) {
  for (const auto& node : nodes) {
    if (!node->HasChildren()) {
      continue;
    }
    const HTREEITEM item = native.Nodes.at(node.get());
    if (node->Expanded() && !ChildrenAdded(*node, native)) {
      AddNodes(window, node->Children(), item, native);
    }
    TreeView_Expand(window, item, node->Expanded() ? TVE_EXPAND : TVE_COLLAPSE);
    if (ChildrenAdded(*node, native)) {
      ExpandNodes(window, node->Children(), native);
    }
  }
}

// A tree is filled again whole when its nodes change: its notices name parents, and a
// tree of a dialog is filled once, as it opens.
void ShowTree(const TTreeView& tree, HWND window, const TChangeRecord& changes,
              NativeControl& native) {
  if (changes.Has(chItems)) {
    SendMessageW(window, WM_SETREDRAW, FALSE, 0);
    TreeView_DeleteAllItems(window);
    native.Nodes.clear();
    AddNodes(window, tree.TopNodes(), TVI_ROOT, native);
    SendMessageW(window, WM_SETREDRAW, TRUE, 0);
  }
  // A node opened or closed is a change of the tree's look.
  if (changes.Has(chItems | chSelection | chLook)) {
    ExpandNodes(window, tree.TopNodes(), native);
    const TTreeNode* selected = tree.Selected();
    TreeView_SelectItem(window,
                        selected != nullptr ? ItemOfNode(window, *selected, native) : nullptr);
  }
}

void ShowPages(const TPageControl& pages, HWND window, const TChangeRecord& changes) {
  const std::vector<TTabSheet*> sheets = pages.Pages();
  if (changes.Has(chChildren | chText | chItems)) {
    TabCtrl_DeleteAllItems(window);
    int index = 0;
    for (const TTabSheet* sheet : sheets) {
      std::wstring caption = WideFromModel(sheet->Caption());
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = caption.data();
      SendMessageW(window, TCM_INSERTITEMW, static_cast<WPARAM>(index++),
                   reinterpret_cast<LPARAM>(&item));
    }
  }
  const auto active = std::find(sheets.begin(), sheets.end(), pages.ActivePage());
  TabCtrl_SetCurSel(window, active == sheets.end() ? -1 : active - sheets.begin());
}

// A radio group's items, one below the other in the area below its caption.
void ShowRadioGroup(TRadioGroup& group, NativeControl& native, HWND form, const Scale& scale,
                    HFONT font) {
  const std::size_t count = group.Items().size();
  while (native.Items.size() > count) {
    DestroyWindow(native.Items.back());
    native.Items.pop_back();
  }
  while (native.Items.size() < count) {
    native.Items.push_back(
        MakeWindow(WC_BUTTONW, WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | BS_RADIOBUTTON, 0, form));
  }
  const POINT origin = FormOrigin(group);
  const TRect area = group.ClientRect();
  for (std::size_t i = 0; i < count; ++i) {
    HWND button = native.Items[i];
    const int n = static_cast<int>(count);
    const int index = static_cast<int>(i);
    const int top = area.Top + area.Height() * index / n;
    const int bottom = area.Top + area.Height() * (index + 1) / n;
    SetText(button, group.Items()[i]);
    SendMessageW(button, BM_SETCHECK, index == group.ItemIndex() ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SetWindowPos(button, nullptr, scale.Px(origin.x + area.Left + 6), scale.Px(origin.y + top),
                 scale.Px(std::max(0, area.Width() - 8)), scale.Px(bottom - top), kPlace);
    EnableWindow(button, group.IsUsable() ? TRUE : FALSE);
    ShowWindow(button, group.IsShowing() ? SW_SHOWNA : SW_HIDE);
  }
}

// Whether the control is shown: its own and its containers' Visible, and a tab sheet's
// page being the active one.
bool Showing(const TControl& control) {
  for (const TControl* at = &control; at != nullptr && at->Parent() != nullptr; at = at->Parent()) {
    if (!at->Visible()) {
      return false;
    }
    if (const auto* sheet = dynamic_cast<const TTabSheet*>(at)) {
      const auto* pages = dynamic_cast<const TPageControl*>(sheet->Parent());
      if (pages != nullptr && pages->ActivePage() != sheet) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

FontCache::~FontCache() {
  Clear();
}

void FontCache::Clear() {
  for (auto& [key, font] : fonts_) {
    DeleteObject(font);
  }
  fonts_.clear();
}

HFONT FontCache::Get(const TFont& font, int dpi) {
  const std::string key = font.Name + '\n' + std::to_string(font.Size) + '\n' +
                          std::to_string(font.Charset) + (font.Bold ? "b" : "") + '\n' +
                          std::to_string(dpi);
  auto found = fonts_.find(key);
  if (found != fonts_.end()) {
    return found->second;
  }
  const std::wstring face = WideFromGbk(font.Name);
  HFONT made = CreateFontW(
      -MulDiv(std::max(font.Size, 1), dpi, 72), 0, 0, 0, font.Bold ? FW_BOLD : FW_NORMAL, FALSE,
      FALSE, FALSE, static_cast<DWORD>(font.Charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
      DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.substr(0, LF_FACESIZE - 1).c_str());
  fonts_.emplace(key, made);
  return made;
}

NativeControl CreateNative(TControl& control, HWND form) {
  NativeControl native;
  native.Kind = &typeid(control);
  const WindowKind kind = KindOf(control);
  native.Window = MakeWindow(kind.Class, kind.Style, kind.ExStyle, form);
  if (dynamic_cast<TFileNameEdit*>(&control) != nullptr) {
    native.Items.push_back(
        MakeWindow(WC_BUTTONW, WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | BS_PUSHBUTTON, 0, form));
    SetWindowTextW(native.Items.back(), L"...");
  }
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (dynamic_cast<TComboBox*>(&control) != nullptr && native.Window != nullptr &&
      GetComboBoxInfo(native.Window, &info) && info.hwndItem != nullptr &&
      info.hwndItem != native.Window) {
    native.Inner = info.hwndItem;
  }
  return native;
}

void DestroyNative(NativeControl& native) {
  auto destroy = [](HWND window) {
    if (window != nullptr) {
      DestroyWindow(window);
    }
  };
  for (HWND item : native.Items) {
    destroy(item);
  }
  destroy(native.Window);
  native = NativeControl{};
}

void RaiseNative(const NativeControl& native) {
  constexpr UINT kRaise = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  SetWindowPos(native.Window, HWND_TOP, 0, 0, 0, 0, kRaise);
  for (HWND item : native.Items) {
    SetWindowPos(item, HWND_TOP, 0, 0, 0, 0, kRaise);
  }
}

// A child's bounds are in its parent's own pixels, the parent's client area (below a
// group box's caption, inside a page control's tabs) being a part of those: the model
// places children there itself, so the area's offset is never added again.
POINT FormOrigin(const TControl& control) {
  POINT origin{0, 0};
  for (const TControl* at = &control; at->Parent() != nullptr; at = at->Parent()) {
    origin.x += at->Left();
    origin.y += at->Top();
  }
  return origin;
}

void ShowControl(TControl& control, NativeControl& native, const TChangeRecord& changes,
                 const Scale& scale, FontCache& fonts) {
  HWND window = native.Window;
  if (window == nullptr) {
    return;
  }
  HFONT font = fonts.Get(control.Font(), scale.Dpi);
  if (changes.Has(chFont)) {
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    for (HWND item : native.Items) {
      SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
  }
  // Texts and items before the place: a combo box's list and a list's rows are filled
  // before the window is shown.
  auto caption = [&](const TControl& shown) {
    if (changes.Has(chText)) {
      SetText(window, shown.Caption());
    }
  };
  auto check = [&](bool checked) {
    SendMessageW(window, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  };
  VisitKind(
      control,
      [&](TCheckBox& box) {
        caption(box);
        check(box.Checked());
      },
      [&](TRadioButton& radio) {
        caption(radio);
        check(radio.Checked());
      },
      [&](TTabSheet&) {},  // its caption is its page control's tab
      [&](TPageControl& pages) { ShowPages(pages, window, changes); },
      [&](TCustomEdit& edit) { ShowEdit(edit, window, changes); },
      [&](TComboBox& combo) { ShowCombo(combo, window, changes); },
      [&](TCheckListBox& list) { ShowCheckList(list, window, changes, scale); },
      [&](TListBox& list) { ShowListBox(list, window, changes); },
      [&](TTreeView& tree) { ShowTree(tree, window, changes, native); },
      [&](TListView& list) { ShowListView(list, window, changes, scale); },
      // Labels, buttons, group boxes, panels: their caption.
      [&](TControl& other) { caption(other); }, [](TComponent&) {});

  if (changes.Has(chGeometry | chVisible | chEnabled | chChildren)) {
    const POINT origin = FormOrigin(control);
    int width = control.Width();
    int height = control.Height();
    if (dynamic_cast<TComboBox*>(&control) != nullptr) {
      height += kDropDownRows * height;
    }
    if (!native.Items.empty() && dynamic_cast<TFileNameEdit*>(&control) != nullptr) {
      width = std::max(0, width - kBrowseWidth);
      SetWindowPos(native.Items.front(), nullptr, scale.Px(origin.x + width), scale.Px(origin.y),
                   scale.Px(kBrowseWidth), scale.Px(control.Height()), kPlace);
    }
    SetWindowPos(window, nullptr, scale.Px(origin.x), scale.Px(origin.y), scale.Px(width),
                 scale.Px(height), kPlace);
  }
  if (auto* group = dynamic_cast<TRadioGroup*>(&control)) {
    ShowRadioGroup(*group, native, GetParent(window), scale, font);
  }
  const bool showing = Showing(control);
  const bool usable = showing && control.IsUsable();
  // An edit the operator cannot use (disabled, or in a disabled container) is a field
  // whose text is still read: a read-only edit keeps the window text colour, where a
  // disabled one would grey it out. The model refuses it focus and keys all the same.
  // A label takes no input: it stays enabled, so that the form can give its text a
  // legible grey (a disabled static draws the system's pale one whatever it is told).
  auto* edit = dynamic_cast<TCustomEdit*>(&control);
  if (edit != nullptr) {
    const bool readOnly = edit->ReadOnly() || !usable;
    if (((GetWindowLongW(window, GWL_STYLE) & ES_READONLY) != 0) != readOnly) {
      SendMessageW(window, EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
    }
  }
  const bool keptEnabled =
      showing && (edit != nullptr || dynamic_cast<TLabel*>(&control) != nullptr);
  EnableWindow(window, usable || keptEnabled ? TRUE : FALSE);
  ShowWindow(window, showing ? SW_SHOWNA : SW_HIDE);
  for (HWND item : native.Items) {
    EnableWindow(item, usable ? TRUE : FALSE);
    ShowWindow(item, showing ? SW_SHOWNA : SW_HIDE);
  }
}

COLORREF LegibleDisabledText() {
  const auto luminance = [](COLORREF color) {
    const auto linear = [](BYTE channel) {
      const double c = channel / 255.0;
      return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(GetRValue(color)) + 0.7152 * linear(GetGValue(color)) +
           0.0722 * linear(GetBValue(color));
  };
  constexpr double kContrast = 4.5;
  const double face = luminance(GetSysColor(COLOR_BTNFACE));
  COLORREF text = GetSysColor(COLOR_GRAYTEXT);
  if (face < 0.18) {
    return text;  // a dark face: darker text would read worse
  }
  // A tenth darker each step, towards black.
  for (int step = 0; step < 32 && (face + 0.05) / (luminance(text) + 0.05) < kContrast; ++step) {
    text = RGB(GetRValue(text) * 9 / 10, GetGValue(text) * 9 / 10, GetBValue(text) * 9 / 10);
  }
  return text;
}

std::string RowText(const TListView& list, int row, int column) {
  if (row < 0 || row >= static_cast<int>(list.Items().size()) || column < 0) {
    return {};
  }
  const TListItem& item = list.Items()[static_cast<std::size_t>(row)];
  if (column == 0) {
    return item.Caption;
  }
  const auto sub = static_cast<std::size_t>(column - 1);
  return sub < item.SubItems.size() ? item.SubItems[sub] : std::string();
}

}  // namespace ui::win32

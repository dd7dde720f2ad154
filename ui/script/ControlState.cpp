#include "ui/script/ControlState.h"

#include "ui/Controls.h"
#include "ui/script/ScriptText.h"

namespace ui {
namespace {

std::string Bool(bool value) {
  return value ? "true" : "false";
}

std::string AlignWord(TAlignment a) {
  switch (a) {
    case taLeftJustify:
      return "left";
    case taRightJustify:
      return "right";
    case taCenter:
      return "center";
  }
  return "left";
}

std::string RowText(const TListItem& item) {
  std::string row = item.Caption;
  for (const std::string& sub : item.SubItems) {
    row += "\t" + sub;
  }
  return row;
}

std::optional<std::string> TextOf(const TComponent& c) {
  if (auto* item = dynamic_cast<const TMenuItem*>(&c)) {
    return item->Caption;
  }
  if (auto* control = dynamic_cast<const TControl*>(&c)) {
    return control->DisplayText();
  }
  return std::nullopt;
}

std::optional<int> ItemIndexOf(const TComponent& c) {
  if (auto* combo = dynamic_cast<const TComboBox*>(&c)) {
    return combo->ItemIndex();
  }
  if (auto* list = dynamic_cast<const TListBox*>(&c)) {
    return list->ItemIndex();
  }
  if (auto* view = dynamic_cast<const TListView*>(&c)) {
    return view->ItemIndex();
  }
  if (auto* group = dynamic_cast<const TRadioGroup*>(&c)) {
    return group->ItemIndex;
  }
  if (auto* tree = dynamic_cast<const TTreeView*>(&c)) {
    auto nodes = tree->Nodes();
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      if (nodes[i] == tree->Selected()) {
        return static_cast<int>(i);
      }
    }
    return -1;
  }
  return std::nullopt;
}

std::optional<bool> CheckedOf(const TComponent& c) {
  if (auto* box = dynamic_cast<const TCheckBox*>(&c)) {
    return box->Checked();
  }
  if (auto* radio = dynamic_cast<const TRadioButton*>(&c)) {
    return radio->Checked();
  }
  if (auto* item = dynamic_cast<const TMenuItem*>(&c)) {
    return item->Checked;
  }
  return std::nullopt;
}

std::optional<bool> ReadOnlyOf(const TComponent& c) {
  if (auto* edit = dynamic_cast<const TCustomEdit*>(&c)) {
    return edit->ReadOnly;
  }
  if (auto* tree = dynamic_cast<const TTreeView*>(&c)) {
    return tree->ReadOnly;
  }
  if (auto* view = dynamic_cast<const TListView*>(&c)) {
    return view->ReadOnly;
  }
  return std::nullopt;
}

std::optional<int> CaretOf(const TComponent& c) {
  if (auto* edit = dynamic_cast<const TCustomEdit*>(&c)) {
    return edit->SelStart();
  }
  if (auto* combo = dynamic_cast<const TComboBox*>(&c)) {
    return combo->SelStart();
  }
  return std::nullopt;
}

}  // namespace

std::optional<TStrings> ItemTexts(const TComponent& c) {
  if (auto* combo = dynamic_cast<const TComboBox*>(&c)) {
    return combo->Items;
  }
  if (auto* list = dynamic_cast<const TListBox*>(&c)) {
    return list->Items;
  }
  if (auto* memo = dynamic_cast<const TMemo*>(&c)) {
    return memo->Lines();
  }
  if (auto* group = dynamic_cast<const TRadioGroup*>(&c)) {
    return group->Items;
  }
  if (auto* tree = dynamic_cast<const TTreeView*>(&c)) {
    TStrings texts;
    for (TTreeNode* node : tree->Nodes()) {
      texts.push_back(node->Text);
    }
    return texts;
  }
  if (auto* view = dynamic_cast<const TListView*>(&c)) {
    TStrings rows;
    for (const TListItem& item : view->Items) {
      rows.push_back(RowText(item));
    }
    return rows;
  }
  if (auto* menu = dynamic_cast<const TPopupMenu*>(&c)) {
    TStrings captions;
    for (TMenuItem* item : menu->Items()) {
      captions.push_back(item->Caption);
    }
    return captions;
  }
  return std::nullopt;
}

std::vector<std::string> PropertyValue(const TComponent& c, const std::string& property, int index,
                                       std::string& error) {
  auto* control = dynamic_cast<const TControl*>(&c);
  auto* item = dynamic_cast<const TMenuItem*>(&c);
  auto missing = [&]() -> std::vector<std::string> {
    error = std::string(c.ClassName()) + " has no property " + property;
    return {};
  };
  if (property == "text") {
    if (auto text = TextOf(c)) {
      return {*text};
    }
  } else if (property == "caption") {
    if (control) {
      return {control->Caption};
    }
    if (item) {
      return {item->Caption};
    }
  } else if (property == "enabled") {
    if (control) {
      return {Bool(control->Enabled)};
    }
    if (item) {
      return {Bool(item->Enabled)};
    }
  } else if (property == "visible") {
    if (control) {
      return {Bool(control->Visible)};
    }
    if (item) {
      return {Bool(item->Visible)};
    }
  } else if (property == "readonly") {
    if (auto value = ReadOnlyOf(c)) {
      return {Bool(*value)};
    }
  } else if (property == "checked") {
    if (auto value = CheckedOf(c)) {
      return {Bool(*value)};
    }
  } else if (property == "font") {
    if (control) {
      TFont font = control->Font();
      return {font.Name, std::to_string(font.Size), std::to_string(font.Charset)};
    }
  } else if (property == "caret") {
    if (auto value = CaretOf(c)) {
      return {std::to_string(*value)};
    }
  } else if (property == "itemindex") {
    if (auto value = ItemIndexOf(c)) {
      return {std::to_string(*value)};
    }
  } else if (property == "count") {
    if (auto items = ItemTexts(c)) {
      return {std::to_string(items->size())};
    }
  } else if (property == "item") {
    if (auto items = ItemTexts(c)) {
      if (index >= 0 && index < static_cast<int>(items->size())) {
        return {(*items)[index]};
      }
      error = "item " + std::to_string(index) + " is out of range (count " +
              std::to_string(items->size()) + ")";
      return {};
    }
  } else if (property == "itemchecked") {
    if (auto* list = dynamic_cast<const TCheckListBox*>(&c)) {
      if (index >= 0 && index < static_cast<int>(list->Items.size())) {
        return {Bool(list->Checked(index))};
      }
      error = "item " + std::to_string(index) + " is out of range";
      return {};
    }
  } else if (property == "columns") {
    if (auto* view = dynamic_cast<const TListView*>(&c)) {
      return {std::to_string(view->Columns.size())};
    }
  } else if (property == "column") {
    if (auto* view = dynamic_cast<const TListView*>(&c)) {
      if (index >= 0 && index < static_cast<int>(view->Columns.size())) {
        const TListColumn& col = view->Columns[index];
        return {col.Caption, std::to_string(col.Width), AlignWord(col.Alignment)};
      }
      error = "column " + std::to_string(index) + " is out of range";
      return {};
    }
  } else {
    error = "unknown property " + property;
    return {};
  }
  return missing();
}

namespace {

// Enabled as the operator finds it: a control inside a disabled parent is disabled.
bool EnabledWithParents(const TControl& control) {
  for (const TControl* c = &control; c != nullptr; c = c->Parent()) {
    if (!c->Enabled) {
      return false;
    }
  }
  return true;
}

// How the control follows its parent's size, when it does: " align=top" for a docked
// control, " anchors=left,top,right" for anchors other than the usual left and top.
std::string LayoutRules(const TControl& control) {
  static constexpr const char* kAligns[] = {"none", "top", "bottom", "left", "right", "client"};
  if (control.Align != alNone) {
    return std::string(" align=") + kAligns[control.Align];
  }
  if (control.Anchors() == akLeftTop) {
    return {};
  }
  std::string edges;
  for (auto [flag, name] : {std::pair{akLeft, "left"}, std::pair{akTop, "top"},
                            std::pair{akRight, "right"}, std::pair{akBottom, "bottom"}}) {
    if ((control.Anchors() & flag) != 0) {
      edges += (edges.empty() ? "" : ",") + std::string(name);
    }
  }
  return " anchors=" + (edges.empty() ? std::string("none") : edges);
}

void DumpOne(const TComponent& c, std::vector<std::string>& out) {
  std::string line = "dump " + (c.Name.empty() ? std::string("-") : c.Name) + " " + c.ClassName();
  if (auto text = TextOf(c)) {
    line += " " + QuoteText(*text);
  }
  auto* control = dynamic_cast<const TControl*>(&c);
  std::string ignored;
  auto add = [&](const char* property) {
    auto value = PropertyValue(c, property, 0, ignored);
    if (!value.empty()) {
      line += std::string(" ") + property + "=" + value[0];
    }
  };
  // A control's state is the effective one, which decides whether a script may act on
  // it; "expect" reads the control's own property.
  if (control != nullptr) {
    line +=
        " enabled=" + Bool(EnabledWithParents(*control)) + " visible=" + Bool(control->IsShowing());
  } else {
    add("enabled");
    add("visible");
  }
  for (const char* property : {"readonly", "checked", "caret", "itemindex", "count"}) {
    add(property);
  }
  // Where it is: its parent, and its bounds in the parent's pixels.
  if (control != nullptr) {
    if (const TWinControl* parent = control->Parent()) {
      line += " parent=" + (parent->Name.empty() ? std::string("-") : parent->Name);
    }
    line += " left=" + std::to_string(control->Left()) + " top=" + std::to_string(control->Top()) +
            " width=" + std::to_string(control->Width()) +
            " height=" + std::to_string(control->Height());
    line += LayoutRules(*control);
  }
  out.push_back(line);
  if (auto items = ItemTexts(c)) {
    for (std::size_t i = 0; i < items->size(); ++i) {
      std::string entry =
          "dump " + c.Name + " item " + std::to_string(i) + " " + QuoteText((*items)[i]);
      if (auto* list = dynamic_cast<const TCheckListBox*>(&c)) {
        entry += list->Checked(static_cast<int>(i)) ? " checked" : " unchecked";
      }
      out.push_back(entry);
    }
  }
}

void DumpTree(const TComponent& c, std::vector<std::string>& out) {
  DumpOne(c, out);
  for (TComponent* owned : c.Components()) {
    DumpTree(*owned, out);
  }
}

}  // namespace

std::vector<std::string> DumpLines(const TComponent& c) {
  std::vector<std::string> out;
  if (dynamic_cast<const TForm*>(&c)) {
    DumpTree(c, out);
  } else {
    DumpOne(c, out);
  }
  return out;
}

}  // namespace ui

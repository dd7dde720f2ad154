// What a script reads from a component, kind by kind: its text, items, index, marks,
// caret and read-only state, and the dump lines made of them.
#include "ui/script/ControlState.h"

#include "ui/VisitKind.h"
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
  return VisitKind(
      c, [](const TMenuItem& item) -> std::optional<std::string> { return item.Caption(); },
      [](const TControl& control) -> std::optional<std::string> { return control.DisplayText(); },
      [](const TComponent&) -> std::optional<std::string> { return std::nullopt; });
}

std::optional<int> ItemIndexOf(const TComponent& c) {
  using Index = std::optional<int>;
  return VisitKind(
      c, [](const TComboBox& combo) -> Index { return combo.ItemIndex(); },
      [](const TListBox& list) -> Index { return list.ItemIndex(); },
      [](const TListView& view) -> Index { return view.ItemIndex(); },
      [](const TRadioGroup& group) -> Index { return group.ItemIndex(); },
      [](const TTreeView& tree) -> Index {
        auto nodes = tree.Nodes();
        for (std::size_t i = 0; i < nodes.size(); ++i) {
          if (nodes[i] == tree.Selected()) {
            return static_cast<int>(i);
          }
        }
        return -1;
      },
      [](const TComponent&) -> Index { return std::nullopt; });
}

std::optional<bool> CheckedOf(const TComponent& c) {
  using Flag = std::optional<bool>;
  return VisitKind(
      c, [](const TCheckBox& box) -> Flag { return box.Checked(); },
      [](const TRadioButton& radio) -> Flag { return radio.Checked(); },
      [](const TMenuItem& item) -> Flag { return item.Checked(); },
      [](const TComponent&) -> Flag { return std::nullopt; });
}

std::optional<bool> ReadOnlyOf(const TComponent& c) {
  using Flag = std::optional<bool>;
  return VisitKind(
      c, [](const TCustomEdit& edit) -> Flag { return edit.ReadOnly(); },
      [](const TTreeView& tree) -> Flag { return tree.ReadOnly(); },
      [](const TListView& view) -> Flag { return view.ReadOnly(); },
      [](const TComponent&) -> Flag { return std::nullopt; });
}

std::optional<int> CaretOf(const TComponent& c) {
  using Caret = std::optional<int>;
  return VisitKind(
      c, [](const TCustomEdit& edit) -> Caret { return edit.SelStart(); },
      [](const TComboBox& combo) -> Caret { return combo.SelStart(); },
      [](const TComponent&) -> Caret { return std::nullopt; });
}

// The caption and own flags of a control or a menu item, which are no kin.
struct OwnState {
  std::string Caption;
  bool Enabled = true;
  bool Visible = true;
};

std::optional<OwnState> OwnStateOf(const TComponent& c) {
  using State = std::optional<OwnState>;
  return VisitKind(
      c,
      [](const TControl& control) -> State {
        return OwnState{control.Caption(), control.Enabled(), control.Visible()};
      },
      [](const TMenuItem& item) -> State {
        return OwnState{item.Caption(), item.Enabled(), item.Visible()};
      },
      [](const TComponent&) -> State { return std::nullopt; });
}

using Values = std::optional<std::vector<std::string>>;

Values FontOf(const TComponent& c) {
  return VisitKind(
      c,
      [](const TControl& control) -> Values {
        TFont font = control.Font();
        return std::vector<std::string>{font.Name, std::to_string(font.Size),
                                        std::to_string(font.Charset)};
      },
      [](const TComponent&) -> Values { return std::nullopt; });
}

Values ItemCheckedOf(const TComponent& c, int index, std::string& error) {
  return VisitKind(
      c,
      [&](const TCheckListBox& list) -> Values {
        if (index >= 0 && index < static_cast<int>(list.Items().size())) {
          return std::vector<std::string>{Bool(list.Checked(index))};
        }
        error = "item " + std::to_string(index) + " is out of range";
        return std::vector<std::string>{};
      },
      [](const TComponent&) -> Values { return std::nullopt; });
}

Values ColumnsOf(const TComponent& c) {
  return VisitKind(
      c,
      [](const TListView& view) -> Values {
        return std::vector<std::string>{std::to_string(view.Columns().size())};
      },
      [](const TComponent&) -> Values { return std::nullopt; });
}

Values ColumnOf(const TComponent& c, int index, std::string& error) {
  return VisitKind(
      c,
      [&](const TListView& view) -> Values {
        if (index >= 0 && index < static_cast<int>(view.Columns().size())) {
          const TListColumn& col = view.Columns()[index];
          return std::vector<std::string>{col.Caption, std::to_string(col.Width),
                                          AlignWord(col.Alignment)};
        }
        error = "column " + std::to_string(index) + " is out of range";
        return std::vector<std::string>{};
      },
      [](const TComponent&) -> Values { return std::nullopt; });
}

}  // namespace

std::optional<TStrings> ItemTexts(const TComponent& c) {
  using Texts = std::optional<TStrings>;
  return VisitKind(
      c, [](const TComboBox& combo) -> Texts { return combo.Items(); },
      [](const TListBox& list) -> Texts { return list.Items(); },
      [](const TMemo& memo) -> Texts { return memo.Lines(); },
      [](const TRadioGroup& group) -> Texts { return group.Items(); },
      [](const TTreeView& tree) -> Texts {
        TStrings texts;
        for (TTreeNode* node : tree.Nodes()) {
          texts.push_back(node->Text());
        }
        return texts;
      },
      [](const TListView& view) -> Texts {
        TStrings rows;
        for (const TListItem& item : view.Items()) {
          rows.push_back(RowText(item));
        }
        return rows;
      },
      [](const TPopupMenu& menu) -> Texts {
        TStrings captions;
        for (TMenuItem* item : menu.Items()) {
          captions.push_back(item->Caption());
        }
        return captions;
      },
      [](const TComponent&) -> Texts { return std::nullopt; });
}

std::vector<std::string> PropertyValue(const TComponent& c, const std::string& property, int index,
                                       std::string& error) {
  const std::optional<OwnState> own = OwnStateOf(c);
  Values values;
  auto missing = [&]() -> std::vector<std::string> {
    error = std::string(c.ClassName()) + " has no property " + property;
    return {};
  };
  if (property == "text") {
    if (auto text = TextOf(c)) {
      return {*text};
    }
  } else if (property == "caption") {
    if (own) {
      return {own->Caption};
    }
  } else if (property == "enabled") {
    if (own) {
      return {Bool(own->Enabled)};
    }
  } else if (property == "visible") {
    if (own) {
      return {Bool(own->Visible)};
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
    values = FontOf(c);
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
    values = ItemCheckedOf(c, index, error);
  } else if (property == "columns") {
    values = ColumnsOf(c);
  } else if (property == "column") {
    values = ColumnOf(c, index, error);
  } else {
    error = "unknown property " + property;
    return {};
  }
  return values ? *values : missing();
}

namespace {

// Enabled as the operator finds it: a control inside a disabled parent is disabled.
bool EnabledWithParents(const TControl& control) {
  for (const TControl* c = &control; c != nullptr; c = c->Parent()) {
    if (!c->Enabled()) {
      return false;
    }
  }
  return true;
}

// How the control follows its parent's size, when it does: " align=top" for a docked
// control, " anchors=left,top,right" for anchors other than the usual left and top.
std::string LayoutRules(const TControl& control) {
  static constexpr const char* kAligns[] = {"none", "top", "bottom", "left", "right", "client"};
  if (control.Align() != alNone) {
    return std::string(" align=") + kAligns[control.Align()];
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

// A control's state as the operator finds it, which decides whether a script may act on
// it (" enabled=... visible=..."), and where it is: its parent, and its bounds in the
// parent's pixels. Nothing for other components.
struct Placed {
  std::string State;
  std::string Place;
};

std::optional<Placed> PlacedOf(const TComponent& c) {
  return VisitKind(
      c,
      [](const TControl& control) -> std::optional<Placed> {
        Placed placed;
        placed.State = " enabled=" + Bool(EnabledWithParents(control)) +
                       " visible=" + Bool(control.IsShowing());
        if (const TWinControl* parent = control.Parent()) {
          placed.Place = " parent=" + (parent->Name.empty() ? std::string("-") : parent->Name);
        }
        placed.Place += " left=" + std::to_string(control.Left()) +
                        " top=" + std::to_string(control.Top()) +
                        " width=" + std::to_string(control.Width()) +
                        " height=" + std::to_string(control.Height()) + LayoutRules(control);
        return placed;
      },
      [](const TComponent&) -> std::optional<Placed> { return std::nullopt; });
}

// " checked" or " unchecked" after an item of a check list box; nothing for other items.
std::string MarkOf(const TComponent& c, int index) {
  return VisitKind(
      c,
      [index](const TCheckListBox& list) {
        return std::string(list.Checked(index) ? " checked" : " unchecked");
      },
      [](const TComponent&) { return std::string(); });
}

void DumpOne(const TComponent& c, std::vector<std::string>& out) {
  std::string line = "dump " + (c.Name.empty() ? std::string("-") : c.Name) + " " + c.ClassName();
  if (auto text = TextOf(c)) {
    line += " " + QuoteText(*text);
  }
  const std::optional<Placed> placed = PlacedOf(c);
  std::string ignored;
  auto add = [&](const char* property) {
    auto value = PropertyValue(c, property, 0, ignored);
    if (!value.empty()) {
      line += std::string(" ") + property + "=" + value[0];
    }
  };
  // A control's state is the effective one; "expect" reads the control's own property.
  if (placed) {
    line += placed->State;
  } else {
    add("enabled");
    add("visible");
  }
  for (const char* property : {"readonly", "checked", "caret", "itemindex", "count"}) {
    add(property);
  }
  if (placed) {
    line += placed->Place;
  }
  out.push_back(line);
  if (auto items = ItemTexts(c)) {
    for (std::size_t i = 0; i < items->size(); ++i) {
      out.push_back("dump " + c.Name + " item " + std::to_string(i) + " " + QuoteText((*items)[i]) +
                    MarkOf(c, static_cast<int>(i)));
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
  // A form is dumped with everything it owns.
  VisitKind(
      c, [&out](const TForm& form) { DumpTree(form, out); },
      [&out](const TComponent& other) { DumpOne(other, out); });
  return out;
}

}  // namespace ui

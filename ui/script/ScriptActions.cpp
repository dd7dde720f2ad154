// The actions of an operator script: each finds its control by name and acts as the
// operator would, through ui/Input.h.
#include "ui/script/ScriptActions.h"

#include <charconv>
#include <optional>

#include "sys/CodePage.h"
#include "ui/Input.h"
#include "ui/VisitKind.h"
#include "ui/script/ControlState.h"
#include "ui/script/ScriptRunner.h"

namespace ui {
namespace {

std::optional<int> ParseInt(const std::string& text) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

// Key names of the script, with optional Shift+, Ctrl+ and Alt+ in front.
std::optional<std::pair<std::uint16_t, TShiftState>> ParseKey(std::string name) {
  TShiftState shift = 0;
  for (bool more = true; more;) {
    more = false;
    for (auto [prefix, flag] : {std::pair<const char*, TShiftState>{"Shift+", ssShift},
                                {"Ctrl+", ssCtrl},
                                {"Alt+", ssAlt}}) {
      std::string p = prefix;
      if (name.rfind(p, 0) == 0 && name.size() > p.size()) {
        shift |= flag;
        name = name.substr(p.size());
        more = true;
      }
    }
  }
  static constexpr std::pair<const char*, std::uint16_t> kNames[] = {
      {"Enter", vk::Return},  {"Escape", vk::Escape}, {"Tab", vk::Tab},   {"Backspace", vk::Back},
      {"Delete", vk::Delete}, {"Up", vk::Up},         {"Down", vk::Down}, {"Left", vk::Left},
      {"Right", vk::Right},   {"Home", vk::Home},     {"End", vk::End},   {"Space", vk::Space},
      {"PageUp", vk::Prior},  {"PageDown", vk::Next}};
  for (auto [keyName, key] : kNames) {
    if (name == keyName) {
      return std::make_pair(key, shift);
    }
  }
  if (name.size() >= 2 && name[0] == 'F') {
    auto n = ParseInt(name.substr(1));
    if (n && *n >= 1 && *n <= 12) {
      return std::make_pair(std::uint16_t(vk::F1 + *n - 1), shift);
    }
  }
  if (name.size() == 1 &&
      ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= '0' && name[0] <= '9'))) {
    return std::make_pair(std::uint16_t(name[0]), shift);
  }
  return std::nullopt;
}

// One action being run: its line, the form, and the ways to fail it.
class Action {
 public:
  Action(ScriptRunner& runner, TForm& form, const ScriptLine& line)
      : runner_(runner), form_(form), line_(line), args_(line.Tokens) {}

  void Run();

 private:
  bool Fail(const std::string& what) {
    runner_.Fail(line_.Number, what);
    return false;
  }
  bool Args(std::size_t min, std::size_t max, const char* usage) {
    if (args_.size() - 1 < min || args_.size() - 1 > max) {
      return Fail(std::string("usage: ") + usage);
    }
    return true;
  }
  const std::string& Arg(std::size_t i) const { return args_[i].Text; }
  std::string Utf8(std::size_t i) const { return sys::GbkToUtf8(args_[i].Text); }

  TComponent* Find(const std::string& name);
  template <class T>
  T* FindAs(const std::string& name, const char* what);
  // The control must be enabled and visible (with its parents) for the operator.
  bool Usable(const TControl& control);
  // An item by 0-based index, or by its text when quoted or not a number.
  std::optional<int> ItemOf(const TComponent& c, const ScriptToken& token);

  void Click(bool twice);
  void Focus();
  void Type();
  void Key();
  void Paste();
  void Set();
  void Caret();
  void Select();
  void Check();
  void Drag();
  void Resize();
  void Expect();
  void Dump();

  ScriptRunner& runner_;
  TForm& form_;
  const ScriptLine& line_;
  const std::vector<ScriptToken>& args_;
};

TComponent* Action::Find(const std::string& name) {
  if (name == "form") {
    return &form_;
  }
  TComponent* c = form_.FindComponent(name);
  if (!c) {
    Fail("unknown control " + sys::GbkToUtf8(name) + " on " + form_.ClassName());
  }
  return c;
}

template <class T>
T* Action::FindAs(const std::string& name, const char* what) {
  TComponent* c = Find(name);
  if (!c) {
    return nullptr;
  }
  auto* t = dynamic_cast<T*>(c);
  if (!t) {
    Fail(sys::GbkToUtf8(name) + " (" + c->ClassName() + ") is not " + what);
  }
  return t;
}

bool Action::Usable(const TControl& control) {
  const std::string name = sys::GbkToUtf8(control.Name);
  if (!control.IsShowing()) {
    return Fail(name + " is not visible");
  }
  if (!control.IsUsable()) {
    return Fail(name + " is disabled");
  }
  return true;
}

std::optional<int> Action::ItemOf(const TComponent& c, const ScriptToken& token) {
  auto items = ItemTexts(c);
  if (!items) {
    Fail(sys::GbkToUtf8(c.Name) + " (" + c.ClassName() + ") has no items");
    return std::nullopt;
  }
  int count = static_cast<int>(items->size());
  if (!token.Quoted) {
    if (auto index = ParseInt(token.Text)) {
      if (*index >= 0 && *index < count) {
        return index;
      }
      Fail("item " + token.Text + " is out of range (count " + std::to_string(count) + ")");
      return std::nullopt;
    }
  }
  // A list-view row is found by its caption, any other item by its whole text.
  const TStrings keys = VisitKind(
      c,
      [](const TListView& view) {
        TStrings captions;
        for (const TListItem& row : view.Items()) {
          captions.push_back(row.Caption);
        }
        return captions;
      },
      [&items](const TComponent&) { return std::move(*items); });
  for (int i = 0; i < count; ++i) {
    if (keys[static_cast<std::size_t>(i)] == token.Text) {
      return i;
    }
  }
  Fail("no item " + QuoteText(token.Text) + " in " + sys::GbkToUtf8(c.Name));
  return std::nullopt;
}

void Action::Run() {
  const std::string& action = Arg(0);
  if (action == "click") {
    return Click(false);
  }
  if (action == "dblclick") {
    return Click(true);
  }
  if (action == "focus") {
    return Focus();
  }
  if (action == "type") {
    return Type();
  }
  if (action == "key") {
    return Key();
  }
  if (action == "paste") {
    return Paste();
  }
  if (action == "set") {
    return Set();
  }
  if (action == "caret") {
    return Caret();
  }
  if (action == "select") {
    return Select();
  }
  if (action == "check") {
    return Check();
  }
  if (action == "drag") {
    return Drag();
  }
  if (action == "resize") {
    return Resize();
  }
  if (action == "expect") {
    return Expect();
  }
  if (action == "dump") {
    return Dump();
  }
  if (action == "close") {
    if (Args(0, 0, "close")) {
      CloseByOperator(form_);
    }
    return;
  }
  if (action == "shot") {
    return RunShot(runner_, line_);
  }
  Fail("unknown action " + Utf8(0));
}

void Action::Click(bool twice) {
  if (!Args(1, 1, twice ? "dblclick NAME" : "click NAME")) {
    return;
  }
  TComponent* c = Find(Arg(1));
  if (!c) {
    return;
  }
  auto clickOn = [&](TControl& control, const TControl& usable) {
    if (!Usable(usable)) {
      return;
    }
    if (twice) {
      DblClickControl(control);
    } else {
      ClickControl(control);
    }
  };
  VisitKind(
      *c,
      [&](TMenuItem& item) {
        if (!item.Visible()) {
          return void(Fail(Utf8(1) + " is not visible"));
        }
        if (!item.Enabled()) {
          return void(Fail(Utf8(1) + " is disabled"));
        }
        ClickMenuItem(item);
      },
      // A tab is clicked on its page control, whether or not its sheet is showing.
      [&](TTabSheet& sheet) {
        clickOn(sheet, sheet.Parent() != nullptr ? *sheet.Parent() : sheet);
      },
      [&](TControl& control) { clickOn(control, control); },
      [&](TComponent& other) { Fail(Utf8(1) + " (" + other.ClassName() + ") cannot be clicked"); });
}

void Action::Focus() {
  if (!Args(1, 1, "focus NAME")) {
    return;
  }
  auto* control = FindAs<TWinControl>(Arg(1), "a control that takes the focus");
  if (!control || !Usable(*control)) {
    return;
  }
  if (!control->AcceptsFocus()) {
    return void(Fail(Utf8(1) + " cannot take the focus"));
  }
  FocusByOperator(*control);
}

void Action::Type() {
  if (!Args(2, 2, "type NAME TEXT")) {
    return;
  }
  auto* control = FindAs<TWinControl>(Arg(1), "a control that takes typing");
  if (!control || !Usable(*control)) {
    return;
  }
  if (!control->AcceptsFocus()) {
    return void(Fail(Utf8(1) + " cannot take the focus"));
  }
  TypeText(*control, Arg(2));
}

void Action::Key() {
  if (!Args(2, 2, "key NAME KEY")) {
    return;
  }
  auto key = ParseKey(Arg(2));
  if (!key) {
    return void(Fail("unknown key " + Utf8(2)));
  }
  auto* control = FindAs<TWinControl>(Arg(1), "a control that takes keys");
  if (!control || !Usable(*control)) {
    return;
  }
  if (!control->AcceptsFocus()) {
    return void(Fail(Utf8(1) + " cannot take the focus"));
  }
  PressKey(*control, key->first, key->second);
}

void Action::Paste() {
  if (!Args(2, 2, "paste NAME TEXT")) {
    return;
  }
  auto* control = FindAs<TWinControl>(Arg(1), "a control that takes a paste");
  if (!control || !Usable(*control)) {
    return;
  }
  if (!control->AcceptsFocus()) {
    return void(Fail(Utf8(1) + " cannot take the focus"));
  }
  PasteText(*control, Arg(2));
}

// As code would: the change event of an edit runs, nothing checks the operator's access.
void Action::Set() {
  if (!Args(2, 2, "set NAME TEXT")) {
    return;
  }
  TComponent* c = Find(Arg(1));
  if (!c) {
    return;
  }
  const std::string& text = Arg(2);
  Dispatch([&] {
    VisitKind(
        *c, [&text](TCustomEdit& edit) { edit.SetText(text); },
        [&text](TComboBox& combo) { combo.SetText(text); },
        [&text](TControl& control) { control.SetCaption(text); },
        [&text](TMenuItem& item) { item.SetCaption(text); }, [](TComponent&) {});
  });
}

void Action::Caret() {
  if (!Args(2, 2, "caret NAME POS|end")) {
    return;
  }
  TComponent* c = Find(Arg(1));
  if (!c) {
    return;
  }
  std::optional<int> pos = Arg(2) == "end" ? std::optional<int>(1 << 30) : ParseInt(Arg(2));
  if (!pos || *pos < 0) {
    return void(Fail("caret position must be a byte offset or end"));
  }
  VisitKind(
      *c, [&pos](TCustomEdit& edit) { edit.SetSelStart(*pos); },
      [&pos](TComboBox& combo) { combo.SetSelStart(*pos); },
      [&](TComponent& other) { Fail(Utf8(1) + " (" + other.ClassName() + ") has no caret"); });
}

void Action::Select() {
  if (!Args(2, 2, "select NAME ITEM")) {
    return;
  }
  auto* control = FindAs<TWinControl>(Arg(1), "a list");
  if (!control || !Usable(*control)) {
    return;
  }
  const bool selectable = VisitKind(
      *control, [](TComboBox&) { return true; }, [](TListBox&) { return true; },
      [](TListView&) { return true; }, [](TTreeView&) { return true; },
      [](TRadioGroup&) { return true; }, [](TComponent&) { return false; });
  if (!selectable) {
    return void(Fail(Utf8(1) + " (" + control->ClassName() + ") has no items to select"));
  }
  if (auto index = ItemOf(*control, args_[2])) {
    SelectItem(*control, *index);
  }
}

void Action::Check() {
  if (!Args(2, 3, "check NAME [ITEM] on|off")) {
    return;
  }
  const std::string& state = args_.back().Text;
  if (state != "on" && state != "off") {
    return void(Fail("check needs on or off"));
  }
  bool on = state == "on";
  auto* control = FindAs<TWinControl>(Arg(1), "a check box or check list box");
  if (!control || !Usable(*control)) {
    return;
  }
  if (args_.size() == 4) {
    return VisitKind(
        *control,
        [&](TCheckListBox& list) {
          if (auto index = ItemOf(list, args_[2])) {
            CheckItem(list, *index, on);
          }
        },
        [&](TComponent& other) {
          Fail(Utf8(1) + " (" + other.ClassName() + ") has no check items");
        });
  }
  VisitKind(
      *control, [on](TCheckBox& box) { CheckControl(box, on); },
      [on](TRadioButton& radio) { CheckControl(radio, on); },
      [&](TComponent& other) {
        Fail(Utf8(1) + " (" + other.ClassName() + ") is not a check box");
      });
}

void Action::Drag() {
  if (!Args(3, 4, "drag NAME FROM TO [left|right]")) {
    return;
  }
  TMouseButton button = mbLeft;
  if (args_.size() == 5) {
    if (Arg(4) == "right") {
      button = mbRight;
    } else if (Arg(4) != "left") {
      return void(Fail("drag takes the left or right button"));
    }
  }
  auto* list = FindAs<TListBox>(Arg(1), "a list box");
  if (!list || !Usable(*list)) {
    return;
  }
  auto from = ItemOf(*list, args_[2]);
  if (!from) {
    return;
  }
  int to = -1;
  if (args_[3].Quoted || Arg(3) != "end") {
    auto target = ItemOf(*list, args_[3]);
    if (!target) {
      return;
    }
    to = *target;
  }
  DragItem(*list, *from, to, button);
}

void Action::Resize() {
  if (!Args(3, 3, "resize NAME WIDTH HEIGHT")) {
    return;
  }
  auto* control = FindAs<TControl>(Arg(1), "a control");
  if (!control) {
    return;
  }
  auto width = ParseInt(Arg(2));
  auto height = ParseInt(Arg(3));
  if (!width || !height || *width < 0 || *height < 0) {
    return void(Fail("resize needs a width and a height in pixels"));
  }
  Dispatch([&] { control->SetBounds(control->Left(), control->Top(), *width, *height); });
}

void Action::Expect() {
  if (args_.size() < 4) {
    return void(Fail("usage: expect NAME PROPERTY VALUE..."));
  }
  TComponent* c = Find(Arg(1));
  if (!c) {
    return;
  }
  const std::string& property = Arg(2);
  std::size_t first = 3;
  int index = 0;
  if (property == "item" || property == "itemchecked" || property == "column") {
    auto n = ParseInt(Arg(3));
    if (!n) {
      return void(Fail(property + " needs an index"));
    }
    index = *n;
    first = 4;
  }
  std::string error;
  std::vector<std::string> actual = PropertyValue(*c, property, index, error);
  if (!error.empty()) {
    return void(Fail("expect " + Utf8(1) + ": " + error));
  }
  std::vector<std::string> wanted;
  for (std::size_t i = first; i < args_.size(); ++i) {
    wanted.push_back(Arg(i));
  }
  if (wanted == actual) {
    return;
  }
  auto show = [](const std::vector<std::string>& values) {
    std::string out;
    for (const std::string& v : values) {
      out += (out.empty() ? "" : " ") + QuoteText(v);
    }
    return out.empty() ? std::string("nothing") : out;
  };
  std::string what = property == "item" || property == "itemchecked" || property == "column"
                         ? property + " " + Arg(3)
                         : property;
  Fail("expect " + Utf8(1) + " " + what + ": wanted " + show(wanted) + ", found " + show(actual));
}

void Action::Dump() {
  if (!Args(0, 1, "dump [NAME]")) {
    return;
  }
  TComponent* c = args_.size() == 2 ? Find(Arg(1)) : &form_;
  if (!c) {
    return;
  }
  for (std::string& line : DumpLines(*c)) {
    runner_.Log().Add(std::move(line));
  }
}

}  // namespace

void RunAction(ScriptRunner& runner, TForm& form, const ScriptLine& line) {
  Action(runner, form, line).Run();
}

bool IsShotLine(const ScriptLine& line) {
  return line.Error.empty() && !line.Tokens.empty() && line.Tokens[0].Text == "shot";
}

void RunShot(ScriptRunner& runner, const ScriptLine& line) {
  if (line.Tokens.size() != 2 || line.Tokens[1].Text.empty()) {
    return runner.Fail(line.Number, "usage: shot FILE");
  }
  ScriptScreen* screen = runner.Screen();
  if (screen == nullptr) {
    return runner.Fail(line.Number,
                       "shot needs a screen: run the script on the Qt platform (TAVRO_UI=qt)");
  }
  std::string why;
  if (!screen->SaveShot(line.Tokens[1].Text, why)) {
    runner.Fail(line.Number, "shot " + sys::GbkToUtf8(line.Tokens[1].Text) + ": " + why);
  }
}

}  // namespace ui

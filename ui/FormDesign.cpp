// Applying a form's designed geometry: places, anchors, docking and tab order.
#include "ui/FormDesign.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "ui/ScreenFont.h"
#include "ui/VisitKind.h"

namespace ui {
namespace {

void Refuse(const TForm& form, const std::string& what) {
  throw std::logic_error("design of " + form.Name + ": " + what);
}

// Lays out every container from the top down, so docked controls settle in the sizes
// their parents have now.
void RealignAll(TWinControl& parent) {
  parent.Realign();
  for (TControl* child : parent.Controls()) {
    if (auto* w = dynamic_cast<TWinControl*>(child)) {
      RealignAll(*w);
    }
  }
}

}  // namespace

void ApplyDesign(TForm& form, const TFormDesign& design) {
  form.SetBorderStyle(design.BorderStyle);
  if (design.BorderStyle == bsSizeable) {
    TSizeConstraints limits = form.Constraints();
    limits.MinWidth = design.Width;
    limits.MinHeight = design.Height;
    form.SetConstraints(limits);
  }
  form.SetBounds(form.Left(), form.Top(), design.Width, design.Height);

  std::set<const TControl*> placed;
  std::map<const TWinControl*, int> nextTab;
  for (const TPlacement& place : design.Places) {
    auto* control = FindAs<TControl>(form, place.Name);
    if (control == nullptr) {
      Refuse(form, "no control named " + std::string(place.Name));
    }
    if (!placed.insert(control).second) {
      Refuse(form, std::string(place.Name) + " placed twice");
    }
    TWinControl* parent = control->Parent();
    if (parent != nullptr && parent != &form && placed.count(parent) == 0 &&
        parent->Owner() == &form) {
      Refuse(form, std::string(place.Name) + " placed before its parent " + parent->Name);
    }
    control->SetAlign(place.Align);
    control->SetBounds(place.Left, place.Top, place.Width, place.Height);
    control->SetAnchors(place.Anchors);
    VisitKind(
        *control, [](TLabel& label) { label.SetAutoSize(false); },
        [](TListBox& list) { list.SetItemHeight(LineHeightOf(list.Font())); }, [](TComponent&) {});
    if (auto* windowed = dynamic_cast<TWinControl*>(control); windowed && parent) {
      windowed->SetTabOrder(nextTab[parent]++);
    }
  }
  for (const TComponent* component : form.Components()) {
    const auto* control = dynamic_cast<const TControl*>(component);
    if (control != nullptr && placed.count(control) == 0) {
      Refuse(form, "no place for " + control->Name);
    }
  }
  RealignAll(form);
}

namespace {

// The words of a line up to its comment.
std::vector<std::string_view> Words(std::string_view line) {
  line = line.substr(0, line.find('#'));
  std::vector<std::string_view> words;
  std::size_t pos = 0;
  while (pos < line.size()) {
    const std::size_t begin = line.find_first_not_of(" \t\r", pos);
    if (begin == std::string_view::npos) {
      break;
    }
    const std::size_t end = std::min(line.find_first_of(" \t\r", begin), line.size());
    words.push_back(line.substr(begin, end - begin));
    pos = end;
  }
  return words;
}

bool ReadNumber(std::string_view word, int& value) {
  const auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
  return ec == std::errc() && ptr == word.data() + word.size();
}

bool ReadAnchors(std::string_view word, TAnchors& anchors) {
  if (word == "all") {
    anchors = akAll;
    return true;
  }
  anchors = 0;
  while (!word.empty()) {
    const std::size_t plus = std::min(word.find('+'), word.size());
    const std::string_view kind = word.substr(0, plus);
    if (kind == "left") {
      anchors |= akLeft;
    } else if (kind == "top") {
      anchors |= akTop;
    } else if (kind == "right") {
      anchors |= akRight;
    } else if (kind == "bottom") {
      anchors |= akBottom;
    } else {
      return false;
    }
    word = plus < word.size() ? word.substr(plus + 1) : std::string_view();
  }
  return anchors != 0;
}

bool ReadAlign(std::string_view word, TAlign& align) {
  static constexpr std::pair<std::string_view, TAlign> kAligns[] = {
      {"none", alNone}, {"top", alTop},     {"bottom", alBottom},
      {"left", alLeft}, {"right", alRight}, {"client", alClient},
  };
  for (const auto& [name, value] : kAligns) {
    if (word == name) {
      align = value;
      return true;
    }
  }
  return false;
}

// One control's row: name, four numbers, then the optional anchors and docking.
bool ReadPlacement(const std::vector<std::string_view>& words, TPlacement& place) {
  if (words.size() < 5 || !ReadNumber(words[1], place.Left) || !ReadNumber(words[2], place.Top) ||
      !ReadNumber(words[3], place.Width) || !ReadNumber(words[4], place.Height)) {
    return false;
  }
  place.Name = words[0];
  for (std::size_t i = 5; i < words.size(); i += 2) {
    if (i + 1 == words.size()) {
      return false;
    }
    bool read = true;
    if (words[i] == "anchors") {
      read = ReadAnchors(words[i + 1], place.Anchors);
    } else if (words[i] == "align") {
      read = ReadAlign(words[i + 1], place.Align);
    } else if (words[i] == "text") {
      place.TextKey = words[i + 1];
    } else {
      read = false;
    }
    if (!read) {
      return false;
    }
  }
  return true;
}

// The form's row: its client size and border.
bool ReadFormRow(const std::vector<std::string_view>& words, TFormDesign& design) {
  const bool keyed = words.size() == 6 && words[4] == "text";
  if ((words.size() != 4 && !keyed) || !ReadNumber(words[1], design.Width) ||
      !ReadNumber(words[2], design.Height)) {
    return false;
  }
  if (keyed) {
    design.TextKey = words[5];
  }
  if (words[3] == "dialog") {
    design.BorderStyle = bsDialog;
  } else if (words[3] == "sizeable") {
    design.BorderStyle = bsSizeable;
  } else {
    return false;
  }
  return true;
}

}  // namespace

TDesignText::TDesignText(std::string_view text) {
  bool formRead = false;
  int lineNo = 0;
  while (!text.empty()) {
    ++lineNo;
    const std::size_t newline = std::min(text.find('\n'), text.size());
    const std::vector<std::string_view> words = Words(text.substr(0, newline));
    text = newline < text.size() ? text.substr(newline + 1) : std::string_view();
    if (words.empty()) {
      continue;
    }
    bool read = false;
    if (words[0] == "form") {
      read = !formRead && ReadFormRow(words, design_);
      formRead = true;
    } else {
      TPlacement place;
      read = formRead && ReadPlacement(words, place);
      places_.push_back(place);
    }
    if (!read) {
      throw std::logic_error("layout line " + std::to_string(lineNo) + ": cannot read the row");
    }
  }
  if (!formRead) {
    throw std::logic_error("layout: no form row");
  }
  design_.Places = places_;
}

void ApplyDesign(TForm& form, std::string_view designText) {
  const TDesignText design(designText);
  ApplyDesign(form, design.Design());
}

}  // namespace ui

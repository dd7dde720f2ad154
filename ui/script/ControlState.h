// What a script can read from a control: the properties that "expect" checks and the
// state that "dump" writes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/Component.h"

namespace ui {

// The texts of a control's items as "item N" and "count" see them: combo and list
// items, memo lines, tree nodes in tree order, list-view rows (caption and sub-items
// joined by tabs). Nothing for controls without items.
std::optional<TStrings> ItemTexts(const TComponent& component);

// The value of property (with its index for "item", "itemchecked" and "column") as
// the tokens "expect" compares, in GBK. Sets error (UTF-8) when the control has no
// such property.
std::vector<std::string> PropertyValue(const TComponent& component, const std::string& property,
                                       int index, std::string& error);

// Transcript lines describing component (and, for a form, every component it owns): its
// text, its effective state (a control inside a disabled or hidden parent is disabled or
// hidden), its parent and its bounds.
std::vector<std::string> DumpLines(const TComponent& component);

}  // namespace ui

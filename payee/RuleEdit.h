// TRuleEdit: a single-line edit that refuses any change leaving characters outside
// the SWIFT set or a forbidden first character. A refused change is undone silently
// and the caret goes back to where it was when the key was pressed.
#pragma once

#include <cstdint>
#include <string>

#include "payee/swift/ChangeGuard.h"
#include "payee/swift/SwiftSets.h"
#include "ui/Edits.h"

namespace payee {

class TRuleEdit : public ui::TEdit, public TSwiftSets {
 public:
  TRuleEdit(ui::TComponent* owner, std::string name);
  const char* ClassName() const override { return "TRuleEdit"; }

  void KeyDown(std::uint16_t& key, ui::TShiftState shift) override;

 protected:
  void Change() override;

 private:
  TChangeGuard guard_;
};

}  // namespace payee

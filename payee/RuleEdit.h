// TRuleEdit: a single-line edit that refuses any change leaving characters outside
// the SWIFT set or a forbidden first character. A refused change is undone silently
// and the caret goes back to where it was when the key was pressed.
#pragma once

#include <cstdint>
#include <string>

#include "payee/swift/ChangeGuard.h"
#include "ui/Edits.h"

namespace payee {

class TRuleEdit : public ui::TEdit {
 public:
  TRuleEdit(ui::TComponent* owner, std::string name);
  const char* ClassName() const override { return "TRuleEdit"; }

  // Allowed characters and allowed first characters; the SWIFT sets at creation.
  std::string Mapstr;
  std::string HeadMapstr;

  void KeyDown(std::uint16_t& key, ui::TShiftState shift) override;

 protected:
  void Change() override;

 private:
  TChangeGuard guard_;
};

}  // namespace payee

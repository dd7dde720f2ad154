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

  // Allowed characters and allowed first characters: the SWIFT sets at creation, stored
  // for whoever reads them; the check always uses the SWIFT sets.
  const std::string& Mapstr() const { return mapstr_; }
  void SetMapstr(std::string set) { mapstr_ = std::move(set); }
  const std::string& HeadMapstr() const { return headMapstr_; }
  void SetHeadMapstr(std::string set) { headMapstr_ = std::move(set); }

  void KeyDown(std::uint16_t& key, ui::TShiftState shift) override;

 protected:
  void Change() override;

 private:
  std::string mapstr_;
  std::string headMapstr_;
  TChangeGuard guard_;
};

}  // namespace payee

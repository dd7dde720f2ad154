// The platform's common dialogs that a form places as components.
#pragma once

#include <string>

#include "ui/Component.h"

namespace ui {

class TPrintDialog : public TComponent {
 public:
  TPrintDialog(TComponent* owner, std::string name) : TComponent(owner, std::move(name)) {}
  const char* ClassName() const override { return "TPrintDialog"; }
  // Shows the platform's print dialog; true when the operator chose to print.
  bool Execute();

 protected:
  void AcceptKind(ControlVisitor& visitor) override { visitor.Visit(*this); }
};

}  // namespace ui

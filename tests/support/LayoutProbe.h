// Checks the layout of every form the headless platform shows (ui/LayoutCheck.h), with the
// real font measure, before the test's own operator acts on it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/Forms.h"
#include "ui/headless/HeadlessPlatform.h"

namespace tavro_test {

class LayoutProbe {
 public:
  explicit LayoutProbe(ui::HeadlessPlatform& platform) : platform_(platform) {}

  // Sets the platform's operator: each form is checked as it opens, then next runs.
  void Install(std::function<void(ui::TForm&)> next = {});
  // Checks form as it is now; when names the state in the problems' texts.
  void Check(const ui::TForm& form, const std::string& when = "open");

  // "TUserEditFrm open: UpdateBtn: ..." per fault.
  const std::vector<std::string>& Problems() const { return problems_; }
  // The class names of the forms checked, in order.
  const std::vector<std::string>& FormsSeen() const { return seen_; }

 private:
  ui::HeadlessPlatform& platform_;
  std::vector<std::string> problems_;
  std::vector<std::string> seen_;
};

}  // namespace tavro_test

#include "tests/support/LayoutProbe.h"

#include <utility>

#include "ui/LayoutCheck.h"

namespace tavro_test {

void LayoutProbe::Install(std::function<void(ui::TForm&)> next) {
  platform_.SetOperator([this, next = std::move(next)](ui::TForm& form) {
    seen_.push_back(form.ClassName());
    Check(form);
    if (next) {
      next(form);
    }
  });
}

void LayoutProbe::Check(const ui::TForm& form, const std::string& when) {
  for (const std::string& problem : ui::CheckLayout(form, platform_)) {
    problems_.push_back(
        std::string(form.ClassName()).append(" ").append(when).append(": ").append(problem));
  }
}

}  // namespace tavro_test

// The text helpers of the Linux tests' support (tests/support/TestEnv.h,
// tests/ui/SampleForm.h) for the Windows test programs, which take the platform-neutral
// cases of those tests: only what those cases use (the folders, environment and
// working-folder helpers of TestEnv are POSIX, and the sample form needs the control
// model, which the Windows build does not have yet).
#include "SampleForm.h"
#include "sys/CodePage.h"
#include "tests/support/TestEnv.h"

namespace tavro_test {

std::string Gbk(const std::string& utf8) {
  return sys::Utf8ToGbk(utf8);
}

}  // namespace tavro_test

namespace ui_test {

std::string Gbk(const char* utf8) {
  return sys::Utf8ToGbk(utf8);
}

}  // namespace ui_test

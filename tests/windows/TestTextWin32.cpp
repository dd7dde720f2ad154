// The GBK helpers of the Linux tests' support that the platform-neutral cases the
// Windows test programs take use; the rest of that support is POSIX.
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

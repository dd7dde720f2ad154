// The GBK helpers of the Linux tests' support that the platform-neutral cases the Windows
// programs take use; the rest of that support is POSIX.
#include "SampleForm.h"
#include "sys/CodePage.h"
#include "tests/support/TestEnv.h"

std::string tavro_test::Gbk(const std::string& utf8) {
  return sys::Utf8ToGbk(utf8);
}

std::string ui_test::Gbk(const char* utf8) {
  return sys::Utf8ToGbk(utf8);
}

// The text helpers of tests/support/TestEnv.h for the Windows test programs, which take
// the platform-neutral cases of the Linux tests: only what those cases use (the folders,
// environment and working-folder helpers there are POSIX and stay with the Linux tests).
#include "sys/CodePage.h"
#include "tests/support/TestEnv.h"

namespace tavro_test {

std::string Gbk(const std::string& utf8) {
  return sys::Utf8ToGbk(utf8);
}

}  // namespace tavro_test

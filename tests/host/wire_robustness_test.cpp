// Damaged commands against the whole host: real commands with bytes flipped, cut,
// doubled or replaced by the bytes the wire gives meaning to. Whatever arrives, the
// host answers a known status, keeps its answer inside the buffer, and writes a
// zero-terminated error text that fits its 128 bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "HostTestSupport.h"
#include "host/BankAdmin.h"
#include "host/TavroClient.h"
#include "sys/CodePage.h"

namespace {

// Commands of every shape the module sends: calls, a batch with each separator, the
// report select, and the bank channel.
std::vector<std::string> Seeds() {
  const char* const utf8[] = {
      "A01\x07MN_GetPropOfUser '000001'",
      "A01\x07MN_GetCustomerList '0012','000001'",
      "A01\x07Sh_GetFunctionName  930,0",
      "A01\x07MN_UpdateCustomerRec 203,'C900','0012','测试客户','地址\x0E第二行','',"
      "'a@b.example','000001',1",
      "A01\x07MN_CustSnapIn '0012','000001','C901','导入客户','某地'",
      "A01\x07set nocount on\r\nexec MN_UsageDelete '0012'\r\nexec MN_UsageInsert "
      "'0012','货款',1\x1e"
      "exec MN_UsageInsert '0012','O''Neil',2\n",
      "A01\x07MB_GetSwiftBankByAny '银行',''",
      "A03\x07ST_GetBankSimple 7",
  };
  std::vector<std::string> seeds;
  for (const char* s : utf8) {
    seeds.push_back(sys::Utf8ToGbk(s));
  }
  return seeds;
}

// One random damage: the bytes that quoting, framing and GBK give a meaning to are
// drawn more often than others.
std::string Damage(std::string text, std::mt19937& random) {
  static const char kSpecial[] = {'\'', ',',    ' ',    '\r',   '\n',   '\x07', '\x0E', '\x1E',
                                  '\0', '\x81', '\xFE', '\x5C', '\x7F', '-',    '9'};
  std::uniform_int_distribution<int> kind(0, 5);
  const int rounds = 1 + static_cast<int>(random() % 3);
  for (int r = 0; r < rounds; ++r) {
    const std::size_t at = text.empty() ? 0 : random() % text.size();
    const char special = kSpecial[random() % sizeof kSpecial];
    switch (kind(random)) {
      case 0:
        if (!text.empty()) {
          text[at] = static_cast<char>(random());
        }
        break;
      case 1:
        if (!text.empty()) {
          text[at] = special;
        }
        break;
      case 2:
        text.insert(at, 1, special);
        break;
      case 3:
        text.resize(at);
        break;
      case 4:
        if (!text.empty()) {
          text.erase(at, 1 + random() % 8);
        }
        break;
      default:
        text.insert(at, text.substr(at, random() % 16));
        break;
    }
  }
  return text;
}

TEST(WireRobustness, TheHostAnswersEveryDamagedCommandWithinItsBuffers) {
  hosttest::TempDir dir;
  tavro_test::ScopedEnv bank("TAVRO_BANK_DB", dir.File("bank.db").c_str());
  host::InitBank({host::Engine::kSqlite, dir.File("bank.db")}, true, false);
  std::mt19937 random(61202026);
  const std::vector<std::string> seeds = Seeds();
  constexpr std::size_t kCapacity = 512;
  int succeeded = 0;
  for (int i = 0; i < 3000; ++i) {
    const std::string wire = Damage(seeds[random() % seeds.size()], random);
    // Guard bytes after the buffer and the error text show any overrun.
    std::vector<char> result(kCapacity + 1 + 16, 'G');
    std::vector<char> error(128 + 16, 'G');
    const std::int32_t status =
        qelCommand(0, wire.data(), static_cast<std::int32_t>(wire.size()), result.data(),
                   static_cast<std::int32_t>(kCapacity), error.data(), 2);
    EXPECT_GE(status, 0) << wire;
    EXPECT_LE(status, 6) << wire;
    EXPECT_NE(std::memchr(result.data(), '\0', kCapacity + 1), nullptr) << wire;
    EXPECT_EQ(std::string(result.data() + kCapacity + 1, 16), std::string(16, 'G')) << wire;
    EXPECT_EQ(std::string(error.data() + 128, 16), std::string(16, 'G')) << wire;
    if (status == 0) {
      ++succeeded;
    } else {
      EXPECT_NE(std::memchr(error.data(), '\0', 128), nullptr) << wire;
      EXPECT_GT(std::strlen(error.data()), 0U) << wire;
    }
  }
  // Some damage leaves a command intact (a changed text, a cut number): those run.
  EXPECT_GT(succeeded, 0);
  // And the database still answers as before.
  const std::string probe = sys::Utf8ToGbk("A01\x07MN_GetCorpName '0012'");
  std::vector<char> result(kCapacity + 1);
  char error[128];
  EXPECT_EQ(qelCommand(0, probe.data(), static_cast<std::int32_t>(probe.size()), result.data(),
                       static_cast<std::int32_t>(kCapacity), error, 2),
            0)
      << error;
}

}  // namespace

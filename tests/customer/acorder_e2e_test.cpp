// The account order example end to end: tavro-shell runs it against the embedded bank
// server, then the bank's stored positions are read.
#include <string>

#include "tests/support/FreshBankTest.h"

namespace {

using tavro_test::Rows;

class AcOrderEndToEnd : public tavro_test::FreshBankTest {
 protected:
  // The operator's stored positions of corporation 0012, first to last.
  Rows StoredOrder(const char* user) {
    return Query(
        "SELECT ac_no || ':' || position FROM account_order WHERE corp_id = '0012'"
        " AND user_id = '" +
        std::string(user) + "' ORDER BY position");
  }
};

TEST_F(AcOrderEndToEnd, TheDraggedOrderIsStoredForTheOperatorAlone) {
  const Rows otherBefore = StoredOrder("000002");

  const e2e::ShellOutput r = RunExample("account-order.txt");
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "Code=0 Text=\"\"\n");
  EXPECT_NE(r.err.find("message ok none \"ManageEdit\" \"保存成功。\" -> ok"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("close TAcOrderEditFrm ok"), std::string::npos) << r.err;

  // The USD account, listed first, and the HKD account, listed fourth, changed places.
  EXPECT_EQ(StoredOrder("000001"),
            (Rows{"310012000300001:0", "310012000100001:1", "310012000100002:2",
                  "310012000200001:3", "310012000400001:4", "310012000500001:5"}));
  EXPECT_EQ(StoredOrder("000002"), otherBefore);
}

}  // namespace

// The account order example end to end: tavro-shell runs it against the embedded bank
// server, then the bank is read and the dialog opened again to see the stored order.
#include <string>

#include "tests/customer/CustomerE2E.h"

namespace {

using customer_e2e::Rows;

constexpr char kUsd[] = "310012000200001";
constexpr char kCny1[] = "310012000100001";
constexpr char kCny2[] = "310012000100002";
constexpr char kHkd[] = "310012000300001";
constexpr char kEur[] = "310012000400001";
constexpr char kJpy[] = "310012000500001";

class AcOrderEndToEnd : public customer_e2e::CustomerEndToEnd {
 protected:
  // The operator's stored positions of corporation 0012, first to last.
  Rows StoredOrder(const char* user) {
    return Query(
        "SELECT ac_no || ':' || position FROM account_order WHERE corp_id = '0012'"
        " AND user_id = '" +
        std::string(user) + "' ORDER BY position");
  }
  // The account numbers as the server lists them for the operator.
  Rows ListedOrder(const char* user) {
    const e2e::ShellOutput r =
        box_.Run("tavro-bank", {"exec", "MN_GetAcNoList 99,'','0012','" + std::string(user) + "'"});
    EXPECT_EQ(r.status, 0) << r.err;
    Rows accounts;
    for (const std::string& line : e2e::Lines(r.out)) {
      accounts.push_back(line.substr(0, line.find(':')));
    }
    return accounts;
  }
};

TEST_F(AcOrderEndToEnd, TheDraggedOrderIsStoredForTheOperatorAlone) {
  const Rows otherBefore = ListedOrder("000002");
  ASSERT_EQ(ListedOrder("000001"), (Rows{kUsd, kCny1, kCny2, kHkd, kEur, kJpy}));

  const e2e::ShellOutput r = RunExample("account-order.txt");
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "Code=0 Text=\"\"\n");
  EXPECT_NE(r.err.find("message ok none \"ManageEdit\" \"保存成功。\" -> ok"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("close TAcOrderEditFrm ok"), std::string::npos) << r.err;

  const Rows expected{kHkd, kCny1, kCny2, kUsd, kEur, kJpy};
  EXPECT_EQ(StoredOrder("000001"),
            (Rows{std::string(kHkd) + ":0", std::string(kCny1) + ":1", std::string(kCny2) + ":2",
                  std::string(kUsd) + ":3", std::string(kEur) + ":4", std::string(kJpy) + ":5"}));
  EXPECT_EQ(ListedOrder("000001"), expected);
  EXPECT_EQ(ListedOrder("000002"), otherBefore);

  // Opened again, the dialog shows the stored order; leaving it without a change
  // stores nothing.
  box_.WriteFile("again.txt",
                 "expect AcListLbx item 0 \"310012000300001:HKD 港币结算户\"\n"
                 "expect AcListLbx item 3 \"310012000200001:USD 美元结算户\"\n"
                 "click CancelBtn\nanswer yes\n");
  const e2e::ShellOutput again =
      box_.Shell({"call", "Mn_AcOrderEdit", "--corp", "0012", "--user", "000001", "--function",
                  "103", "--script", "again.txt"});
  ASSERT_EQ(again.status, 0) << again.out << again.err;
  EXPECT_EQ(again.out, "Code=0 Text=\"\"\n");
  EXPECT_NE(again.err.find("close TAcOrderEditFrm cancel"), std::string::npos) << again.err;
  EXPECT_EQ(ListedOrder("000001"), expected);
}

}  // namespace

// Readers run without the write lock, so a procedure marked as a reader must never
// change the database: each one is called on the demonstration bank with the
// connection set to refuse every write.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <set>
#include <string>

#include "host/Procedure.h"
#include "proc_TestBank.h"

namespace {

using proctest::BankTest;
using proctest::I;
using proctest::T;

struct Sample {
  const char* name;
  host::Args args;
};

// A call of every reader that finds its records in the demonstration data, so the
// whole of the procedure runs rather than an early refusal.
const Sample kReaderCalls[] = {
    {"MB_GetSwfAddress", {T("LOLCGB2L")}},
    {"MB_GetSwiftBankByAny", {T("savings"), T("tokyo")}},
    {"MB_GetSwiftBankByLeft", {T("lotus"), T("")}},
    {"MB_GetSwiftBankBySwfCode", {T("LOLCGB2LAXXX")}},
    {"MN_CustCNYAcExists", {T("P003"), T("0012")}},
    {"MN_CustExport", {T("0012"), I(0)}},
    {"MN_CustExport", {T("0012"), I(1)}},
    {"MN_CustomerExists", {T("C004"), T("0012")}},
    {"MN_GetAcNoList", {I(99), T(""), T("0012"), T("000002")}},
    {"MN_GetAuditFolder", {I(12), T("0012"), T("000001"), T("B20261130001")}},
    {"MN_GetAuthoriseFolder", {I(12), T("0012"), T("000001"), T("B20261130001")}},
    {"MN_GetAuthoriseList", {T("CN"), T("0012"), T("000003")}},
    {"MN_GetCheckList", {T("CN"), T("0012"), T("000001")}},
    {"MN_GetCheckUserList", {T("0012"), T("000001")}},
    {"MN_GetCorpName", {T("0020")}},
    {"MN_GetCurrencyCodeList", {}},
    {"MN_GetCustAcFolder", {T("CN"), T("0012"), T("000002"), T("C001")}},
    {"MN_GetCustomerList", {T("0012"), T("000002")}},
    {"MN_GetDeletedList", {T("CN"), T("0012"), T("000002")}},
    {"MN_GetNodeRightList", {T("0012"), T("000002")}},
    {"MN_GetPropOfAccount", {T("0012"), T("310012000400001")}},
    {"MN_GetPropOfCustAc", {I(1)}},
    {"MN_GetPropOfCustCNYAc", {T("0012"), T("P001")}},
    {"MN_GetPropOfCustomer", {T("0012"), T("C002")}},
    {"MN_GetPropOfUser", {T("000001")}},
    {"MN_GetRejectedList", {T("CN"), T("0012"), T("000002")}},
    {"MN_GetSendList", {T("CN"), T("0012"), T("000002")}},
    {"MN_GetSignFolder", {I(12), T("0012"), T("000001"), T("B20261130001")}},
    {"MN_GetUsageList", {T("0012"), T("000001")}},
    {"MN_GetUserCheckAcList", {T("0012"), T("000002")}},
    {"MN_GetUserCorpList", {T("CN"), T("000001")}},
    {"MN_GetUserList", {T("0012"), T("000001")}},
    {"ST_GetBankSimple", {I(3)}},
    {"Sh_GetFunctionName", {I(12), I(0)}},
    {"Sh_GetNodeRight", {T("0012"), T("000003"), I(101)}},
    {"Sh_GetViewNodeList", {T("CN"), T("0012"), T("000002")}},
};

class ProcAccess : public BankTest {
 protected:
  // Runs a procedure in a read transaction on a connection that refuses writes; a
  // write raises instead of landing.
  host::Answer ReadOnly(const host::ProcedureSpec& proc, const host::Args& args) {
    db_->Exec("PRAGMA query_only = ON");
    db_->Exec("BEGIN");
    try {
      host::Answer answer = proc.run(*db_, args);
      db_->ResetStatements();
      db_->Exec("COMMIT");
      db_->Exec("PRAGMA query_only = OFF");
      return answer;
    } catch (...) {
      db_->ResetStatements();
      db_->Exec("ROLLBACK");
      db_->Exec("PRAGMA query_only = OFF");
      throw;
    }
  }
};

TEST_F(ProcAccess, EveryReaderAnswersWithoutWritingAndEveryWriterIsRefused) {
  std::set<std::string> sampled;
  for (const Sample& sample : kReaderCalls) {
    const host::ProcedureSpec* proc = host::FindProcedure(sample.name);
    ASSERT_NE(proc, nullptr) << sample.name;
    EXPECT_EQ(proc->access, host::Access::Reads) << sample.name << " reads but takes the lock";
    sampled.insert(sample.name);
    int before = sqlite3_total_changes(db_->handle());
    try {
      EXPECT_FALSE(ReadOnly(*proc, sample.args).rows.empty()) << sample.name;
    } catch (const std::exception& e) {
      ADD_FAILURE() << sample.name << ": " << e.what();
    }
    EXPECT_EQ(sqlite3_total_changes(db_->handle()), before) << sample.name;
  }
  for (const host::ProcedureSpec& proc : host::AllProcedures()) {
    if (proc.access == host::Access::Reads) {
      EXPECT_EQ(sampled.count(proc.name), 1u) << proc.name << " is marked as a reader";
    }
  }

  // The guard itself: a writer run the same way is stopped and changes nothing.
  const host::ProcedureSpec* writer = host::FindProcedure("MN_CustomerDelete");
  ASSERT_NE(writer, nullptr);
  EXPECT_EQ(writer->access, host::Access::Writes);
  EXPECT_ANY_THROW(ReadOnly(*writer, {T("C003"), T("0012")}));
  EXPECT_EQ(Count("SELECT count(*) FROM customer WHERE cust_id = 'C003'"), 1);
}

}  // namespace

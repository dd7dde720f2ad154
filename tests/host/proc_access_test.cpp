// Readers run without the write lock, so a procedure marked as a reader must never
// change the database: each one is called on the demonstration bank with the
// connection set to refuse every write.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "HostTestSupport.h"
#include "host/CommandParser.h"
#include "host/Procedure.h"

namespace {

using hosttest::BankTest;
using hosttest::T;

// A call of every reader that finds its records in the demonstration data, so the
// whole of the procedure runs rather than an early refusal; written as a batch.
const char kReaderCalls[] =
    "exec MB_GetSwfAddress 'LOLCGB2L'\nexec MB_GetSwiftBankByAny 'savings','tokyo'\n"
    "exec MB_GetSwiftBankByLeft 'lotus',''\nexec MB_GetSwiftBankBySwfCode 'LOLCGB2LAXXX'\n"
    "exec MN_CustCNYAcExists 'P003','0012'\nexec MN_CustExport '0012',0\n"
    "exec MN_CustExport '0012',1\nexec MN_CustomerExists 'C004','0012'\n"
    "exec MN_GetAcNoList 99,'','0012','000002'\n"
    "exec MN_GetAuditFolder 12,'0012','000001','B20261130001'\n"
    "exec MN_GetAuthoriseFolder 12,'0012','000001','B20261130001'\n"
    "exec MN_GetAuthoriseList 'CN','0012','000003'\nexec MN_GetCheckList 'CN','0012','000001'\n"
    "exec MN_GetCheckUserList '0012','000001'\nexec MN_GetCorpName '0020'\n"
    "exec MN_GetCurrencyCodeList\nexec MN_GetCustAcFolder 'CN','0012','000002','C001'\n"
    "exec MN_GetCustomerList '0012','000002'\nexec MN_GetDeletedList 'CN','0012','000004'\n"
    "exec MN_GetNodeRightList '0012','000002'\n"
    "exec MN_GetPropOfAccount '0012','310012000400001'\nexec MN_GetPropOfCustAc 1\n"
    "exec MN_GetPropOfCustCNYAc '0012','P001'\nexec MN_GetPropOfCustomer '0012','C002'\n"
    "exec MN_GetPropOfUser '000001'\nexec MN_GetRejectedList 'CN','0012','000004'\n"
    "exec MN_GetSendList 'CN','0012','000002'\n"
    "exec MN_GetSignFolder 12,'0012','000001','B20261130001'\n"
    "exec MN_GetUsageList '0012','000001'\nexec MN_GetUserCheckAcList '0012','000002'\n"
    "exec MN_GetUserCorpList 'CN','000001'\nexec MN_GetUserList '0012','000001'\n"
    "exec ST_GetBankSimple 3\nexec Sh_GetFunctionName 12,0\n"
    "exec Sh_GetNodeRight '0012','000003',101\n"
    "exec Sh_GetViewNodeList 'CN','0012','000002'\n";

class ProcAccess : public BankTest {
 protected:
  // Runs a procedure in the engine's read transaction, which refuses writes: a
  // write raises instead of landing.
  host::Answer ReadOnly(const host::ProcedureSpec& proc, const host::Args& args) {
    db_->Begin(host::Access::Reads);
    try {
      host::Answer answer = proc.run(*db_, args);
      db_->Commit();
      return answer;
    } catch (...) {
      db_->Rollback();
      throw;
    }
  }
};

TEST_F(ProcAccess, EveryReaderAnswersWithoutWritingAndEveryWriterIsRefused) {
  std::set<std::string> sampled;
  host::ParsedCommand calls;
  std::string error;
  ASSERT_TRUE(host::ParseCommand(kReaderCalls, calls, error)) << error;
  for (const host::Call& sample : calls.calls) {
    const host::ProcedureSpec* proc = host::FindProcedure(sample.name);
    ASSERT_NE(proc, nullptr) << sample.name;
    EXPECT_EQ(proc->access, host::Access::Reads) << sample.name << " reads but takes the lock";
    sampled.insert(sample.name);
    try {
      EXPECT_FALSE(ReadOnly(*proc, sample.args).rows.empty()) << sample.name;
    } catch (const std::exception& e) {
      ADD_FAILURE() << sample.name << ": " << e.what();
    }
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

// tavro-shell end to end against the embedded bank server on a fresh demonstration
// database; what it prints is checked against tavro-bank's answer to the same command.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>

#include "tests/e2e/CheckColumns.h"
#include "tests/support/BankQuery.h"
#include "tests/support/ShellSandbox.h"

namespace {

using e2e::Lines;
using e2e::Sandbox;

// tavro-bank prints fields separated by " | "; tavro-shell prints them quoted.
std::string AsShellRows(const std::string& bankAnswer) {
  std::string rows;
  for (const std::string& line : Lines(bankAnswer)) {
    rows += "row";
    for (size_t start = 0, sep = 0; sep != std::string::npos; start = sep + 3) {
      sep = line.find(" | ", start);
      rows += " \"" + line.substr(start, sep == std::string::npos ? sep : sep - start) + "\"";
    }
    rows += "\n";
  }
  return rows;
}

class BankEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override { box_.UseBankServer(); }

  // The server's own answer to a list command, as tavro-shell would print its rows.
  std::string ServerRows(const std::string& command) {
    auto r = box_.Run("tavro-bank", {"exec", command});
    EXPECT_EQ(r.status, 0) << command << "\n" << r.err;
    return AsShellRows(r.out);
  }

  Sandbox box_;
};

// Each list prints its columns and what the server has in that folder; no file is left.
TEST_F(BankEndToEnd, EveryListShowsWhatTheServerHasForThatFolder) {
  const struct {
    const char* lang;
    const char* columns;
    const char* user;
  } runs[] = {{"CN", e2e::kCnColumns, "000001"}, {"EN", e2e::kEnColumns, "000003"}};
  std::map<std::string, size_t> rowsSeen;
  for (const auto& run : runs) {
    box_.SetLanguage(run.lang);
    for (const char* list :
         {"GetCheckList", "GetAuthoriseList", "GetSendList", "GetDeletedList", "GetRejectedList"}) {
      auto r =
          box_.Shell({"call", std::string("Mn_") + list, "--corp", "0012", "--user", run.user});
      EXPECT_EQ(r.status, 0) << list << "\n" << r.err;
      EXPECT_EQ(r.err, "") << list;
      const std::string rows =
          ServerRows("MN_" + std::string(list) + " '" + run.lang + "','0012','" + run.user + "'");
      EXPECT_EQ(r.out, run.columns + rows) << list << " " << run.lang;
      rowsSeen[run.lang] += rows.size();
    }
  }
  EXPECT_GT(rowsSeen["CN"], 0U) << "the demonstration data fills some folders";
  EXPECT_GT(rowsSeen["EN"], 0U);
  EXPECT_TRUE(box_.Exists(box_.BankDb()));
  EXPECT_TRUE(box_.List(box_.TempDir()).empty());
}

// A failed list read (refused, no bank, no server) shows the columns, the error box
// and the reason, and fails.
TEST_F(BankEndToEnd, AListWhoseReadFailedSaysWhyAndFails) {
  box_.SetLanguage("EN");
  const std::string typo = box_.Root() + "/bnak.db";
  const struct {
    const char* variable;  // set before the call, kept for the following cases
    std::string value;
    const char* corp;
    std::string reason;
  } cases[] = {
      {nullptr, "", "9999", "corporation 9999 does not exist"},
      {"TAVRO_BANK_DB", typo, "0012",
       "no bank at " + typo + "; create one with tavro-bank init --demo " + typo},
      {"TAVRO_BANK_URL", "postgresql://tavro_0012@/tavro?host=" + box_.Root() + "&port=9", "0012",
       "cannot reach the bank server: no server listens on that socket"},
  };
  for (const auto& c : cases) {
    if (c.variable != nullptr) {
      box_.SetEnv(c.variable, c.value);
    }
    const std::string example = std::string(TAVRO_SOURCE_DIR) + "/examples/check-list.txt";
    auto r = box_.Shell({"run", example, "--corp", c.corp});
    EXPECT_EQ(r.status, 5) << r.err;
    EXPECT_EQ(r.out, e2e::kEnColumns);
    EXPECT_NE(r.err.find("\"Error:" + c.reason), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("tavro-shell: Mn_GetCheckList: the list could not be read: " + c.reason),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(box_.Exists(typo)) << "no bank was made by the call";
  }
}

TEST_F(BankEndToEnd, CheckRecordCallsTheModuleTheServersFunctionTableNames) {
  // A function node served by the test module, added to the fresh demonstration bank.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(box_.BankDb().c_str(), &db), SQLITE_OK);
  char* message = nullptr;
  int rc = sqlite3_exec(db,
                        "INSERT INTO view_node(node_id, parent_id, position, name_cn, name_en,"
                        " library, entry) VALUES (90, 3, 9, '测试', 'Test', 'TestModule.dll',"
                        " 'Tm_EditRecord')",
                        nullptr, nullptr, &message);
  EXPECT_EQ(rc, SQLITE_OK) << (message != nullptr ? message : "");
  sqlite3_free(message);
  sqlite3_close(db);

  box_.SetEnv("TAVRO_TESTMODULE_LOG", box_.Root() + "/testmodule.txt");
  auto r = box_.Shell({"call", "Mn_CheckRecord", "--corp", "0012", "--user", "000001", "--key",
                       "90 payment:A0001", "--extra", "x"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=1 Text=\"90 payment:OK\"\n");
  EXPECT_EQ(box_.ReadFile(box_.Root() + "/testmodule.txt"), "A0001\n90\nx\n");
}

// A query-only operator saving a customer through function 12 (all rights, not the
// customer function) is refused by the server.
TEST_F(BankEndToEnd, ACustomerIsNotSavedThroughAFunctionThatDoesNotEditCustomers) {
  box_.SetLanguage("EN");
  const std::string script =
      box_.WriteFile("save.txt",
                     "# call: Mn_CustomerEdit --corp 0012 --user 000003 --function 12\n"
                     "type IdEdt \"C300\"\ntype CNameEdt \"越权客户\"\nclick UpdateBtn\n"
                     "answer yes\n");
  auto r = box_.Shell({"run", script});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=0 Text=\"\"\n");
  EXPECT_TRUE(
      e2e::QueryBank(box_.BankDb(), "SELECT cust_id FROM customer WHERE cust_id = 'C300'").empty());

  // An operator with the add right on the customer function saves the same record.
  r = box_.Shell({"run", box_.WriteFile("own.txt",
                                        "# call: Mn_CustomerEdit --corp 0012 --user 000001 "
                                        "--function 201\n"
                                        "type IdEdt \"C300\"\ntype CNameEdt \"客户\"\n"
                                        "click UpdateBtn\n")});
  EXPECT_EQ(r.out, "Code=1 Text=\"C300\"\n") << r.err;
}

// A line after the last form has closed is not played, and the run fails naming it.
TEST_F(BankEndToEnd, ALineAfterTheLastFormHasClosedFailsTheRun) {
  const std::string example = tavro_test::ReadFile(TAVRO_SOURCE_DIR "/examples/usage-edit.txt");
  const std::size_t lines = Lines(example).size();
  ASSERT_GT(lines, 10u);
  box_.SetLanguage("CN");
  const std::string script = box_.WriteFile("usage.txt", example + "expect UsageList count 99\n");
  auto r = box_.Shell({"run", script});
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_EQ(r.out, "Code=0 Text=\"\"\n");
  const std::vector<std::string> transcript = Lines(r.err);
  ASSERT_GE(transcript.size(), 2u);
  EXPECT_EQ(transcript[transcript.size() - 2], "close TUsageEdtFrm ok");
  EXPECT_EQ(transcript.back(), "error " + std::to_string(lines + 1) +
                                   " \"no form is open any more (the last one has closed), so "
                                   "this line is not played: expect UsageList count 99\"");
}

// The script may come from standard input; dump names the dialog's controls.
TEST_F(BankEndToEnd, AScriptFromStandardInputDrivesTheDialog) {
  box_.SetLanguage("EN");
  const auto statusFolder = [&](const char* script) {
    box_.SetInput(script);
    return box_.Shell({"call", "Mn_StatusFolderList", "--corp", "0012", "--user", "000001",
                       "--function", "12", "--key", "B20261201003", "--script", "-"});
  };
  auto r = statusFolder("dump AuditFolderLsv\nexpect AuditFolderLsv count 2\nclose\n");
  EXPECT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> transcript = Lines(r.err);
  ASSERT_EQ(transcript.size(), 5u) << r.err;
  EXPECT_EQ(transcript[1].rfind("dump AuditFolderLsv TListView \"\" enabled=true visible=true", 0),
            0u)
      << transcript[1];
  EXPECT_EQ(transcript.back(), "close TStatusFolderFrm cancel");
  r = statusFolder("expect AuditFolderLsv count 9\n");
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_NE(
      r.err.find("error 1 \"expect AuditFolderLsv count: wanted \\\"9\\\", found \\\"2\\\"\""),
      std::string::npos)
      << r.err;
}

// Escape closes each dialog without a cancel button as its close box does.
TEST_F(BankEndToEnd, EscapeClosesEveryDialogAsItsCloseBoxDoes) {
  box_.SetLanguage("EN");
  const struct {
    std::vector<std::string> call;
    const char* script;
    const char* closed;
  } cases[] = {
      {{"Mn_CustomerEdit", "--function", "201", "--key", "C001"},
       "type RefEdt x\nkey RefEdt Escape\nanswer yes\n",
       "TCustomerEdtFrm"},
      {{"Mn_CustCNYAcEdit", "--function", "203", "--key", "P001"},
       "key RefEdt Escape\nanswer yes\n",
       "TCustCNYAcEditFrm"},
      {{"Mn_AcOrderEdit", "--function", "103"},
       "key AcListLbx Escape\nanswer yes\n",
       "TAcOrderEditFrm"},
      {{"Mn_CustAcNoList", "--function", "202", "--key", "C001"},
       "key FolderLsv Escape\n",
       "TCustAcListFrm"},
      {{"Mn_StatusFolderList", "--function", "12", "--key", "B20261201003"},
       "key AuditFolderLsv Escape\n",
       "TStatusFolderFrm"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"call"};
    args.insert(args.end(), c.call.begin(), c.call.end());
    args.insert(args.end(), {"--corp", "0012", "--user", "000001", "--script", "-", "--strict"});
    box_.SetInput(c.script);
    const e2e::ShellOutput r = box_.Shell(args);
    EXPECT_EQ(r.status, 0) << c.closed << "\n" << r.err;
    EXPECT_EQ(Lines(r.err).back(), std::string("close ") + c.closed + " cancel") << r.err;
  }
}

}  // namespace

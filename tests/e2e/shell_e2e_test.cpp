// tavro-shell end to end: the real module and the test module, the host answered either
// from a table (every command checked byte for byte) or by the embedded bank server on a
// fresh demonstration database (what it prints checked against tavro-bank's answer).
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "tests/support/BankQuery.h"
#include "tests/support/ShellSandbox.h"

namespace {

using e2e::Lines;
using e2e::Sandbox;

// The check-list columns as tavro-shell prints them from the shipped language files.
constexpr const char* kCnColumns =
    "column \"业务编号\" 15\n"
    "column \"业务类型\" 12\n"
    "column \"付款账号\" 18\n"
    "column \"币种\" 5\n"
    "column \"金额\" 12\n"
    "column \"收款人\" 20\n"
    "column \"经办人\" 8\n"
    "column \"提交时间\" 15\n";

constexpr const char* kEnColumns =
    "column \"Business No.\" 15\n"
    "column \"Type\" 12\n"
    "column \"Debit Account\" 18\n"
    "column \"Currency\" 8\n"
    "column \"Amount\" 12\n"
    "column \"Payee\" 20\n"
    "column \"Operator\" 8\n"
    "column \"Submitted\" 15\n";

// The function table: function 12 is served by the test module's Tm_EditRecord.
const char* const kFunctionTable =
    "Sh_GetFunctionName  12,0\t0\tTestModule.dll\\x07Tm_EditRecord\\x07\\x07\n"
    "Sh_GetFunctionName  13,0\t0\tTestModule.dll\\x07Tm_Raise\\x07\\x07\n"
    "Sh_GetFunctionName  14,0\t0\tNowhere.dll\\x07Tm_EditRecord\\x07\\x07\n"
    "Sh_GetFunctionName  15,0\t0\tTestModule.dll\\x07Tm_Nothing\\x07\\x07\n"
    "Sh_GetFunctionName  16,0\t0\t  \\x07Tm_EditRecord\\x07\\x07\n"
    "Sh_GetFunctionName  *\t5\tno such function\n";

class EndToEnd : public ::testing::Test {
 protected:
  // Files in the module's temporary folder, which every call must leave as it found it.
  std::vector<std::string> TempFiles() const { return box_.List(box_.TempDir()); }
  Sandbox box_;
};

// Every list sends its own procedure (language, corporation, user) and prints the
// columns and the host's rows, leaving no file behind.
TEST_F(EndToEnd, EveryListSendsItsOwnProcedureAndPrintsTheHostsRows) {
  const char* const entries[] = {"GetCheckList", "GetAuthoriseList", "GetSendList",
                                 "GetDeletedList", "GetRejectedList"};
  std::string table;
  std::vector<std::string> sent;
  for (const char* e : entries) {
    const std::string command = "MN_" + std::string(e) + " 'CN','0012','000001'";
    table += command + "\t0\t" + e + "\\x07汇款\\x07100.00\\r\\nB0002\\x07\\x07\\r\\n\n";
    sent.push_back("file \"A01\\x07" + command + "\"");
  }
  box_.SetLanguage("CN");
  box_.UseTableHost(table);
  for (const char* e : entries) {
    auto r = box_.Shell({"call", "Mn_" + std::string(e), "--corp", "0012", "--user", "000001",
                         "--function", "77", "--key", "ignored"});
    EXPECT_EQ(r.status, 0) << e << "\n" << r.err;
    EXPECT_EQ(r.out, std::string(kCnColumns) + "row \"" + e +
                         "\" \"汇款\" \"100.00\"\nrow \"B0002\" \"\" \"\"\n")
        << e;
    EXPECT_EQ(r.err, "") << e;
  }
  EXPECT_EQ(box_.HostLog(), sent);
  EXPECT_TRUE(TempFiles().empty());
}

// Ids are passed quoted, the key cut to its field; an id too long is refused unsent.
TEST_F(EndToEnd, IdsAreQuotedAndThoseThatDoNotFitAreRefused) {
  box_.SetLanguage("CN");
  box_.UseTableHost("MN_GetCheckList *\t0\t\n");
  auto r = box_.Shell({"call", "Mn_GetCheckList", "--corp", "O'Ne", "--user", "000001", "--key",
                       std::string(400, 'k')});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kCnColumns);
  EXPECT_EQ(box_.HostLog(),
            std::vector<std::string>{"file \"A01\\x07MN_GetCheckList 'CN','O''Ne','000001'\""});
  // The module would cut 0000017 to 000001, another user.
  r = box_.Shell({"call", "Mn_GetCheckList", "--corp", "0012", "--user", "0000017"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("tavro-shell: --user \"0000017\" is longer", 0), 0u) << r.err;
  EXPECT_EQ(box_.HostLog().size(), 1u) << "nothing more was sent";
}

TEST_F(EndToEnd, CheckRecordCallsTheModuleTheFunctionTableNames) {
  box_.UseTableHost(kFunctionTable);
  box_.SetEnv("TAVRO_TESTMODULE_LOG", box_.Root() + "/testmodule.txt");
  auto r = box_.Shell({"call", "Mn_CheckRecord", "--corp", "0012", "--user", "000001", "--function",
                       "99", "--key", "12 payment:A0001", "--extra", "more"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=1 Text=\"12 payment:OK\"\n");
  EXPECT_EQ(box_.HostLog(),
            std::vector<std::string>{"command \"A01\\x07Sh_GetFunctionName  12,0\""});
  // The entry point got the record's key, the function id and the extra text.
  EXPECT_EQ(box_.ReadFile(box_.Root() + "/testmodule.txt"), "A0001\n12\nmore\n");
}

// Without a serving module nothing is called; a failing one raises to the shell.
TEST_F(EndToEnd, CheckRecordWithoutAServingModuleCallsNothingAndFailuresRaise) {
  box_.UseTableHost(kFunctionTable);
  box_.SetEnv("TAVRO_TESTMODULE_LOG", box_.Root() + "/testmodule.txt");
  const struct {
    const char* key;
    int status;
    const char* out;
    const char* raised;
  } cases[] = {
      {"16 payment:A1", 0, "Code=0 Text=\"\"\n", nullptr},
      {"payment:A1", 0, "Code=0 Text=\"\"\n", nullptr},
      {"40 x:y", 0, "Code=0 Text=\"\"\n", nullptr},
      {"13 payment:A1", 4, "", "Tm_Raise failed on purpose"},
      {"14 payment:A1", 4, "", "LoadLibrary Nowhere.dll Fail"},
      {"15 payment:A1", 4, "", "GetProcAddress Tm_Nothing Fail"},
  };
  for (const auto& c : cases) {
    auto r = box_.Shell({"call", "Mn_CheckRecord", "--key", c.key});
    EXPECT_EQ(r.status, c.status) << c.key << "\n" << r.err;
    EXPECT_EQ(r.out, c.out) << c.key;
    if (c.raised != nullptr) {
      EXPECT_NE(r.err.find(std::string("Mn_CheckRecord raised: ") + c.raised), std::string::npos)
          << r.err;
    }
  }
  EXPECT_FALSE(box_.Exists(box_.Root() + "/testmodule.txt"));
}

TEST_F(EndToEnd, EntriesListsTheExportedEntryPoints) {
  auto r = box_.Shell({"entries"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<std::string> names = Lines(r.out);
  for (const char* name : {"Mn_GetCheckList", "Mn_GetAuthoriseList", "Mn_GetSendList",
                           "Mn_GetDeletedList", "Mn_GetRejectedList", "Mn_CheckRecord"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
  }
  // A library that exports none of them lists nothing.
  r = box_.Shell({"entries", "--module", e2e::BinDir() + "/libTestModule.so"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
}

// Usage errors (each checked in the shell's own tests) never reach the module.
TEST_F(EndToEnd, BadUsageNeverReachesTheModule) {
  box_.UseTableHost("*\t0\t\n");
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"call", "Mn_Unknown"},
      {"call", "Mn_GetCheckList", "--corp", "\xC3\x28"},
      {"call", "Mn_GetCheckList", "--module", e2e::BinDir() + "/libTestModule.so"},
  };
  for (const auto& args : cases) {
    auto r = box_.Shell(args);
    EXPECT_EQ(r.status, 2) << (args.empty() ? "(none)" : args.back()) << "\n" << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(r.err.empty());
  }
  EXPECT_TRUE(box_.HostLog().empty());
}

// Function 12's test module opens no form: the example's dialog lines are not played.
TEST_F(EndToEnd, AnExampleWhoseEntryPointOpensNoFormFails) {
  box_.UseTableHost(kFunctionTable);
  auto r = box_.Shell({"run", TAVRO_SOURCE_DIR "/examples/check-record.txt"});
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_EQ(r.out, "Code=1 Text=\"12 汇款:OK\"\n");
  EXPECT_EQ(r.err,
            "error 25 \"the entry point opened no form, so this line is not played: expect "
            "AuditFolderLsv count 1\"\n");
}

// A module copied without its platform plugins says once which one failed, and fails.
TEST_F(EndToEnd, AModuleWithoutItsPlatformPluginSaysWhichOneAndFails) {
  box_.UseTableHost("*\t0\t\n");
  const std::string lonely = box_.Root() + "/lonely";
  std::filesystem::create_directory(lonely);
  for (const char* file : {"libManageEdit.so", "libTavroUi.so", "libTavroClient.so"}) {
    std::filesystem::copy_file(e2e::BinDir() + "/" + file, lonely + "/" + file);
  }
  box_.SetEnv("TAVRO_UI", "headless");
  auto r = box_.Shell({"call", "Mn_UsageEdit", "--module", lonely + "/libManageEdit.so"});
  EXPECT_NE(r.status, 0);
  const std::string line = "ManageEdit: the headless platform cannot be loaded: " + lonely +
                           "/libTavroUiHeadless.so: cannot open shared object file";
  const std::size_t at = r.err.find(line);
  EXPECT_NE(at, std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("ManageEdit: the headless", at + 1), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Mn_UsageEdit raised: user interface not available: headless"),
            std::string::npos)
      << r.err;
}

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
  } runs[] = {{"CN", kCnColumns, "000001"}, {"EN", kEnColumns, "000003"}};
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
    EXPECT_EQ(r.out, kEnColumns);
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

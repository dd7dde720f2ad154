// tavro-shell end to end: the real module and the test module, the host answered from a
// table so that every command can be checked byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/e2e/CheckColumns.h"
#include "tests/support/ShellSandbox.h"

namespace {

using e2e::kCnColumns;
using e2e::kEnColumns;
using e2e::Lines;
using e2e::Sandbox;

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

TEST_F(EndToEnd, BadUsageNeverReachesTheModule) {
  box_.UseTableHost("*\t0\t\n");
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"call"},
      {"call", "Mn_Unknown"},
      {"call", "Mn_GetCheckList", "--corp"},
      {"call", "Mn_GetCheckList", "--bogus", "1"},
      {"call", "Mn_GetCheckList", "--corp", "\xC3\x28"},
      {"call", "Mn_CheckRecord", "--key", std::string("12 \xFF\xFE:A1")},
      {"call", "Mn_CheckRecord", "--function", "1e3"},
      {"call", "Mn_GetCheckList", "--module", box_.Root() + "/absent.so"},
      {"call", "Mn_GetCheckList", "--module", e2e::BinDir() + "/libTestModule.so"},
      {"run", box_.Root() + "/absent.txt"},
      {"\xFF"},
  };
  for (const auto& args : cases) {
    auto r = box_.Shell(args);
    EXPECT_EQ(r.status, 2) << (args.empty() ? "(none)" : args.back()) << "\n" << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(r.err.empty());
  }
  EXPECT_TRUE(box_.HostLog().empty());
}

TEST_F(EndToEnd, ExamplesRunAsTheirCallLineSays) {
  box_.SetLanguage("CN");
  box_.UseTableHost(std::string(kFunctionTable) +
                    "MN_GetCheckList 'CN','0012','000001'\t0\tB0001\\x07x\\r\\n\n");
  auto r = box_.Shell({"run", TAVRO_SOURCE_DIR "/examples/check-list.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, std::string(kCnColumns) + "row \"B0001\" \"x\"\n");

  // Function 12's test module opens no form: the dialog's lines are not played.
  r = box_.Shell({"run", TAVRO_SOURCE_DIR "/examples/check-record.txt"});
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

}  // namespace

// tavro-shell as a process, against a stand-in module: what it prints, which exit
// status it gives, and what it does with transcripts and rows files.
#include <gtest/gtest.h>

#include <csignal>

#include "tests/support/ShellSandbox.h"

namespace {

using e2e::Lines;
using e2e::Sandbox;

class ShellProcess : public ::testing::Test {
 protected:
  e2e::ShellOutput Call(std::vector<std::string> args) {
    args.insert(args.begin(), "call");
    args.push_back("--module");
    args.push_back(e2e::BinDir() + "/libShellFakeModule.so");
    return box_.Shell(args);
  }
  Sandbox box_;
};

TEST_F(ShellProcess, PassesTheParametersAndPrintsTheResult) {
  box_.SetEnv("FAKE_MODULE_LOG", box_.Root() + "/module-log.txt");
  box_.WriteFile("op.txt", "# nothing to do\n");
  auto r = Call({"Mn_UserEdit", "--corp", "0012", "--user", "000001", "--function", "42", "--key",
                 "echo", "--extra", "中", "--script", "op.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=42 Text=\"echo\"\n");
  EXPECT_EQ(box_.ReadFile(box_.Root() + "/module-log.txt"),
            "window=1 corp=0012 user=000001 function=42 key=echo extra=\xD6\xD0 script=op.txt\n");
}

TEST_F(ShellProcess, ExitStatusFollowsTheOutcome) {
  struct Case {
    const char* key;
    int status;
    const char* out;
    const char* errHolds;
  };
  const Case cases[] = {
      {"plain", 0, "Code=0 Text=\"plain\"\n", ""},
      {"script-error", 3, "Code=0 Text=\"script-error\"\n", "error 1 \"no such control\""},
      {"raise", 4, "", "Mn_UserEdit raised: Fake\\x07 failure 中"},
      {"raise-other", 4, "", "not a std::exception"},
      // A Text without its zero byte is read to its 51 bytes and no further.
      {"full", 0, "Code=0 Text=\"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\"\n", ""},
  };
  for (const Case& c : cases) {
    auto r = Call({"Mn_UserEdit", "--key", c.key});
    EXPECT_EQ(r.status, c.status) << c.key << "\n" << r.err;
    EXPECT_EQ(r.out, c.out) << c.key;
    EXPECT_NE(r.err.find(c.errHolds), std::string::npos) << c.key << "\n" << r.err;
  }
}

// For automation: --strict fails a call that showed an error (the error icon, or a host
// failure reported as "Error:..."), and only such a call.
TEST_F(ShellProcess, StrictFailsACallThatShowedAnError) {
  const struct {
    const char* key;
    int strict;
  } cases[] = {{"box-0", 6},   {"box-1", 6}, {"box-2", 0},       {"box-3", 0},
               {"message", 0}, {"plain", 0}, {"script-error", 3}};
  for (const auto& c : cases) {
    auto r = Call({"Mn_UserEdit", "--key", c.key});
    EXPECT_EQ(r.status, c.key == std::string("script-error") ? 3 : 0) << c.key << "\n" << r.err;
    r = Call({"Mn_UserEdit", "--key", c.key, "--strict"});
    EXPECT_EQ(r.status, c.strict) << c.key << "\n" << r.err;
    EXPECT_EQ(r.out, std::string("Code=0 Text=\"") + c.key + "\"\n") << c.key;
  }
  // Given on an example's call line, or after its file.
  const std::string fake = e2e::BinDir() + "/libShellFakeModule.so";
  box_.WriteFile("ex.txt", "# call: Mn_UserEdit --key box-1 --strict\n");
  EXPECT_EQ(box_.Shell({"run", "ex.txt", "--module", fake}).status, 6);
  box_.WriteFile("ex.txt", "# call: Mn_UserEdit --key box-1\n");
  EXPECT_EQ(box_.Shell({"run", "ex.txt", "--module", fake}).status, 0);
  EXPECT_EQ(box_.Shell({"run", "ex.txt", "--module", fake, "--strict"}).status, 6);
}

// Every command has a help page on standard output, and asking for it is no error.
TEST_F(ShellProcess, HelpIsPrintedForTheProgramAndEachCommand) {
  const struct {
    std::vector<std::string> args;
    const char* holds;
  } cases[] = {
      {{"help"}, "tavro-shell run FILE [options]"},
      {{"--help"}, "tavro-shell run FILE [options]"},
      {{"run", "--help"}, "Usage: tavro-shell run [OPTIONS] FILE"},
      {{"run", "example.txt", "-h"}, "--strict"},
      {{"entries", "--help"}, "Usage: tavro-shell entries [OPTIONS]"},
      {{"call", "--help"}, "--script FILE"},
  };
  for (const auto& c : cases) {
    auto r = box_.Shell(c.args);
    EXPECT_EQ(r.status, 0) << c.args[0] << "\n" << r.err;
    EXPECT_NE(r.out.find(c.holds), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Exit status:"), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "");
  }
}

// "--script -" hands the module standard input as the script; the shell leaves reading
// it to the module's platform.
TEST_F(ShellProcess, ScriptDashIsStandardInput) {
  box_.SetEnv("FAKE_MODULE_LOG", box_.Root() + "/module-log.txt");
  auto r = Call({"Mn_UserEdit", "--key", "echo", "--script", "-"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(box_.ReadFile(box_.Root() + "/module-log.txt"),
            "window=1 corp= user= function=0 key=echo extra= script=-\n");
}

TEST_F(ShellProcess, PrivateTranscriptGoesToStandardErrorAndIsRemoved) {
  auto r = Call({"Mn_UserEdit", "--key", "message"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "message ok none \"\" \"hi\" -> ok\n");
  EXPECT_TRUE(box_.List(box_.TempDir()).empty());

  // Also when the call is interrupted (Ctrl-C, kill): the process still ends by that
  // signal, so its parent sees the usual status. A transcript named by the operator
  // is the operator's, and stays.
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    r = Call({"Mn_UserEdit", "--key", "signal-" + std::to_string(signal)});
    EXPECT_EQ(r.signal, signal) << r.err;
    EXPECT_TRUE(box_.List(box_.TempDir()).empty()) << signal;
  }
  r = Call({"Mn_UserEdit", "--key", "signal-2", "--transcript", "t.txt"});
  EXPECT_EQ(r.signal, SIGINT);
  EXPECT_EQ(box_.ReadFile("t.txt"), "message ok none \"\" \"interrupted\" -> ok\n");
}

TEST_F(ShellProcess, OnlyThisCallsTranscriptLinesDecide) {
  // An error left in the file by an earlier run does not fail this one; the file keeps
  // both runs' lines, and nothing is echoed to standard error.
  std::string transcript = box_.WriteFile("t.txt", "error 3 \"an earlier run\"\n");
  auto r = Call({"Mn_UserEdit", "--key", "message", "--transcript", "t.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(Lines(box_.ReadFile(transcript)).size(), 2U);

  r = Call({"Mn_UserEdit", "--key", "script-error", "--transcript", "t.txt"});
  EXPECT_EQ(r.status, 3);

  // The environment's transcript serves when no option names one.
  box_.SetEnv("TAVRO_UI_TRANSCRIPT", transcript);
  r = Call({"Mn_UserEdit", "--key", "script-error"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(Lines(box_.ReadFile(transcript)).size(), 4U);
}

TEST_F(ShellProcess, ListPrintsColumnsThenRowsAndDeletesTheRowsFile) {
  auto r = Call({"Mn_GetCheckList", "--key", "rows"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "column \"业务\" 15\n"
            "column \"Pay Amount\" 8\n"
            "row \"A1\" \"中\" \"1.00\"\n"
            "row\n"
            "row \"A2\" \"\\\"q\\\"\" \"\"\n");
  EXPECT_FALSE(box_.Exists(box_.TempDir() + "/fake-rows"));
}

TEST_F(ShellProcess, ListWithoutRowsOrWithBrokenTexts) {
  // No rows file: the module's read failed, which an empty list must not hide.
  auto r = Call({"Mn_GetCheckList", "--key", "none"});
  EXPECT_EQ(r.status, 5);
  EXPECT_EQ(r.out, "column \"业务\" 15\ncolumn \"Pay Amount\" 8\n");
  EXPECT_EQ(r.err,
            "tavro-shell: Mn_GetCheckList: the list could not be read: the module named no rows "
            "file (its host command failed)\n");

  r = Call({"Mn_GetCheckList", "--key", "missing"});
  EXPECT_EQ(r.status, 5);
  EXPECT_NE(r.err.find("cannot read the rows file"), std::string::npos);

  // Both texts without a zero byte: read within their fields, never beyond.
  r = Call({"Mn_GetCheckList", "--key", "unterminated"});
  EXPECT_EQ(r.status, 5);
  EXPECT_EQ(r.out, "column \"" + std::string(512, 'c') + "\" -\n");
  EXPECT_NE(r.err.find(std::string(128, 'f') + "\""), std::string::npos);
}

TEST_F(ShellProcess, RunTakesTheCallFromTheExampleAndTheScriptIsTheExample) {
  box_.SetEnv("FAKE_MODULE_LOG", box_.Root() + "/module-log.txt");
  box_.WriteFile("ex.txt", "# call: Mn_UserEdit --key echo --corp 0012 --function 3\n");
  auto r = box_.Shell(
      {"run", "ex.txt", "--corp", "0099", "--module", e2e::BinDir() + "/libShellFakeModule.so"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=3 Text=\"echo\"\n");
  EXPECT_EQ(box_.ReadFile(box_.Root() + "/module-log.txt"),
            "window=1 corp=0099 user= function=3 key=echo extra= script=ex.txt\n");
}

TEST_F(ShellProcess, EntriesListsWhatTheModuleExports) {
  auto r = box_.Shell({"entries", "--module", e2e::BinDir() + "/libShellFakeModule.so"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Mn_UserEdit\nMn_GetCheckList\n");
}

TEST_F(ShellProcess, MissingPiecesAreUsageErrors) {
  struct Case {
    std::vector<std::string> args;
    const char* errHolds;
  };
  const std::string fake = e2e::BinDir() + "/libShellFakeModule.so";
  const Case cases[] = {
      {{"call", "Mn_UserEdit", "--module", "/nonexistent/libM.so"}, "cannot load the module"},
      {{"call", "Mn_UsageEdit", "--module", fake}, "does not export Mn_UsageEdit"},
      {{"call", "Mn_UserEdit", "--module", fake, "--script", "absent.txt"},
       "cannot read the script"},
      {{"call", "Mn_UserEdit", "--module", fake, "--transcript", "/nonexistent/t.txt"},
       "cannot write the transcript"},
      {{"entries", "--module", "/nonexistent/libM.so"}, "cannot load the module"},
      {{"run", "absent.txt"}, "cannot read"},
  };
  for (const Case& c : cases) {
    auto r = box_.Shell(c.args);
    EXPECT_EQ(r.status, 2) << c.args[1];
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.errHolds), std::string::npos) << r.err;
  }
  box_.SetEnv("TAVRO_HOST_LIBRARY", "/nonexistent/libHost.so");
  auto r = Call({"Mn_UserEdit"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("TAVRO_HOST_LIBRARY"), std::string::npos);
}

}  // namespace

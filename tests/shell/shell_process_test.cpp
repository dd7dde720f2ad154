// tavro-shell as a process, against a stand-in module: what it prints, which exit
// status it gives, and what it does with transcripts and rows files.
#include <gtest/gtest.h>

#include <csignal>

#include "tests/support/ShellSandbox.h"

namespace {

using e2e::Lines;

class ShellProcess : public ::testing::Test {
 protected:
  e2e::ShellOutput Call(std::vector<std::string> args) {
    args.insert(args.begin(), "call");
    args.insert(args.end(), {"--module", fake_});
    return box_.Shell(args);
  }
  e2e::Sandbox box_;
  const std::string fake_ = e2e::BinDir() + "/libShellFakeModule.so";
};

// The module gets the call's parameters and the script's name ("-": standard input, which
// the shell leaves to the module); run takes the call from the example's first line.
TEST_F(ShellProcess, PassesTheParametersAndPrintsTheResult) {
  const std::string log = box_.Root() + "/module-log.txt";
  box_.SetEnv("FAKE_MODULE_LOG", log);
  box_.WriteFile("op.txt", "# nothing to do\n");
  box_.WriteFile("ex.txt", "# call: Mn_UserEdit --key echo --corp 0012 --function 3\n");
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"call", "Mn_UserEdit", "--corp", "0012", "--user", "000001", "--function", "42", "--key",
        "echo", "--extra", "中", "--script", "op.txt", "--module", fake_},
       "Code=42 Text=\"echo\"\n"},
      {{"call", "Mn_UserEdit", "--key", "echo", "--script", "-", "--module", fake_},
       "Code=0 Text=\"echo\"\n"},
      {{"run", "ex.txt", "--corp", "0099", "--module", fake_}, "Code=3 Text=\"echo\"\n"},
  };
  for (const auto& [args, out] : cases) {
    const auto r = box_.Shell(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, out);
  }
  EXPECT_EQ(box_.ReadFile(log),
            "window=1 corp=0012 user=000001 function=42 key=echo extra=\xD6\xD0 script=op.txt\n"
            "window=1 corp= user= function=0 key=echo extra= script=-\n"
            "window=1 corp=0099 user= function=3 key=echo extra= script=ex.txt\n");
}

TEST_F(ShellProcess, ExitStatusFollowsTheOutcome) {
  const std::string cols = "column \"业务\" 15\ncolumn \"Pay Amount\" 8\n";
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string errHolds;
  } cases[] = {
      {{"Mn_UserEdit", "--key", "plain"}, 0, "Code=0 Text=\"plain\"\n", ""},
      {{"Mn_UserEdit", "--key", "script-error"},
       3,
       "Code=0 Text=\"script-error\"\n",
       "error 1 \"no such control\""},
      {{"Mn_UserEdit", "--key", "raise"}, 4, "", "Mn_UserEdit raised: Fake\\x07 failure 中"},
      {{"Mn_UserEdit", "--key", "raise-other"}, 4, "", "not a std::exception"},
      // A Text without its zero byte is read to its 51 bytes and no further.
      {{"Mn_UserEdit", "--key", "full"}, 0, "Code=0 Text=\"" + std::string(51, 'x') + "\"\n", ""},
      {{"Mn_GetCheckList", "--key", "rows"},
       0,
       cols + "row \"A1\" \"中\" \"1.00\"\nrow\nrow \"A2\" \"\\\"q\\\"\" \"\"\n",
       ""},
      // No rows file: the module's read failed, which an empty list must not hide.
      {{"Mn_GetCheckList", "--key", "none"},
       5,
       cols,
       "tavro-shell: Mn_GetCheckList: the list could not be read: the module named no rows "
       "file (its host command failed)\n"},
      {{"Mn_GetCheckList", "--key", "missing"}, 5, cols, "cannot read the rows file"},
      // Both texts without a zero byte: read within their fields, never beyond.
      {{"Mn_GetCheckList", "--key", "unterminated"},
       5,
       "column \"" + std::string(512, 'c') + "\" -\n",
       std::string(128, 'f') + "\""},
      {{"Mn_UsageEdit"}, 2, "", "does not export Mn_UsageEdit"},
      {{"Mn_UserEdit", "--script", "absent.txt"}, 2, "", "cannot read the script"},
      {{"Mn_UserEdit", "--transcript", "/nonexistent/t.txt"}, 2, "", "cannot write the transcript"},
  };
  for (const auto& c : cases) {
    const auto r = Call(c.args);
    EXPECT_EQ(r.status, c.status) << c.args.back() << "\n" << r.err;
    EXPECT_EQ(r.out, c.out) << c.args.back();
    EXPECT_NE(r.err.find(c.errHolds), std::string::npos) << c.args.back() << "\n" << r.err;
  }
  EXPECT_EQ(Call({"Mn_GetCheckList", "--key", "none"}).err, cases[6].errHolds);
  EXPECT_FALSE(box_.Exists(box_.TempDir() + "/fake-rows"));  // the rows file is deleted
  const std::pair<std::vector<std::string>, const char*> usage[] = {
      {{"call", "Mn_UserEdit", "--module", "/nonexistent/libM.so"}, "cannot load the module"},
      {{"entries", "--module", "/nonexistent/libM.so"}, "cannot load the module"},
      {{"run", "absent.txt"}, "cannot read"},
  };
  for (const auto& [args, errHolds] : usage) {
    const auto r = box_.Shell(args);
    EXPECT_EQ(r.status, 2) << args[1];
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(errHolds), std::string::npos) << r.err;
  }
  box_.SetEnv("TAVRO_HOST_LIBRARY", "/nonexistent/libHost.so");
  const auto r = Call({"Mn_UserEdit"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("TAVRO_HOST_LIBRARY"), std::string::npos);
}

// For automation: --strict fails a call that showed an error (the error icon, or a host
// failure reported as "Error:..."), and only such a call.
TEST_F(ShellProcess, StrictFailsACallThatShowedAnError) {
  const std::pair<const char*, int> cases[] = {{"box-0", 6},       {"box-1", 6},   {"box-2", 0},
                                               {"box-3", 0},       {"message", 0}, {"plain", 0},
                                               {"script-error", 3}};
  for (const auto& [key, strict] : cases) {
    auto r = Call({"Mn_UserEdit", "--key", key});
    EXPECT_EQ(r.status, strict == 3 ? 3 : 0) << key << "\n" << r.err;
    r = Call({"Mn_UserEdit", "--key", key, "--strict"});
    EXPECT_EQ(r.status, strict) << key << "\n" << r.err;
    EXPECT_EQ(r.out, std::string("Code=0 Text=\"") + key + "\"\n") << key;
  }
  // Given on an example's call line, or after its file.
  box_.WriteFile("ex.txt", "# call: Mn_UserEdit --key box-1 --strict\n");
  EXPECT_EQ(box_.Shell({"run", "ex.txt", "--module", fake_}).status, 6);
  box_.WriteFile("ex.txt", "# call: Mn_UserEdit --key box-1\n");
  EXPECT_EQ(box_.Shell({"run", "ex.txt", "--module", fake_}).status, 0);
  EXPECT_EQ(box_.Shell({"run", "ex.txt", "--module", fake_, "--strict"}).status, 6);
}

// Every command has a help page on standard output, and asking for it is no error.
TEST_F(ShellProcess, HelpAndVersionArePrintedForTheProgramAndEachCommand) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"help"}, "tavro-shell run FILE [options]"},
      {{"--help"}, "Subcommands:"},
      {{"-h"}, "tavro-shell run FILE [options]"},
      {{"run", "--help"}, "Usage: tavro-shell run [OPTIONS] FILE"},
      {{"run", "example.txt", "-h"}, "--strict"},
      {{"entries", "--help"}, "Usage: tavro-shell entries [OPTIONS]"},
      {{"entries", "-h"}, "Usage: tavro-shell entries [OPTIONS]"},
      {{"call", "--help"}, "--script FILE"},
      {{"call", "Mn_UserEdit", "--corp", "1", "--help"}, "tavro-shell call [OPTIONS] ENTRY"},
  };
  for (const auto& [args, holds] : cases) {
    const auto r = box_.Shell(args);
    EXPECT_EQ(r.status, 0) << args[0] << "\n" << r.err;
    EXPECT_NE(r.out.find(holds), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Exit status:"), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "");
  }
  const auto r = box_.Shell({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "tavro-shell " TAVRO_VERSION "\n");
}

TEST_F(ShellProcess, PrivateTranscriptGoesToStandardErrorAndIsRemoved) {
  auto r = Call({"Mn_UserEdit", "--key", "message"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "message ok none \"\" \"hi\" -> ok\n");
  EXPECT_TRUE(box_.List(box_.TempDir()).empty());
  // Also when the call is interrupted: the process still ends by that signal, for its
  // parent. A transcript named by the operator is the operator's, and stays.
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    r = Call({"Mn_UserEdit", "--key", "signal-" + std::to_string(signal)});
    EXPECT_EQ(r.signal, signal) << r.err;
    EXPECT_TRUE(box_.List(box_.TempDir()).empty()) << signal;
  }
  r = Call({"Mn_UserEdit", "--key", "signal-2", "--transcript", "t.txt"});
  EXPECT_EQ(r.signal, SIGINT);
  EXPECT_EQ(box_.ReadFile("t.txt"), "message ok none \"\" \"interrupted\" -> ok\n");
}

// An error left in the file by an earlier run does not fail this one; the file keeps
// both runs' lines, and nothing is echoed to standard error.
TEST_F(ShellProcess, OnlyThisCallsTranscriptLinesDecide) {
  const std::string transcript = box_.WriteFile("t.txt", "error 3 \"an earlier run\"\n");
  auto r = Call({"Mn_UserEdit", "--key", "message", "--transcript", "t.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(Lines(box_.ReadFile(transcript)).size(), 2U);
  EXPECT_EQ(Call({"Mn_UserEdit", "--key", "script-error", "--transcript", "t.txt"}).status, 3);
  // The environment's transcript serves when no option names one.
  box_.SetEnv("TAVRO_UI_TRANSCRIPT", transcript);
  EXPECT_EQ(Call({"Mn_UserEdit", "--key", "script-error"}).status, 3);
  EXPECT_EQ(Lines(box_.ReadFile(transcript)).size(), 4U);
}

}  // namespace

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

// The module gets the call's parameters (the extra in GBK) and the script's name; run
// takes the call from the example's first line, options given after its file winning.
TEST_F(ShellProcess, PassesTheParametersAndPrintsTheResult) {
  const std::string log = box_.Root() + "/module-log.txt";
  box_.SetEnv("FAKE_MODULE_LOG", log);
  box_.WriteFile("op.txt", "# nothing to do\n");
  box_.WriteFile("ex.txt", "# call: Mn_UserEdit --key echo --corp 0012 --function 3\n");
  auto r = Call({"Mn_UserEdit", "--corp", "0012", "--user", "000001", "--function", "42", "--key",
                 "echo", "--extra", "中", "--script", "op.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Code=42 Text=\"echo\"\n");
  // "-" names standard input, which the shell leaves to the module.
  EXPECT_EQ(Call({"Mn_UserEdit", "--key", "echo", "--script", "-"}).status, 0);
  r = box_.Shell({"run", "ex.txt", "--corp", "0099", "--module", fake_});
  EXPECT_EQ(r.out, "Code=3 Text=\"echo\"\n");
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
  EXPECT_FALSE(box_.Exists(box_.TempDir() + "/fake-rows"));  // the rows file is deleted
  const std::pair<std::vector<std::string>, const char*> usage[] = {
      {{"call", "Mn_UserEdit", "--module", "/nonexistent/libM.so"}, "cannot load the module"},
      {{"entries", "--module", "/nonexistent/libM.so"}, "cannot load the module"},
      {{"run", "absent.txt"}, "cannot read"},
  };
  for (const auto& [args, errHolds] : usage) {
    const auto r = box_.Shell(args);
    EXPECT_EQ(r.status, 2) << args[1];
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
  const std::pair<const char*, int> cases[] = {
      {"box-0", 6}, {"box-1", 6}, {"box-2", 0}, {"message", 0}};
  for (const auto& [key, strict] : cases) {
    EXPECT_EQ(Call({"Mn_UserEdit", "--key", key}).status, 0) << key;
    EXPECT_EQ(Call({"Mn_UserEdit", "--key", key, "--strict"}).status, strict) << key;
  }
  // Given on an example's call line, or after its file.
  box_.WriteFile("ex.txt", "# call: Mn_UserEdit --key box-1 --strict\n");
  EXPECT_EQ(box_.Shell({"run", "ex.txt", "--module", fake_}).status, 6);
  box_.WriteFile("ex.txt", "# call: Mn_UserEdit --key box-1\n");
  EXPECT_EQ(box_.Shell({"run", "ex.txt", "--module", fake_, "--strict"}).status, 6);
}

TEST_F(ShellProcess, HelpAndVersionArePrintedForTheProgramAndEachCommand) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"--help"}, "Subcommands:"},
      {{"call", "Mn_UserEdit", "--corp", "1", "--help"}, "tavro-shell call [OPTIONS] ENTRY"},
  };
  for (const auto& [args, holds] : cases) {
    const auto r = box_.Shell(args);
    EXPECT_EQ(r.status, 0) << args[0] << "\n" << r.err;
    EXPECT_NE(r.out.find(holds), std::string::npos) << r.out;
  }
  EXPECT_EQ(box_.Shell({"--version"}).out, "tavro-shell " TAVRO_VERSION "\n");
}

// The shell's own transcript goes to standard error and is removed, also when the call
// is interrupted (the process still ends by that signal); the operator's stays.
TEST_F(ShellProcess, PrivateTranscriptGoesToStandardErrorAndIsRemoved) {
  auto r = Call({"Mn_UserEdit", "--key", "message"});
  EXPECT_EQ(r.err, "message ok none \"\" \"hi\" -> ok\n");
  EXPECT_TRUE(box_.List(box_.TempDir()).empty());
  r = Call({"Mn_UserEdit", "--key", "signal-15"});
  EXPECT_EQ(r.signal, SIGTERM) << r.err;
  EXPECT_TRUE(box_.List(box_.TempDir()).empty());
  // An error left in the operator's file by an earlier run does not fail this one.
  const std::string transcript = box_.WriteFile("t.txt", "error 3 \"an earlier run\"\n");
  r = Call({"Mn_UserEdit", "--key", "message", "--transcript", "t.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  box_.SetEnv("TAVRO_UI_TRANSCRIPT", transcript);  // serves when no option names one
  r = Call({"Mn_UserEdit", "--key", "signal-2"});
  EXPECT_EQ(r.signal, SIGINT);
  EXPECT_EQ(Lines(box_.ReadFile(transcript)).size(), 3U);
}

}  // namespace

// The command line and the call line of example scripts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "shell/ShellOptions.h"

namespace {

using shell::CommandLine;

bool Parse(const std::vector<std::string>& args, CommandLine& line, std::string& error) {
  return shell::ParseCommandLine(args, line, error);
}

TEST(ParseCommandLine, CallTakesTheSevenParametersInUtf8AndPassesGbk) {
  CommandLine line;
  std::string error;
  ASSERT_TRUE(Parse({"call", "Mn_CustAcEdit", "--corp", "0012", "--user", "000001", "--function",
                     "-7", "--key", "中", "--extra", "", "--module", "/m.so"},
                    line, error))
      << error;
  EXPECT_EQ(line.command, shell::Command::Call);
  EXPECT_EQ(line.options.entry, "Mn_CustAcEdit");
  EXPECT_EQ(line.options.corp, "0012");
  EXPECT_EQ(line.options.user, "000001");
  EXPECT_EQ(line.options.function, -7);
  EXPECT_EQ(line.options.key, "\xD6\xD0");
  EXPECT_EQ(line.options.extra, "");
  EXPECT_EQ(line.options.module, "/m.so");
  EXPECT_FALSE(line.options.script);
}

TEST(ParseCommandLine, RejectsEveryMalformedCommand) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"frobnicate"},
      {"call"},
      {"call", "Mn_NoSuchEntry"},
      {"call", "mn_getchecklist"},
      {"call", "Mn_GetCheckList", "--corp"},
      {"call", "Mn_GetCheckList", "--colour", "red"},
      {"call", "Mn_GetCheckList", "stray"},
      {"call", "Mn_GetCheckList", "--function", "12x"},
      {"call", "Mn_GetCheckList", "--function", "2147483648"},
      {"call", "Mn_GetCheckList", "--function", ""},
      {"call", "Mn_GetCheckList", "--key", "\xFF"},
      {"call", "Mn_GetCheckList", "--user", "\xF0\x9F\x98\x80"},
      {"call", "Mn_GetCheckList", "--script", ""},
      {"run"},
      {"entries", "--corp", "1"},
  };
  for (const auto& args : bad) {
    CommandLine line;
    std::string error;
    EXPECT_FALSE(Parse(args, line, error)) << (args.empty() ? "(none)" : args.back());
    EXPECT_FALSE(error.empty());
  }
}

// The module cuts an id to its field and trims it, which can turn it into another,
// valid id: the shell refuses it instead, naming the option.
TEST(ParseCommandLine, AnIdMustFitItsFieldWholeWithoutBlanksAtItsEnds) {
  const struct {
    const char* option;
    const char* value;
    const char* error;  // empty: accepted
  } cases[] = {
      {"--corp", "00129", "--corp \"00129\" is longer than its field of 4 bytes"},
      {"--user", "0000017", "--user \"0000017\" is longer than its field of 6 bytes"},
      {"--corp", "中中中", "--corp \"中中中\" is longer than its field of 4 bytes"},
      {"--corp", " 0012", "--corp \" 0012\" has blanks at its ends"},
      {"--user", "000001\t", "--user \"000001\\t\" has blanks at its ends"},
      {"--corp", "中中", ""},
      {"--user", "", ""},
  };
  for (const auto& c : cases) {
    CommandLine line;
    std::string error;
    EXPECT_EQ(Parse({"call", "Mn_GetCheckList", c.option, c.value}, line, error), !*c.error)
        << c.value;
    EXPECT_EQ(error, c.error);
  }
}

TEST(ParseCommandLine, ALaterValueWinsAndStrictIsAFlag) {
  CommandLine line;
  std::string error;
  ASSERT_TRUE(Parse({"run", "ex.txt", "--corp", "0012", "--strict", "--corp=0099", "--function",
                     "5", "--function", "-2147483648", "--script", "-"},
                    line, error))
      << error;
  EXPECT_EQ(line.command, shell::Command::Run);
  EXPECT_EQ(line.runFile, "ex.txt");
  EXPECT_EQ(line.options.corp, "0099");
  EXPECT_EQ(line.options.function, INT32_MIN);
  EXPECT_EQ(line.options.script, "-");
  EXPECT_TRUE(line.options.strict);
  EXPECT_FALSE(line.options.user);
}

TEST(ParseCommandLine, HelpIsACommandOfItsOwnWithThePageAskedFor) {
  const struct {
    std::vector<std::string> args;
    const char* holds;
  } cases[] = {
      {{"help"}, "Subcommands:"},
      {{"-h"}, "Subcommands:"},
      {{"run", "--help"}, "tavro-shell run [OPTIONS] FILE"},
      {{"entries", "-h"}, "tavro-shell entries [OPTIONS]"},
      {{"call", "Mn_UserEdit", "--corp", "1", "--help"}, "tavro-shell call [OPTIONS] ENTRY"},
      {{"--version"}, "tavro-shell " TAVRO_VERSION "\n"},
  };
  for (const auto& c : cases) {
    CommandLine line;
    std::string error;
    ASSERT_TRUE(Parse(c.args, line, error)) << error;
    EXPECT_EQ(line.command, shell::Command::Help);
    EXPECT_NE(line.help.find(c.holds), std::string::npos) << line.help;
  }
}

class CallLineTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& text) {
    std::ofstream(path_, std::ios::binary) << text;
    return path_;
  }
  void TearDown() override { std::remove(path_.c_str()); }
  // One file per test: ctest runs the tests of this suite side by side.
  std::string path_ = ::testing::TempDir() + "/call-line-" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
                      std::to_string(getpid()) + ".txt";
};

TEST_F(CallLineTest, FirstLineNamesTheCallAndLaterOptionsWin) {
  shell::CallOptions options;
  std::string error;
  ASSERT_TRUE(shell::ReadCallLine(
      Write("\xEF\xBB\xBF# call: Mn_CheckRecord --key \"12 payment:A0001\" --corp 0012\r\n"
            "click OkBtn\n"),
      options, error))
      << error;
  EXPECT_EQ(options.entry, "Mn_CheckRecord");
  EXPECT_EQ(options.key, "12 payment:A0001");

  EXPECT_FALSE(options.strict);

  shell::CallOptions over;
  over.corp = "0099";
  over.script = "other.txt";
  over.strict = true;
  shell::MergeOptions(options, over);
  EXPECT_EQ(options.corp, "0099");
  EXPECT_EQ(options.key, "12 payment:A0001");
  EXPECT_EQ(options.script, "other.txt");
  EXPECT_TRUE(options.strict);

  ASSERT_TRUE(shell::ReadCallLine(Write("# call: Mn_UsageEdit --strict --corp 1 --corp 2\n"),
                                  options, error))
      << error;
  EXPECT_TRUE(options.strict);
  EXPECT_EQ(options.corp, "2");
}

TEST_F(CallLineTest, AFileWithoutAUsableCallLineIsRefused) {
  for (const char* text :
       {"click OkBtn\n# call: Mn_UsageEdit\n", "# call:\n", "# call: Mn_Nothing\n",
        "# call: Mn_UsageEdit --key \"open\n", "# call: Mn_UsageEdit --bogus 1\n",
        "# call: Mn_UsageEdit --help\n", "# call: Mn_UsageEdit stray\n", ""}) {
    shell::CallOptions options;
    std::string error;
    EXPECT_FALSE(shell::ReadCallLine(Write(text), options, error)) << text;
    EXPECT_FALSE(error.empty());
  }
  shell::CallOptions options;
  std::string error;
  EXPECT_FALSE(shell::ReadCallLine("/nonexistent/example.txt", options, error));
}

}  // namespace

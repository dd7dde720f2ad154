// The command line, the call line of example scripts, and the shell's own text: result
// rows and fields and column layouts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "shell/FolderPrint.h"
#include "shell/ShellOptions.h"
#include "shell/ShellText.h"

namespace {

using shell::CommandLine;
using Texts = std::vector<std::string>;

TEST(ParseCommandLine, TakesParametersInGbkRefusesMalformedOnesAndALaterValueWins) {
  CommandLine line;
  std::string error;
  ASSERT_TRUE(shell::ParseCommandLine({"run", "ex.txt", "--key", "中", "--corp", "0012", "--strict",
                                       "--corp=0099", "--function", "-2147483648"},
                                      line, error))
      << error;
  EXPECT_EQ(line.command, shell::Command::Run);
  EXPECT_EQ(line.runFile, "ex.txt");
  EXPECT_EQ(line.options.key, "\xD6\xD0");
  EXPECT_EQ(line.options.corp, "0099");
  EXPECT_EQ(line.options.function, INT32_MIN);
  EXPECT_TRUE(line.options.strict);
  // An id the module would cut or trim into another, valid id is refused, naming the
  // option. An empty error: accepted.
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"call", "mn_getchecklist"}, "?"},
      {{"call", "Mn_GetCheckList", "stray"}, "?"},
      {{"call", "Mn_GetCheckList", "--function", "2147483648"}, "?"},
      {{"call", "Mn_GetCheckList", "--function", ""}, "?"},
      {{"call", "Mn_GetCheckList", "--script", ""}, "?"},
      {{"run"}, "?"},
      {{"entries", "--corp", "1"}, "?"},
      {{"call", "Mn_GetCheckList", "--user", "\xF0\x9F\x98\x80"}, "?"},
      {{"call", "Mn_GetCheckList", "--corp", "00129"},
       "--corp \"00129\" is longer than its field of 4 bytes"},
      {{"call", "Mn_GetCheckList", "--user", "0000017"},
       "--user \"0000017\" is longer than its field of 6 bytes"},
      {{"call", "Mn_GetCheckList", "--user", "000001\t"},
       "--user \"000001\\t\" has blanks at its ends"},
      {{"call", "Mn_GetCheckList", "--corp", "中中"}, ""},
      {{"call", "Mn_GetCheckList", "--user", ""}, ""},
  };
  for (const auto& [args, expected] : cases) {
    error.clear();
    const std::string& what = args.back();
    EXPECT_EQ(shell::ParseCommandLine(args, line, error), expected.empty()) << what;
    if (expected == "?") {
      EXPECT_FALSE(error.empty()) << what;
    } else {
      EXPECT_EQ(error, expected) << what;
    }
  }
}

// The first line names the call, after a byte order mark; options given later win.
TEST(CallLine, IsReadFromTheExampleAndRefusedWhenUnusable) {
  const std::string path = ::testing::TempDir() + "/call-line-" + std::to_string(getpid());
  const auto read = [&path](const std::string& text, shell::CallOptions& options) {
    std::ofstream(path, std::ios::binary) << text;
    std::string error;
    const bool ok = shell::ReadCallLine(path, options, error);
    EXPECT_EQ(error.empty(), ok) << text << error;
    return ok;
  };
  shell::CallOptions options;
  ASSERT_TRUE(
      read("\xEF\xBB\xBF# call: Mn_CheckRecord --key \"12 payment:A0001\" --corp 0012\r\n"
           "click OkBtn\n",
           options));
  EXPECT_EQ(options.entry, "Mn_CheckRecord");
  shell::CallOptions over;
  over.corp = "0099";
  shell::MergeOptions(options, over);
  EXPECT_EQ(options.corp, "0099");
  EXPECT_EQ(options.key, "12 payment:A0001");
  for (const char* text : {"click OkBtn\n# call: Mn_UsageEdit\n", "# call: Mn_Nothing\n",
                           "# call: Mn_UsageEdit --key \"open\n", "# call: Mn_UsageEdit --help\n",
                           "# call: Mn_UsageEdit stray\n", ""}) {
    shell::CallOptions refused;
    EXPECT_FALSE(read(text, refused));
  }
  std::remove(path.c_str());
  std::string error;
  EXPECT_FALSE(shell::ReadCallLine("/nonexistent/example.txt", options, error));
}

TEST(ShellText, RowsFieldsAndColumnLayouts) {
  using V = std::vector<std::string_view>;
  // Every row end counts once; a final one adds no row.
  EXPECT_EQ(shell::SplitRows("a\r\nb\n\rc\rd\n\ne"), (V{"a", "b", "c", "d", "", "e"}));
  EXPECT_EQ(shell::SplitRows("a\r\n"), (V{"a"}));
  // A GBK title, "^" where there is no 0x07, no width, a bad one, blanks.
  EXPECT_EQ(
      shell::ColumnLines("\xD2\xB5\xCE\xF1\x07"
                         "15\r\nPay^8\r\nNoWidth\r\nBad\x07x1\r\n Trim \x07 12 \x07ignored\r\n"),
      (Texts{"column \"业务\" 15", "column \"Pay\" 8", "column \"NoWidth\" -", "column \"Bad\" -",
             "column \"Trim\" 12"}));
  // Fields untrimmed, with a trailing separator and an empty row.
  EXPECT_EQ(shell::RowLines("A1\x07 \xD6\xD0 \x07\r\n\r\nx\x0Ey"),
            (Texts{"row \"A1\" \" 中 \" \"\"", "row", "row \"x\\x0Ey\""}));
}

}  // namespace

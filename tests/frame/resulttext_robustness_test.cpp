// Answers and files full of the bytes the module gives meaning to (field separators,
// line-break marks, row ends, lone lead bytes, quotes, carets): every reader keeps its
// bounds and never cuts a double-byte character in two.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "frame/CommaList.h"
#include "frame/GbkText.h"
#include "frame/ResultText.h"
#include "sys/IniFile.h"
#include "tests/support/RandomText.h"
#include "tests/support/TestEnv.h"

namespace {

using tavro_test::RandomText;

// True when text does not end in the first half of a double-byte character.
bool WholeCharacters(std::string_view text) {
  return frame::GbkCutLength(text, text.size()) == text.size();
}

TEST(ResultTextRobustness, UpdateAnswersAndItemsStayWithinTheirFields) {
  std::mt19937 random(1206);
  for (int i = 0; i < 20000; ++i) {
    const std::string answer = RandomText(random, 160);
    const TShellResult result = frame::ParseShellResult(answer);
    const void* end = std::memchr(result.Text, '\0', sizeof result.Text);
    ASSERT_NE(end, nullptr) << answer;
    EXPECT_TRUE(WholeCharacters(result.Text)) << answer;

    const frame::TCodeNameDetail item = frame::SplitCodeNameDetail(answer);
    EXPECT_LE(item.Name.size(), frame::kCodeNameDetailLen);
    EXPECT_LE(item.Detail.size(), frame::kCodeNameDetailLen);
    EXPECT_TRUE(WholeCharacters(item.Name)) << answer;
    EXPECT_TRUE(WholeCharacters(item.Detail)) << answer;
  }
}

TEST(ResultTextRobustness, LineBreakMarksNeverSurviveTheirConversion) {
  std::mt19937 random(2026);
  for (int i = 0; i < 20000; ++i) {
    const std::string text = RandomText(random, 120);
    // CR, LF and 0x0E are below every trail byte, so none may be left standing.
    const std::string encoded = frame::EncodeNewlines(text);
    EXPECT_EQ(encoded.find_first_of("\r\n"), std::string::npos) << text;
    const std::string decoded = frame::DecodeNewlines(text);
    EXPECT_EQ(decoded.find('\016'), std::string::npos) << text;
  }
}

TEST(ResultTextRobustness, ColumnLayoutsKeepTheirBoundAndWholeLines) {
  std::mt19937 random(511);
  for (int i = 0; i < 20000; ++i) {
    const std::string value = RandomText(random, 700);
    const std::string layout = frame::BuildColumnLayout(value, 511);
    EXPECT_LE(layout.size(), 511U) << value;
    if (!layout.empty()) {
      EXPECT_EQ(layout.substr(layout.size() - 2), "\r\n") << value;
    }
    for (const std::string& item : frame::SplitCommaList(value)) {
      EXPECT_LE(item.size(), value.size());
    }
  }
}

class DamagedFiles : public tavro_test::TempDirTest {};

TEST_F(DamagedFiles, InitialisationFilesOfAnyBytesAreReadAndRewritten) {
  std::mt19937 random(936);
  const std::string path = TempDir() + "damaged.ini";
  for (int i = 0; i < 500; ++i) {
    {
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out << RandomText(random, 2000);
    }
    sys::IniFile ini(path);
    for (const char* section : {"CN", "Settings", "Right", ""}) {
      (void)ini.ReadString(section, "LangId", "none");
      for (const std::string& key : ini.ReadKeys(section)) {
        (void)ini.ReadString(section, key, "");
      }
    }
    // A rewrite keeps what the file held and adds the key where it can be read back.
    ini.WriteString("Right", "101", "11110000");
    ini.Save();
    EXPECT_EQ(sys::IniFile(path).ReadString("Right", "101", ""), "11110000");
  }
}

}  // namespace

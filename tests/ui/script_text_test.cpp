// Tokens of script lines and the quoting of transcript texts.
#include <gtest/gtest.h>

#include "SampleForm.h"
#include "ui/headless/ScriptText.h"

namespace ui_test {
namespace {

using namespace ui;

TEST(ScriptText, TokensSplitAtBlanksAndQuotedTextsKeepThemWithEscapes) {
  struct {
    const char* line;
    std::vector<std::pair<std::string, bool>> tokens;
  } cases[] = {
      {"click  UpdateBtn", {{"click", false}, {"UpdateBtn", false}}},
      {"type NameEdt \"a b\"", {{"type", false}, {"NameEdt", false}, {"a b", true}}},
      {R"(set M "q\"\\\n\r\t")", {{"set", false}, {"M", false}, {"q\"\\\n\r\t", true}}},
      {R"(set M "\x07\xA1z")", {{"set", false}, {"M", false}, {"\x07\xA1z", true}}},
      {"set M \"\"", {{"set", false}, {"M", false}, {"", true}}},
      {"type NameEdt 张三", {{"type", false}, {"NameEdt", false}, {Gbk("张三"), false}}},
      {"type NameEdt \"张 三\"", {{"type", false}, {"NameEdt", false}, {Gbk("张 三"), true}}},
  };
  for (const auto& c : cases) {
    std::vector<ScriptToken> tokens;
    EXPECT_FALSE(TokenizeLine(c.line, tokens)) << c.line;
    std::vector<std::pair<std::string, bool>> got;
    got.reserve(tokens.size());
    for (const auto& t : tokens) {
      got.emplace_back(t.Text, t.Quoted);
    }
    EXPECT_EQ(got, c.tokens) << c.line;
  }
}

TEST(ScriptText, MalformedQuotedTextsAreErrors) {
  const char* bad[] = {"set M \"open",    R"(set M "\q")", R"(set M "\x4")",
                       R"(set M "\xZZ")", "set M \"a\"b",  R"(set M "tail\)"};
  for (const char* line : bad) {
    std::vector<ScriptToken> tokens;
    EXPECT_TRUE(TokenizeLine(line, tokens)) << line;
  }
}

TEST(ScriptText, ScriptSkipsBlankAndCommentLinesAndKeepsLineNumbers) {
  auto lines = ParseScript(
      "# call: Mn_UsageEdit\r\n\r\nclick AddNewBtn\r\n   \n  # note\ninput \"x\"\nset M \"bad");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].Number, 3);
  EXPECT_EQ(lines[0].Source, "click AddNewBtn");
  EXPECT_EQ(lines[1].Number, 6);
  EXPECT_EQ(lines[2].Number, 7);
  EXPECT_FALSE(lines[2].Error.empty());
  EXPECT_TRUE(lines[2].Tokens.empty());
}

TEST(ScriptText, TranscriptTextsAreUtf8WithEscapes) {
  EXPECT_EQ(QuoteText(Gbk("保存")), "\"保存\"");
  EXPECT_EQ(QuoteText("a\"b\\c\r\n\t\x07\x7F"), R"("a\"b\\c\r\n\t\x07\x7F")");
  EXPECT_EQ(QuoteText(""), "\"\"");
}

}  // namespace
}  // namespace ui_test

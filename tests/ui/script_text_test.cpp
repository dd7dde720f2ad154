// The text forms of scripts and transcripts, which tavro-shell shares: tokens of a line,
// escapes, strict UTF-8 to GBK, and texts shown with every byte visible.
#include <gtest/gtest.h>

#include "SampleForm.h"
#include "tests/support/RandomText.h"
#include "ui/script/ScriptText.h"

namespace ui_test {
namespace {

using namespace ui;

TEST(ScriptText, TokensSplitAtBlanksAndQuotedTextsKeepThemWithEscapes) {
  struct {
    const char* line;
    std::vector<std::pair<std::string, bool>> tokens;
  } cases[] = {
      {"click  UpdateBtn", {{"click", false}, {"UpdateBtn", false}}},
      {R"(set M "q\"\\\n\r\t")", {{"set", false}, {"M", false}, {"q\"\\\n\r\t", true}}},
      {R"(set M "\x07\xA1z")", {{"set", false}, {"M", false}, {"\x07\xA1z", true}}},
      {"set M \"\"", {{"set", false}, {"M", false}, {"", true}}},
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

TEST(ScriptText, MalformedQuotedTextsAreErrorsForBothTokenForms) {
  const char* bad[] = {"set M \"open",    R"(set M "\q")", R"(set M "\x4")",
                       R"(set M "\xZZ")", "set M \"a\"b",  R"(set M "tail\)"};
  for (const char* line : bad) {
    std::vector<ScriptToken> tokens;
    EXPECT_TRUE(TokenizeLine(line, tokens)) << line;
    std::vector<std::string> utf8;
    std::string error;
    EXPECT_FALSE(SplitTokens(line, utf8, error)) << line;
    EXPECT_FALSE(error.empty()) << line;
  }
  // An open quote reports the bad escape before it rather than the missing quote.
  std::vector<ScriptToken> tokens;
  EXPECT_EQ(TokenizeLine(R"(set M "a\q)", tokens), "unknown escape \\q");
}

TEST(ScriptText, TextsThatGbkCannotHoldAreErrorsButRawBytesPass) {
  std::vector<ScriptToken> tokens;
  for (const char* line : {"type N smile\xF0\x9F\x98\x80", "type N \"a \xF0\x9F\x98\x80\"",
                           "type N \xFF", "type N \"\xC3\x28\""}) {
    EXPECT_TRUE(TokenizeLine(line, tokens)) << line;
    EXPECT_TRUE(tokens.empty()) << line;
  }
  ASSERT_FALSE(TokenizeLine(R"(type N "\xD6\xFF")", tokens));
  ASSERT_EQ(tokens.size(), 3u);
  EXPECT_EQ(tokens[2].Text, "\xD6\xFF");
}

TEST(SplitTokens, QuotedTokensHoldBlanksAndEscapesAndStayUtf8) {
  std::vector<std::string> tokens;
  std::string error;
  ASSERT_TRUE(SplitTokens(R"(  Mn_CheckRecord --key "12 payment:A\"1\x07" x )", tokens, error));
  EXPECT_EQ(tokens,
            (std::vector<std::string>{"Mn_CheckRecord", "--key", "12 payment:A\"1\x07", "x"}));
  ASSERT_TRUE(SplitTokens("--user \"张 三\"", tokens, error));
  EXPECT_EQ(tokens, (std::vector<std::string>{"--user", "张 三"}));
}

TEST(UnescapeToGbk, ConvertsLiteralTextAndKeepsRawBytes) {
  std::string out;
  std::string error;
  ASSERT_TRUE(UnescapeToGbk("中\\x07\\xD6\\\\n\\t", out, error)) << error;
  EXPECT_EQ(out, "\xD6\xD0\x07\xD6\\n\t");
  for (const char* bad : {"a\\", "\\x4", "\\xZZ", "\\q", "\xFF"}) {
    EXPECT_FALSE(UnescapeToGbk(bad, out, error)) << bad;
    EXPECT_FALSE(error.empty());
  }
}

TEST(Utf8ToGbkStrict, ConvertsOnlyTextThatGbkCanHold) {
  EXPECT_EQ(Utf8ToGbkStrict("中文 ok"), std::optional<std::string>("\xD6\xD0\xCE\xC4 ok"));
  EXPECT_FALSE(Utf8ToGbkStrict("ab\xE4\xB8"));              // cut inside a character
  EXPECT_FALSE(Utf8ToGbkStrict("\xC0\xAF"));                // overlong slash
  EXPECT_FALSE(Utf8ToGbkStrict("smile \xF0\x9F\x98\x80"));  // no GBK form
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
  // Bytes that are no character are shown, not replaced.
  EXPECT_EQ(QuoteText("ok\xD6"), R"("ok\xD6")");
  EXPECT_EQ(QuoteUtf8("中\x07\xE4\xB8"), R"("中\x07\xE4\xB8")");
}

TEST(GbkToShown, EscapesControlBytesAndKeepsEveryByteVisible) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\\b\"c", "a\\\\b\\\"c"},
      {"\r\n\t", "\\r\\n\\t"},
      {std::string("\x00\x07\x0E\x7F", 4), "\\x00\\x07\\x0E\\x7F"},
      {"\xD6\xD0\xCE\xC4", "中文"},
      {"\xD6\x07x", "\\xD6\\x07x"},  // a lone lead byte before an ASCII control byte
      {"\x80\xFF", "\\x80\\xFF"},    // bytes that start no GBK character
      {"\x95\x5C", "昞"},            // a trail byte that is a backslash
  };
  for (const auto& [gbk, shown] : cases) {
    EXPECT_EQ(GbkToShown(gbk), shown) << shown;
  }
}

// Any bytes at all: every line of the script is either actions or a reported error.
TEST(ScriptRobustness, EveryLineOfAnyScriptIsTokenizedOrExplained) {
  std::mt19937 random(65001);
  for (int i = 0; i < 5000; ++i) {
    const std::string script = tavro_test::RandomText(random, 400);
    for (const ui::ScriptLine& line : ui::ParseScript(script)) {
      EXPECT_TRUE(!line.Tokens.empty() || !line.Error.empty()) << line.Source;
    }
  }
}

}  // namespace
}  // namespace ui_test

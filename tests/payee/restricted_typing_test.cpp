// What the operator can type into the restricted edit and memo: every character of the
// SWIFT sets and a sample of others, at the start of a line and inside it, on a
// double-byte and on a single-byte system.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "payee/SwiftText.h"
#include "restricted_support.h"

namespace {

using restricted_test::kDoubleByteLocale;
using restricted_test::kSingleByteLocale;
using restricted_test::RestrictedTest;
using tavro_test::Gbk;
using tavro_test::ScopedEnv;

// The printable characters allowed first in a line, and the two more allowed later.
const std::string kHead = "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz0123456789.()/,+'";
const std::string kBodyOnly = "-:";
const std::string kOthers = "?&_@\"!#$%*;=<>[]{}|\\~`";

class RestrictedTypingTest : public RestrictedTest,
                             public ::testing::WithParamInterface<const char*> {};

// One character typed into an empty line and into the middle of "AB": kept exactly
// when its set allows it there, else the text and caret are as before and the
// listeners hear only the restored text.
TEST_P(RestrictedTypingTest, EachCharacterAtTheStartAndInsideALine) {
  ScopedEnv locale("LC_ALL", GetParam());
  const std::string all = kHead + kBodyOnly + kOthers;
  for (ui::TCustomEdit* control : Controls()) {
    for (char c : all) {
      const std::string typed(1, c);
      const bool head = kHead.find(c) != std::string::npos;
      const bool body = head || kBodyOnly.find(c) != std::string::npos;
      SCOPED_TRACE(control->Name + " '" + typed + "'");

      EXPECT_EQ(TypeInto(*control, "", 0, typed), head ? typed : "");
      EXPECT_EQ(control->SelStart(), head ? 1 : 0);
      EXPECT_EQ(Heard, std::vector<std::string>{head ? typed : ""});

      EXPECT_EQ(TypeInto(*control, "AB", 1, typed), body ? "A" + typed + "B" : "AB");
      EXPECT_EQ(control->SelStart(), body ? 2 : 1);
      EXPECT_EQ(Heard, std::vector<std::string>{body ? "A" + typed + "B" : "AB"});
    }
  }
}

// Chinese text passes only where the system's code page makes it double-byte text.
TEST_P(RestrictedTypingTest, ChineseCharactersFollowTheCodePage) {
  ScopedEnv locale("LC_ALL", GetParam());
  const bool dbcs = std::string(GetParam()) == kDoubleByteLocale;
  const std::string zhong = Gbk("中");
  for (ui::TCustomEdit* control : Controls()) {
    SCOPED_TRACE(control->Name);
    EXPECT_EQ(TypeInto(*control, "", 0, zhong), dbcs ? zhong : "");
    EXPECT_EQ(TypeInto(*control, "AB", 1, zhong), dbcs ? "A" + zhong + "B" : "AB");
    EXPECT_EQ(TypeInto(*control, "", 0, Gbk("中国银行 A-1")), dbcs ? Gbk("中国银行 A-1") : " A-1");
  }
}

// Whole lines typed key by key: each refused key drops out, the rest stays.
TEST_P(RestrictedTypingTest, LinesTypedKeyByKey) {
  ScopedEnv locale("LC_ALL", GetParam());
  const struct {
    const char* typed;
    const char* kept;
  } cases[] = {
      {"X-Y:Z", "X-Y:Z"},            // inside a line both are allowed
      {"  -XYZ", "  XYZ"},           // first non-blank character
      {"  :XYZ", "  XYZ"},           //
      {"-:A", "A"},                  // the line's first character is the third key
      {"abc?&def", "abcdef"},        // lower case stays as typed
      {"     ", "     "},            // blanks only
      {"(1) ./,+'x", "(1) ./,+'x"},  // head punctuation
  };
  for (ui::TCustomEdit* control : Controls()) {
    for (const auto& c : cases) {
      SCOPED_TRACE(control->Name + " " + c.typed);
      EXPECT_EQ(TypeInto(*control, "", 0, c.typed), c.kept);
      EXPECT_EQ(control->SelStart(), static_cast<int>(std::string(c.kept).size()));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Locales, RestrictedTypingTest,
                         ::testing::Values(kDoubleByteLocale, kSingleByteLocale));

// The line check on its own, for bytes typing cannot produce: broken double-byte
// characters and control bytes.
TEST(SwiftLineTest, BytesTypingCannotReach) {
  EXPECT_EQ(payee::kSwiftBodySet.size(), 74u);
  EXPECT_EQ(payee::kSwiftHeadSet.size(), 72u);
  const std::string lead = Gbk("中").substr(0, 1);
  const struct {
    std::string line;
    bool valid;
  } cases[] = {
      {lead, false},         // a lead byte with no trail byte
      {lead + " A", false},  // a lead byte before a blank
      {"\x80"
       "A",
       false},                                  // 0x80 starts nothing in GBK
      {"\t A", false},                          // trimmed for the head test, still no SWIFT
      {std::string("A\0", 2), false},           //
      {Gbk("中文") + "-" + Gbk("银行"), true},  // the head test skips a leading Chinese
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(payee::IsSwiftLine(cases[i].line, 0, 936), cases[i].valid) << "case " << i;
  }
}

}  // namespace

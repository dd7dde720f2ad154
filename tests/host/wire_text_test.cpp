// The edge between the wire (GBK, 0x07 fields, CR LF rows, 0x0E line breaks) and
// the database (UTF-8); texts that cross it both ways are in the interpreter tests.
#include <gtest/gtest.h>

#include <cstring>

#include "host/WireText.h"
#include "sys/CodePage.h"

namespace {

using host::Answer;

TEST(WireText, FramesRowsFieldsLineBreaksAndChineseAsGbk) {
  Answer answer;
  answer.rows = {{"a", "", "b"}, {}, {"l1\r\nl2\rl3\nl4"}};
  EXPECT_EQ(host::FrameAnswer(answer),
            "a\x07\x07"
            "b\r\n\r\nl1\x0el2\x0el3\x0el4\r\n");
  EXPECT_EQ(host::FrameAnswer(Answer{}), "");
  // Chinese leaves as GBK.
  answer.rows = {{"中国银行", "上海\r\n浦东"}};
  std::string expected = sys::Utf8ToGbk("中国银行") + "\x07" + sys::Utf8ToGbk("上海") + "\x0e" +
                         sys::Utf8ToGbk("浦东") + "\r\n";
  EXPECT_EQ(host::FrameAnswer(answer), expected);
}

// A stored character GBK lacks goes out as GBK's "?", an invisible one too: a zero-width
// space, byte-order mark or soft hyphen pasted into a name must not vanish unseen (the
// text sent back would silently differ from the stored one).
TEST(WireText, CharactersGbkLacksGoOutAsSubstitutesInvisibleOnesToo) {
  Answer answer;
  answer.rows = {{"a\u200Bb", "\uFEFF中", "co\u00ADop", "x\U0001F600y", "\u20AC"}};
  EXPECT_EQ(host::FrameAnswer(answer), "a?b\x07?" + sys::Utf8ToGbk("中") +
                                           "\x07"
                                           "co?op\x07x?y\x07\x80\r\n");
  char error[128];
  host::WriteErrorText("bad\u200Bname", error);
  EXPECT_STREQ(error, "bad?name");
}

TEST(WireText, BytesThatAreNoGbkAreRefused) {
  std::string utf8;
  EXPECT_FALSE(host::ArgumentToUtf8("a\x81", utf8));         // lone lead byte at the end
  EXPECT_FALSE(host::ArgumentToUtf8("\x81'x", utf8));        // lead byte before a quote
  EXPECT_FALSE(host::ArgumentToUtf8("\x81 x", utf8));        // lead byte before a blank
  EXPECT_FALSE(host::ArgumentToUtf8("\xe4\xb8\xad", utf8));  // UTF-8 sent by mistake
}

TEST(WireText, CutNeverSplitsADoubleByteCharacter) {
  std::string gbk = "ab" + sys::Utf8ToGbk("中文");  // 2 + 4 bytes
  EXPECT_EQ(host::GbkCutLength(gbk, 6), 6u);
  EXPECT_EQ(host::GbkCutLength(gbk, 5), 4u);
  EXPECT_EQ(host::GbkCutLength(gbk, 3), 2u);
  EXPECT_EQ(host::GbkCutLength(gbk, 0), 0u);
  EXPECT_EQ(host::GbkCutLength("a\x81", 2), 2u);  // a lone lead byte counts as one
}

TEST(WireText, ErrorTextFits127BytesAndEndsOnACharacter) {
  char error[128];
  std::memset(error, 'X', sizeof error);
  host::WriteErrorText(std::string(200, 'e'), error);
  EXPECT_EQ(std::strlen(error), 127u);

  // 'e' then 63 two-byte characters make 127 bytes; one more 'e' in front pushes the
  // last character past the limit, and it must go whole.
  std::string chinese;
  for (int i = 0; i < 64; ++i) {
    chinese += "错";
  }
  std::memset(error, 'X', sizeof error);
  host::WriteErrorText("ee" + chinese, error);
  EXPECT_EQ(std::strlen(error), 126u);
  EXPECT_EQ(sys::GbkToUtf8(error), "ee" + chinese.substr(0, std::size_t{62} * 3));

  host::WriteErrorText("short", error);
  EXPECT_STREQ(error, "short");
  host::WriteErrorText("no buffer", nullptr);
}

TEST(WireText, ChannelPrefixIsRequired) {
  struct Case {
    std::string raw;
    bool ok;
    host::Channel channel;
    std::string command;
  };
  const Case cases[] = {
      {"A01\x07MN_GetCurrencyCodeList", true, host::Channel::Main, "MN_GetCurrencyCodeList"},
      {"A03\x07ST_GetBankSimple 7", true, host::Channel::Bank, "ST_GetBankSimple 7"},
      {"A01\x07", true, host::Channel::Main, ""},
      {"A02\x07X", false, {}, ""},
      {"A01 X", false, {}, ""},
      {"MN_GetCurrencyCodeList", false, {}, ""},
      {"A01", false, {}, ""},
  };
  for (const auto& c : cases) {
    host::Channel channel{};
    std::string_view command;
    std::string error;
    EXPECT_EQ(host::SplitChannel(c.raw, channel, command, error), c.ok) << c.raw;
    if (c.ok) {
      EXPECT_EQ(channel, c.channel);
      EXPECT_EQ(command, c.command);
    } else {
      EXPECT_FALSE(error.empty());
    }
  }
}

}  // namespace

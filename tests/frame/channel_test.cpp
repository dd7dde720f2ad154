// The command channel, its result files and Traditional-Chinese mode, the fillers and
// small records read through it; command templates, comma lists, GBK cuts and the
// host's answers as text.
#include "frame/HostChannel.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <type_traits>

#include "frame/CommaList.h"
#include "frame/CommandText.h"
#include "frame/FolderList.h"
#include "frame/GbkText.h"
#include "frame/ListFillers.h"
#include "frame/ResultText.h"
#include "sys/CodePage.h"
#include "sys/Files.h"
#include "tests/frame/FrameTest.h"
#include "tests/support/FileSizeLimit.h"

namespace {

using namespace frame_test;
using frame::CommandArg;
using frame::FormatCommand;
using Items = std::vector<std::string>;

class ChannelTest : public FrameTest {};

std::string Big5(const std::string& utf8) {
  return sys::ConvertText(utf8, sys::CodePage::Utf8, sys::CodePage::Big5);
}

// The last call's bytes, length, window, capacity, mode and file, at '|'.
std::string LastShape() {
  const fakehost::Call& c = fakehost::LastCall();
  return c.sent + "|" + std::to_string(c.length) + (c.lengthMatches ? "" : "!") + "|" +
         std::to_string(c.window) + "|" + std::to_string(c.capacity) + "|" +
         std::to_string(c.mode) + "|" + c.fileName;
}

TEST_F(ChannelTest, PrefixesTheChannelPassesTheCallShapeAndReportsFailuresOnce) {
  std::string result;
  EXPECT_EQ(frame::HostCommand(kWnd, frame::kChannelMain, "MN_X", result, 1024), 0);
  EXPECT_EQ(LastShape(), "A01\aMN_X|8|18193|1023|2|");
  EXPECT_EQ(frame::HostCommand(kWnd, 9, "X", result, 1024), 0);
  EXPECT_EQ(LastShape(), "X|1|18193|1023|2|");
  const std::string file = TempDir() + "f";
  EXPECT_EQ(frame::HostFileCommand(kWnd, frame::kChannelMain, "MN_X", file), 0);
  EXPECT_EQ(LastShape(), "A01\aMN_X|8|18193|0|2|" + file);
  // A failure leaves each caller its default.
  fakehost::SetFallback(Answer::Fail(5, "timeout"));
  EXPECT_EQ(frame::HostCommand(kWnd, 3, "MN_A", result, 64), 5);
  EXPECT_EQ(frame::HostCommandText(kWnd, 3, "MN_B", "def", 256), "def");
  EXPECT_EQ(frame::HostCommandInt(kWnd, 3, "MN_C", -7), -7);
  EXPECT_EQ(MessageLines(), Lines(3, Box("Error:timeout")));
}

TEST_F(ChannelTest, AnswersAreReadOnlyWithinTheirBuffer) {
  const std::pair<std::string, int> ints[] = {
      {" 12 \r\nrow2", 12}, {"x\a3", -1}, {"\a5", -1}, {"4294967296", -1}};
  for (const auto& [answer, value] : ints) {
    fakehost::Reset();
    fakehost::On("MN_Int", Answer::Ok(answer));
    EXPECT_EQ(frame::HostCommandInt(kWnd, 3, "MN_Int", -1), value) << answer;
    EXPECT_EQ(fakehost::LastCall().capacity, 47);
  }
  fakehost::On("MN_Text", Answer::Ok("first\af2\r\nsecond\r\n"));
  EXPECT_EQ(frame::HostCommandText(kWnd, 3, "MN_Text", "d", 256), "first\af2");
  const std::tuple<const char*, Answer, int, std::string> cases[] = {
      {"no zero byte", Answer::Unterminated(std::string(100, 'b')), 10, std::string(9, 'b')},
      {"no split at the cut", Answer::Unterminated("abcdefgh\xB0\xA1zz"), 10, "abcdefgh"},
      {"host cut a character in half", Answer::Ok("abcdefgh\xB0\xA1"), 10, "abcdefgh"},
      {"a whole last character stays", Answer::Ok("abcdefg\xB0\xA1"), 10, "abcdefg\xB0\xA1"},
      {"a zero byte ends it", Answer::Ok(std::string("ab\0cd", 5)), 64, "ab"},
      {"no buffer", Answer::Ok(std::string(100, 'a')), 0, ""},
  };
  std::string result;
  for (const auto& [what, answer, capacity, expected] : cases) {
    fakehost::Reset();
    fakehost::On("MN_Answer", answer);
    EXPECT_EQ(frame::HostCommand(kWnd, 3, "MN_Answer", result, capacity), 0) << what;
    EXPECT_EQ(result, expected) << what;
    EXPECT_EQ(fakehost::LastCall().capacity, std::max(capacity - 1, 0)) << what;
  }
  // An error text without a zero byte is shown up to 127 bytes.
  Answer bad = Answer::Fail(1, std::string(300, 'e'));
  bad.errorZeroTerminated = false;
  fakehost::On("MN_Err", bad);
  EXPECT_EQ(frame::HostCommand(kWnd, 3, "MN_Err", result, 64), 1);
  EXPECT_EQ(MessageLines(), Lines{Box("Error:" + std::string(127, 'e'))});
}

TEST_F(ChannelTest, ListsReadTheRowsAndNeverLeaveTheFile) {
  fakehost::On("MN_L", Answer::Ok("C1:One\r\nC2:Two\nC3\aThree\r\n\r\nC5\r"));
  Lines list = {"old"};
  EXPECT_TRUE(frame::HostCommandList(kWnd, 3, "MN_L", list));
  EXPECT_EQ(list, (Lines{"C1:One", "C2:Two", "C3\aThree", "", "C5"}));
  EXPECT_EQ(fakehost::LastCall().fileName.rfind(TempDir(), 0), 0u);
  Answer none = Answer::Ok("");  // status 0 without a file: the list stays
  none.writeFile = false;
  fakehost::On("MN_None", none);
  EXPECT_FALSE(frame::HostCommandList(kWnd, 3, "MN_None", list));
  EXPECT_EQ(list.size(), 5u);
  fakehost::On("MN_Empty", Answer::Ok(""));
  EXPECT_TRUE(frame::HostCommandList(kWnd, 3, "MN_Empty", list));
  EXPECT_TRUE(list.empty());
  // A host that failed but still wrote a file.
  fakehost::OnAny([](const fakehost::Call& call) {
    WriteFile(call.fileName, "half");
    return Answer::Fail(3, "no");
  });
  list = {"kept"};
  EXPECT_FALSE(frame::HostCommandList(kWnd, 3, "MN_Fail", list));
  EXPECT_EQ(list, Lines{"kept"});
  EXPECT_TRUE(FilesInTempDir().empty());
}

TEST_F(ChannelTest, ResultFileNamesAreNewAndBounded) {
  const std::string name = frame::NewTempFileName();
  ASSERT_EQ(name.rfind(TempDir(), 0), 0u);
  const std::string rest = name.substr(TempDir().size());
  EXPECT_FALSE(rest.empty());
  EXPECT_EQ(rest.find_first_not_of("0123456789"), std::string::npos) << rest;
  // Taken names (a file, a folder, a dangling link) are drawn again.
  WriteFile(TempDir() + "5", "");
  ASSERT_EQ(::mkdir((TempDir() + "6").c_str(), 0700), 0);
  ASSERT_EQ(::symlink("/nonexistent", (TempDir() + "7").c_str()), 0);
  std::uint64_t next = 5;
  EXPECT_EQ(frame::detail::PickFreeName(TempDir(), [&next] { return next++; }), TempDir() + "8");
}

// No result file name to be had: a list or folder command is reported as a failed
// command is, sends nothing, and leaves its caller the failure's defaults.
TEST_F(ChannelTest, ARefusedTemporaryFolderFailsLikeACommand) {
  const std::string notAFolder = TempDir() + "plain";
  WriteFile(notAFolder, "");
  const std::string deep = TempDir() + std::string(120, 'd');
  ASSERT_EQ(::mkdir(deep.c_str(), 0700), 0);
  const std::pair<std::string, std::string> cases[] = {
      {notAFolder, "Error:temporary folder " + notAFolder + " refused: it is not a directory"},
      {deep, "Error:temporary folder path too long for a result file: " + deep + "/"},
  };
  fakehost::SetFallback(Answer::Ok("row\r\n"));
  for (const auto& [tmpdir, box] : cases) {
    SetEnv("TMPDIR", tmpdir.c_str());
    EXPECT_THROW((void)frame::NewTempFileName(), std::runtime_error);
    const std::size_t before = MessageLines().size();
    Lines list = {"kept"};
    EXPECT_FALSE(frame::HostCommandList(kWnd, 3, "MN_X", list));
    EXPECT_EQ(list, Lines{"kept"});
    TFolderList folder{};
    std::fill(std::begin(folder.FileName), std::end(folder.FileName), 'x');
    frame::RunFolderCommand(kWnd, "MN_GetSignFolder 1", folder);
    EXPECT_STREQ(folder.FileName, "");
    EXPECT_FALSE(frame::ResultFileName().has_value());
    const Lines shown = MessageLines();
    EXPECT_EQ(Lines(shown.begin() + static_cast<std::ptrdiff_t>(before), shown.end()),
              Lines(3, Box(box)));
  }
  EXPECT_TRUE(fakehost::Calls().empty());
}

// A result file that cannot be converted for a Traditional-Chinese system is removed
// with the error: no reader finds it unconverted or half copied.
TEST_F(ChannelTest, AResultFileThatCannotBeConvertedIsNotLeft) {
  UseLocale("zh_TW.UTF-8");
  const std::string rows = TempDir() + "rows";
  WriteFile(rows, std::string(4000, 'r') + "\r\n");
  Answer answer = Answer::Ok("");
  answer.fromFile = rows;  // linked, not written: only the conversion meets the limit
  fakehost::On("MN_Rows", answer);
  const std::string name = TempDir() + "result";
  {
    tavro_test::FileSizeLimit full(1000);
    EXPECT_THROW((void)frame::HostFileCommand(kWnd, 3, "MN_Rows", name), std::runtime_error);
  }
  EXPECT_FALSE(sys::PathExists(name) || sys::PathExists(name + ".tmp"));
}

TEST_F(ChannelTest, TraditionalModeConvertsBothWaysAndOtherSystemsNothing) {
  UseLocale("zh_CN.UTF-8");
  fakehost::On("MN_Find", Answer::Ok(Gbk("银行")));
  std::string result;
  EXPECT_EQ(frame::HostCommand(kWnd, 3, "MN_Find", result, 64), 0);
  EXPECT_EQ(result, Gbk("银行"));
  EXPECT_EQ(frame::ShownText(Gbk("银行")), Gbk("银行"));
  fakehost::Reset();
  UseLocale("zh_TW.UTF-8");
  // The operator's Big5 Traditional text reaches the server as GBK Simplified.
  fakehost::On("MN_Find " + Gbk("'发票'"), Answer::Ok(Gbk("发票") + "\a" + Gbk("银行")));
  EXPECT_EQ(frame::HostCommand(kWnd, 3, "MN_Find '" + Big5("發票") + "'", result, 64), 0);
  EXPECT_EQ(result, Big5("發票") + "\a" + Big5("銀行"));
  EXPECT_EQ(frame::HostCommand(kWnd, 3, "MN_Find '" + Big5("發票") + "'", result, 4), 0);
  EXPECT_EQ(result, Big5("發"));  // converted answers are cut to the capacity too
  fakehost::On("MN_List", Answer::Ok(Gbk("银行") + "\r\n" + Gbk("发票") + "\ax\r\n"));
  Lines list;
  EXPECT_TRUE(frame::HostCommandList(kWnd, 3, "MN_List", list));
  EXPECT_EQ(list, (Lines{Big5("銀行"), Big5("發票") + "\ax"}));
  EXPECT_TRUE(FilesInTempDir().empty());
  EXPECT_EQ(frame::ShownText(Gbk("银行")), Big5("銀行"));
  // Read once: a later locale change does not switch the mode.
  SetEnv("LC_ALL", "en_US.UTF-8");
  EXPECT_TRUE(frame::TraditionalMode());
}

// Names are cut to 50 bytes, address lines to 35 and a currency to 3; the SWIFT code
// sent is 8 or 11 letters, a branch of "XXX" or a ninth letter dropped.
TEST_F(ChannelTest, FillersAndSmallRecords) {
  fakehost::SetFallback(Answer::Ok(" row 1 \r\nrow2\r\n"));
  Lines items;
  EXPECT_TRUE(frame::FillAcNoList(kWnd, 1, "USDX", "0012", "000001", items));
  EXPECT_EQ(fakehost::LastCall().command, "MN_GetAcNoList 1,'USD','0012','000001'");
  EXPECT_EQ(items, (Lines{" row 1 ", "row2"}));  // rows unchanged
  fakehost::On("MN_GetCorpName '0012'", Answer::Ok("Acme Trading\r\nsecond row"));
  EXPECT_EQ(frame::GetCorpName(kWnd, "0012"), "Acme Trading");
  EXPECT_EQ(fakehost::LastCall().capacity, 255);
  const std::pair<std::string, std::string> codes[] = {{"PQRSTUVWXXX", "PQRSTUVW"},
                                                       {" PQRSTUVWX ", "PQRSTUVW"},
                                                       {"PQRSTUVW1XYZ", "PQRSTUVWXYZ"},
                                                       {"PQRSTUVW1XYZ99", "PQRSTUVW1XYZ"}};
  for (const auto& [given, sent] : codes) {
    frame::GetSwiftAddress(kWnd, given);
    EXPECT_EQ(fakehost::LastCall().command, "MB_GetSwfAddress '" + sent + "'") << given;
  }
  fakehost::On("MB_GetSwfAddress 'PQRSTUVW'", Answer::Ok(" " + std::string(60, 'N') + " \aL1\a" +
                                                         std::string(40, 'b') + "\a\aL4\r\nnext"));
  const frame::TBankAddress bank = frame::GetSwiftAddress(kWnd, "PQRSTUVWXXX");
  EXPECT_EQ(fakehost::LastCall().capacity, 1023);
  EXPECT_EQ(bank.Name, std::string(50, 'N'));
  EXPECT_EQ(Lines(std::begin(bank.Addr), std::end(bank.Addr)),
            (Lines{"L1", std::string(35, 'b'), "", "L4"}));  // "next" does not run in
  fakehost::On("ST_GetBankSimple 7", Answer::Ok("7\a" + std::string(70, 'n') + "\aa1\aa2\aa3\a" +
                                                std::string(50, 'z') + "\aABCDEFGHXXXXYY\r\n"));
  frame::TBankSimple simple = frame::GetBankSimple(kWnd, 7);
  EXPECT_EQ(fakehost::LastCall().prefix, "A03");
  EXPECT_EQ(std::tie(simple.Id, simple.Name, simple.Addr[3], simple.SwiftCode),
            std::make_tuple(7, std::string(50, 'n'), std::string(35, 'z'), "ABCDEFGHXXXX"));
  fakehost::On("ST_GetBankSimple 8", Answer::Ok("x8\aShort"));
  simple = frame::GetBankSimple(kWnd, 8);
  EXPECT_EQ(std::tie(simple.Id, simple.Name, simple.SwiftCode), std::make_tuple(0, "Short", ""));
}

// Only texts and 32-bit numbers are arguments: wider or other types are not narrowed.
static_assert(std::is_convertible_v<std::int32_t, CommandArg> &&
              std::is_convertible_v<const char*, CommandArg>);
static_assert(!std::is_convertible_v<std::int64_t, CommandArg> &&
              !std::is_convertible_v<bool, CommandArg> &&
              !std::is_convertible_v<double, CommandArg>);

TEST(FormatCommand, FillsQuotedTextsAndDecimalNumbersAndRefusesMisuse) {
  const std::pair<std::string, std::string> cases[] = {
      {FormatCommand("MN_GetPropOfUser %s", {"O'Brien"}), "MN_GetPropOfUser 'O''Brien'"},
      // Trail bytes 0x5C, 0x60 and 0x7C are no quotes and stay single.
      {FormatCommand("X %s", {"\x95\x5C\x81\x60\xCD\xF5\x81\x7C"}),
       "X '\x95\x5C\x81\x60\xCD\xF5\x81\x7C'"},
      {FormatCommand("X %s,%s", {"%s%d", "100%"}), "X '%s%d','100%'"},
      {FormatCommand("X %d,%d", {INT32_MIN, INT32_MAX}), "X -2147483648,2147483647"},
      {FormatCommand("X %S,%D", {std::string("AB'C"), 7}), "X 'AB''C',7"},
  };
  for (const auto& [got, want] : cases) {
    EXPECT_EQ(got, want);
  }
  EXPECT_THROW(FormatCommand("X %s,%s", {"a"}), std::logic_error);    // argument missing
  EXPECT_THROW(FormatCommand("X %s", {"a", "b"}), std::logic_error);  // argument left over
  EXPECT_THROW(FormatCommand("X %d", {"7"}), std::logic_error);       // text for a number
  EXPECT_THROW(FormatCommand("X %s", {7}), std::logic_error);         // number for a text
  EXPECT_THROW(FormatCommand("X %x", {"a"}), std::logic_error);       // unknown directive
  EXPECT_THROW(FormatCommand("X 100%%", {}), std::logic_error);       // no escaped percent
  EXPECT_THROW(FormatCommand("X %s%", {"a"}), std::logic_error);      // '%' at the end
}

TEST(CommaList, SplittingAndColumnLayout) {
  const std::pair<std::string, Items> cases[] = {{"a,,b", {"a", "", "b"}},
                                                 {"   ", {}},
                                                 {"\"a,b\" , c", {"a,b", "c"}},
                                                 {"\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},
                                                 {"\"unclosed, text", {"unclosed, text"}},
                                                 {"\"a\"b", {"a", "b"}},
                                                 {"Pay Amount^20", {"Pay", "Amount^20"}},
                                                 {"  0:x , 1:y\t", {"0:x", "1:y"}}};
  for (const auto& [text, items] : cases) {
    EXPECT_EQ(frame::SplitCommaList(text), items) << text;
  }
  EXPECT_EQ(frame::BuildColumnLayout(Gbk("业务编号^15,\"Pay Amount^8\""), 511),
            Gbk("业务编号") + "\a15\r\nPay Amount\a8\r\n");
  // A '^' that is the trail byte of a character stays.
  EXPECT_EQ(frame::BuildColumnLayout("\x81\x5E^5", 511), "\x81\x5E\a5\r\n");
  // Only whole lines of 11 bytes within the bound.
  std::string many;
  for (int i = 0; i < 100; ++i) {
    many += "Title^" + std::to_string(100 + i) + ",";
  }
  EXPECT_EQ(frame::BuildColumnLayout(many, 511).size(), 46u * 11);
}

TEST(GbkText, CutsTrimsAndSearchesKeepCharactersWhole) {
  const std::string s = "ab\xB0\xA1";
  const std::tuple<std::string, std::size_t, std::size_t> cuts[] = {
      {s, 3, 2}, {s, 4, 4}, {"a\xB0", 2, 2}, {"\xB0\x30\xB0\xA1", 3, 2}, {"\x81\x40", 1, 0}};
  for (const auto& [text, max, len] : cuts) {
    EXPECT_EQ(frame::GbkCutLength(text, max), len) << text << " " << max;
  }
  EXPECT_EQ(frame::Trim(std::string("\x01 \t a b \r\n\x00", 11)), "a b");
  char field[5];
  std::memset(field, 'x', sizeof field);
  frame::CopyToField(field, "abc\xB0\xA1");  // the character does not fit in 4 bytes
  EXPECT_EQ(std::string(field, 5), std::string("abc\0\0", 5));
  const char full[3] = {'a', 'b', 'c'};  // no zero byte: read up to the size
  EXPECT_EQ(frame::FieldText(full), "abc");
  // 0x81 0x5E is one character whose trail byte is '^'; 0x81 0x61 ends in 'a'.
  const std::string text = "\x81\x5E^x\x81\x61z";
  EXPECT_EQ(frame::GbkFind(text, "^"), 2u);
  EXPECT_EQ(frame::GbkReplaceChar(text, '^', '\a'), "\x81\x5E\ax\x81\x61z");
  EXPECT_EQ(frame::GbkUpperAscii(text), "\x81\x5E^X\x81\x61Z");
  EXPECT_FALSE(frame::GbkContains("\x81\x5E", "^"));
}

TEST(ResultText, RowsFieldsAndNewlineMarks) {
  const std::tuple<std::string, int, std::string> rows[] = {{"ab\r\ncd", 2, "cd"},
                                                            {"ab\r\ncd", 3, ""},
                                                            {"ab\n\rcd", 2, "cd"},
                                                            {"ab", 0, ""},
                                                            {"ab", -1, ""}};
  for (const auto& [text, n, row] : rows) {
    EXPECT_EQ(frame::GetRow(text, n), row) << text << " " << n;
  }
  EXPECT_EQ(frame::SplitRows("a\r\nb\n\rc\rd\n"), (Items{"a", "b", "c", "d"}));
  // Trimmed; beyond the last field the last one, below 0 the first.
  const std::tuple<std::string, int, std::string> fields[] = {
      {"a\ab", 2, "b"}, {"a\a", 5, ""}, {" x \a\t y \r\n", 1, "y"}, {"a\ab", -1, "a"}};
  for (const auto& [text, i, field] : fields) {
    EXPECT_EQ(frame::GetField(text, i), field) << text << " " << i;
  }
  // Buffers of 3, 4 and 2 bytes hold 2, 3 and 1 bytes; missing fields are empty.
  EXPECT_EQ(frame::SplitFields("abcdef\a\xB0\xA1\xB0\xA1\axyz\amore", '\a', {3, 4, 2}),
            (Items{"ab", "\xB0\xA1", "x"}));
  EXPECT_EQ(frame::SplitFields(" a \a", '\a', {10, 10, 0}), (Items{" a ", "", ""}));
  EXPECT_EQ(frame::SplitAll("a\a\ab\a", '\a'), (Items{"a", "", "b", ""}));
  // A lone LF is removed, a lone CR becomes CR LF; a lone lead byte swallows no mark.
  EXPECT_EQ(frame::DecodeNewlines(frame::EncodeNewlines("a\nb\rc\r\nd")), "ab\r\nc\r\nd");
  EXPECT_EQ(frame::EncodeNewlines("\xB0\xA1\r\n\xB0\r\n"), "\xB0\xA1\016\xB0\016");
  EXPECT_EQ(frame::DecodeNewlines("\xB0\016\016"), "\xB0\r\n\r\n");
}

TEST(ResultText, UpdateAnswersAndItems) {
  const std::tuple<std::string, int, std::string> answers[] = {
      {"no separator", 0, "no separator"},
      {" 17 \a kept as is \r\n", 17, " kept as is \r\n"},
      {"99999999999\aoverflow", 0, "overflow"},
      {"5\aa\ab", 5, "a\ab"}};
  for (const auto& [answer, code, text] : answers) {
    const TShellResult r = frame::ParseShellResult(answer);
    EXPECT_EQ(std::make_pair(r.Code, frame::FieldText(r.Text)),
              std::make_pair(code, std::string_view(text)))
        << answer;
  }
  // Bounded to 50 bytes without splitting a character.
  EXPECT_EQ(std::strlen(frame::ParseShellResult("1\a" + std::string(49, 'm') + "\xB0\xA1").Text),
            49u);
  EXPECT_EQ(std::strlen(frame::ParseShellResult("1\a" + std::string(48, 'm') + "\xB0\xA1").Text),
            50u);
  const std::pair<std::string, int> codes[] = {{" 7 :x", 7}, {"-3:x", -3}, {"+4:x", 4},
                                               {"12", -1},   {":x", -1},   {"99999999999:x", -1}};
  for (const auto& [text, code] : codes) {
    EXPECT_EQ(frame::ItemCode(text), code) << text;
  }
  const Items items = {"a:skipped", "2:two", "-1:minus one", "2:again"};
  EXPECT_EQ(frame::FindItemByCode(items, 2), 1);
  EXPECT_EQ(frame::FindItemByCode(items, -1), 2);  // a real code -1, not a missing one
  EXPECT_EQ(frame::FindItemByCode(items, 9), -1);
  EXPECT_EQ(frame::TextBefore("\x81\x5E^b", "^"), "\x81\x5E");
  EXPECT_EQ(frame::TextBefore("none", ":"), "none");
  const std::tuple<std::string, int, std::string, std::string> details[] = {
      {"12:Acme(USD 001)", 12, "Acme", "USD 001"},
      {"Acme(x)", 0, "Acme", "x"},
      {"3:a)b(c", 3, "a)b", ""},
      // Cut to 35 bytes, never inside a double-byte character.
      {"5:" + std::string(34, 'n') + Gbk("中") + "(" + std::string(34, 'd') + Gbk("中") + ")", 5,
       std::string(34, 'n'), std::string(34, 'd')},
  };
  for (const auto& [text, number, name, detail] : details) {
    const frame::TCodeNameDetail d = frame::SplitCodeNameDetail(text);
    EXPECT_EQ(std::tie(d.Number, d.Name, d.Detail), std::tie(number, name, detail)) << text;
  }
}

}  // namespace

// The Simplified/Traditional mapping over every character of GBK and Big5: what is shown
// and saved back is what was stored, and no character becomes "?" while a form exists.
#include "sys/ChineseCharMap.h"

#include <gtest/gtest.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/uscript.h>
#include <MarisaDict.hpp>

#include <map>
#include <memory>
#include <set>
#include <stdexcept>

#include "sys/CodePage.h"
#include "tests/support/TestEnv.h"

namespace {

using sys::CodePage;
using tavro_test::Gbk;

std::string Big5(const std::string& utf8) {
  return sys::ConvertText(utf8, CodePage::Utf8, CodePage::Big5);
}

// The code page has a character of its own for utf8 (no best fit, no substitute).
bool Holds(CodePage cp, const std::string& utf8) {
  return sys::ConvertText(sys::ConvertText(utf8, CodePage::Utf8, cp), cp, CodePage::Utf8) == utf8;
}

bool IsHan(const std::string& utf8) {
  icu::UnicodeString s = icu::UnicodeString::fromUTF8(utf8);
  return s.countChar32() == 1 && u_getIntPropertyValue(s.char32At(0), UCHAR_SCRIPT) == USCRIPT_HAN;
}

struct CodeChar {
  std::string bytes;
  std::string utf8;
};

// Every double-byte character of the code page that round-trips alone, not user-defined.
std::vector<CodeChar> DoubleByteChars(CodePage cp) {
  std::vector<CodeChar> chars;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
      const std::string utf8 = sys::ConvertText(bytes, cp, CodePage::Utf8);
      icu::UnicodeString s = icu::UnicodeString::fromUTF8(utf8);
      if (s.countChar32() == 1 && u_charType(s.char32At(0)) != U_PRIVATE_USE_CHAR &&
          sys::ConvertText(utf8, CodePage::Utf8, cp) == bytes) {
        chars.push_back({bytes, utf8});
      }
    }
  }
  return chars;
}

// One of OpenCC's character tables.
class OpenccTable {
 public:
  explicit OpenccTable(const std::string& name)
      : dict_(opencc::SerializableDict::NewFromFile<opencc::MarisaDict>(
            std::string(sys::ChineseTableFolder()) + "/" + name + ".ocd2")) {}

  std::vector<std::string> Values(const std::string& key) const {
    opencc::Optional<const opencc::DictEntry*> entry = dict_->Match(key.data(), key.size());
    return entry.IsNull() ? std::vector<std::string>{} : entry.Get()->Values();
  }

 private:
  opencc::MarisaDictPtr dict_;
};

// OpenCC's Traditional-to-Simplified table makes it another character.
bool IsTraditionalOnly(const OpenccTable& toSimplified, const std::string& utf8) {
  std::vector<std::string> values = toSimplified.Values(utf8);
  return !values.empty() && values.front() != utf8;
}

// The GBK characters that cannot come back from Big5 as themselves, each checked exactly
// (Big5 lacks the first five; thirteen share a standard form; seven map one way only).
struct OneWay {
  const char* stored;
  const char* shown;
  const char* saved;
};
const OneWay kCannotComeBack[] = {
    {"着", "著", "著"}, {"幺", "么", "么"}, {"擡", "抬", "抬"}, {"潨", "潀", "潀"},
    {"坂", "阪", "阪"}, {"侭", "儘", "尽"}, {"渖", "瀋", "沈"}, {"稆", "穭", "穞"},
    {"缐", "線", "线"}, {"讬", "託", "托"}, {"谘", "諮", "咨"}, {"钜", "鉅", "巨"},
    {"锺", "鍾", "钟"}, {"镟", "鏇", "旋"}, {"馀", "餘", "余"}, {"鲇", "鯰", "鲶"},
    {"麹", "麴", "曲"}, {"麺", "麵", "面"}, {"縆", "緪", "緪"}, {"吣", "唚", "唚"},
    {"埯", "垵", "垵"}, {"岙", "嶴", "嶴"}, {"漤", "灠", "灠"}, {"礴", "礡", "礡"},
    {"鼗", "鞀", "鞀"},
};

// Every GBK Han character with a Big5 form comes back as itself, except those above and
// the Traditional-only ones (發, 後), made Simplified on purpose.
TEST(ChineseCharMap, EveryGbkCharacterWithABig5FormComesBack) {
  const OpenccTable toSimplified("TSCharacters");
  std::map<std::string, const OneWay*> oneWay;
  for (const OneWay& w : kCannotComeBack) {
    oneWay[Gbk(w.stored)] = &w;
  }
  std::set<std::string> seen;
  int han = 0;
  int madeSimplified = 0;
  for (const CodeChar& c : DoubleByteChars(CodePage::Gbk)) {
    if (!IsHan(c.utf8)) {
      continue;
    }
    ++han;
    const std::string shown = sys::GbkToBig5Traditional(c.bytes);
    if (shown == "?") {
      continue;  // no Big5 form: the next test
    }
    const std::string saved = sys::Big5ToGbkSimplified(shown);
    if (auto w = oneWay.find(c.bytes); w != oneWay.end()) {
      seen.insert(c.bytes);
      EXPECT_EQ(shown, Big5(w->second->shown)) << c.utf8;
      EXPECT_EQ(saved, Gbk(w->second->saved)) << c.utf8;
    } else if (saved != c.bytes) {
      // Only a Traditional-only character may change, into one that stays from then on.
      ++madeSimplified;
      EXPECT_TRUE(IsTraditionalOnly(toSimplified, c.utf8))
          << c.utf8 << " saved as " << sys::GbkToUtf8(saved);
      EXPECT_NE(saved, "?") << c.utf8;
      EXPECT_EQ(sys::Big5ToGbkSimplified(sys::GbkToBig5Traditional(saved)), saved) << c.utf8;
    }
  }
  EXPECT_EQ(seen.size(), std::size(kCannotComeBack));
  EXPECT_GT(han, 20000);
  EXPECT_GT(madeSimplified, 2000);
}

// A GBK character becomes "?" only when Big5 holds no form of it (OpenCC's, ICU's, Taiwan's).
TEST(ChineseCharMap, NoGbkCharacterBecomesAQuestionMarkWhileBig5HoldsAForm) {
  const OpenccTable toTraditional("STCharacters");
  const OpenccTable taiwan("TWVariants");
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Transliterator> unicodeForm(
      icu::Transliterator::createInstance("Hans-Hant", UTRANS_FORWARD, status));
  ASSERT_TRUE(U_SUCCESS(status));

  std::set<std::string> commonWithoutForm;
  for (const CodeChar& c : DoubleByteChars(CodePage::Gbk)) {
    if (!IsHan(c.utf8) || sys::GbkToBig5Traditional(c.bytes) != "?") {
      continue;
    }
    std::vector<std::string> forms = toTraditional.Values(c.utf8);
    forms.push_back(c.utf8);
    icu::UnicodeString u = icu::UnicodeString::fromUTF8(c.utf8);
    unicodeForm->transliterate(u);
    u.toUTF8String(forms.emplace_back());
    for (std::size_t i = 0, n = forms.size(); i < n; ++i) {
      for (const std::string& v : taiwan.Values(forms[i])) {
        forms.push_back(v);
      }
    }
    for (const std::string& form : forms) {
      EXPECT_FALSE(Holds(CodePage::Big5, form)) << c.utf8 << " has the Big5 form " << form;
    }
    // The 3,755 commonest characters are GB2312's first level, 0xB0A1 to 0xD7F9.
    const auto lead = static_cast<unsigned char>(c.bytes[0]);
    if (lead >= 0xB0 && lead <= 0xD7 && static_cast<unsigned char>(c.bytes[1]) >= 0xA1) {
      commonWithoutForm.insert(c.utf8);
    }
  }
  // Chemistry and dialect characters Taiwan writes otherwise, and 叁 (Big5 has only 參).
  EXPECT_EQ(commonWithoutForm,
            (std::set<std::string>{"傈", "叁", "墒", "硷", "酞", "酶", "钎", "锨"}));
}

// To Simplified changes only Traditional-only characters, never to "?" when GBK holds one.
TEST(ChineseCharMap, Big5CharactersGbkHoldsAreKeptOrMadeSimplified) {
  const OpenccTable toSimplified("TSCharacters");
  int kept = 0;
  for (const CodeChar& c : DoubleByteChars(CodePage::Big5)) {
    const std::string saved = sys::Big5ToGbkSimplified(c.bytes);
    const bool han = IsHan(c.utf8);
    if (han || Holds(CodePage::Gbk, c.utf8)) {
      EXPECT_NE(saved, "?") << c.utf8;
    }
    if (!han || !Holds(CodePage::Gbk, c.utf8)) {
      continue;
    }
    if (!IsTraditionalOnly(toSimplified, c.utf8)) {
      ++kept;
      EXPECT_EQ(saved, Gbk(c.utf8)) << c.utf8;
    } else if (Holds(CodePage::Gbk, toSimplified.Values(c.utf8).front())) {
      EXPECT_NE(saved, Gbk(c.utf8)) << c.utf8;
    }
  }
  EXPECT_GT(kept, 8000);
  EXPECT_EQ(sys::Big5ToGbkSimplified(Big5("襬訢")), Gbk("摆訢"));
}

// Symbols the target lacks take Windows' best fit or "?"; control bytes and ASCII stay;
// a lone lead byte and 0xFF become one substitute each.
TEST(ChineseCharMap, ExactConversions) {
  const std::string ascii = std::string("A01\x07", 4) + "\r\n\x0E" + std::string("\0z", 2);
  const struct {
    std::string gbk;
    std::string big5;
  } toBig5[] = {
      {Gbk("é"), "e"},
      {Gbk("［"), Big5("〔")},
      {Gbk("＾"), Big5("︿")},
      {Gbk("㈠"), Big5("一")},
      {Gbk("Ж"), "?"},
      {"", ""},
      {Gbk("银行") + ascii + Gbk("发") + "'x'", Big5("銀行") + ascii + Big5("發") + "'x'"},
      {"\xB0\x07ok", "?\x07ok"},
      {"\x80ok", "\xA3\xE1ok"},  // the euro sign
      {"\xFFok", "?ok"},
      {"ok\xB0", "ok?"},
  };
  for (const auto& c : toBig5) {
    EXPECT_EQ(sys::GbkToBig5Traditional(c.gbk), c.big5) << c.gbk;
  }
  const struct {
    std::string big5;
    std::string gbk;
  } toGbk[] = {
      {Big5("¯"), Gbk("ˉ")},
      {Big5("銀行") + ascii + Big5("發") + "'x'", Gbk("银行") + ascii + Gbk("发") + "'x'"},
      {"\xB0\x07ok", "?\x07ok"},
      {"\x80ok", "?ok"},
      {"\xFFok", "?ok"},
      {"ok\xB0", "ok?"},
  };
  for (const auto& c : toGbk) {
    EXPECT_EQ(sys::Big5ToGbkSimplified(c.big5), c.gbk) << c.big5;
  }
}

// Each character is mapped alone: no phrase rule changes one because of its neighbour.
TEST(ChineseCharMap, CharacterByCharacter) {
  for (const char* pair : {"一余", "十余", "周一", "于飞", "生姜"}) {
    const std::string gbk = Gbk(pair);
    EXPECT_EQ(sys::GbkToBig5Traditional(gbk), sys::GbkToBig5Traditional(gbk.substr(0, 2)) +
                                                  sys::GbkToBig5Traditional(gbk.substr(2)))
        << pair;
  }
}

class ChineseCharTableTest : public tavro_test::TempDirTest {};

// A missing or cut-short table fails naming the file rather than pass text unconverted.
TEST_F(ChineseCharTableTest, AMissingOrBrokenTableFailsNamingTheFile) {
  auto failure = [](const std::string& folder) -> std::string {
    try {
      sys::BuildChineseCharTable(sys::ChineseConversion::GbkToBig5Traditional, folder);
    } catch (const std::runtime_error& e) {
      return e.what();
    }
    return "no error";
  };
  const auto table = [](const std::string& name) {
    return tavro_test::ReadFile(std::string(sys::ChineseTableFolder()) + "/" + name + ".ocd2");
  };
  EXPECT_NE(failure(TempDir() + "none").find(TempDir() + "none/STCharacters.ocd2"),
            std::string::npos);
  for (const char* name : {"STCharacters", "TSCharacters", "TWVariants", "TWVariantsRev"}) {
    tavro_test::WriteFile(TempDir() + name + ".ocd2", table(name));
  }
  EXPECT_NO_THROW(
      sys::BuildChineseCharTable(sys::ChineseConversion::Big5ToGbkSimplified, TempDir()));
  for (const std::string& broken : {std::string(), table("TWVariants").substr(0, 2000)}) {
    tavro_test::WriteFile(TempDir() + "TWVariants.ocd2", broken);
    EXPECT_NE(failure(TempDir()).find("TWVariants.ocd2 cannot be read"), std::string::npos);
  }
}

}  // namespace

// The character tables of the Simplified/Traditional mapping, worked out once from
// OpenCC's character tables and ICU's code pages; see ChineseCharMap.h for the rules.
#include "sys/ChineseCharMap.h"

#include <unicode/translit.h>
#include <unicode/ucnv.h>
#include <unicode/unistr.h>
#include <Lexicon.hpp>
#include <MarisaDict.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <unordered_map>

#include "sys/GbkChar.h"
#include "sys/IcuConverter.h"

namespace sys {
namespace {

std::string Utf8(const icu::UnicodeString& text) {
  std::string out;
  text.toUTF8String(out);
  return out;
}

// A code page seen one character at a time.
class CodePageChars {
 public:
  explicit CodePageChars(CodePage cp)
      : decoder_(OpenIcuConverter(cp)),
        strict_(OpenIcuConverter(cp, Strictness::StopEncoding)),
        bestFit_(OpenIcuConverter(cp)) {
    // Windows converts a character the code page lacks to a close one where it has
    // one (best fit); ICU keeps those as fallback mappings.
    ucnv_setFallback(bestFit_.get(), true);
  }

  icu::UnicodeString Decode(const char* bytes, int32_t length) {
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(decoder_.get());
    return icu::UnicodeString(bytes, length, decoder_.get(), status);
  }

  // True when the code page has a character of its own for ch (one character, UTF-8).
  bool Holds(const std::string& ch) {
    if (ch.empty()) {
      return false;
    }
    icu::UnicodeString text = icu::UnicodeString::fromUTF8(ch);
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(strict_.get());
    char out[8];
    text.extract(out, sizeof out, strict_.get(), status);
    return U_SUCCESS(status);
  }

  // The bytes of text, a character the code page lacks by best fit or as "?".
  std::string Encode(const icu::UnicodeString& text) {
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(bestFit_.get());
    char out[32];
    int32_t n = text.extract(out, sizeof out, bestFit_.get(), status);
    // ICU's substitution skips invisible characters; a mapped character never vanishes.
    if (U_FAILURE(status) || n <= 0 || n > static_cast<int32_t>(sizeof out)) {
      return "?";
    }
    return std::string(out, static_cast<std::size_t>(n));
  }

 private:
  IcuConverter decoder_;
  IcuConverter strict_;
  IcuConverter bestFit_;
};

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// One of OpenCC's character tables: a character (UTF-8) to its candidates, the
// preferred first.
class CharDict {
 public:
  CharDict(const std::string& folder, const char* name) {
    const std::string path = folder + "/" + name + ".ocd2";
    const std::string problem = "Chinese character table " + path + " cannot be read: ";
    // Opened here rather than by OpenCC, which leaves the file open when it refuses it.
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
      throw std::runtime_error(problem + std::strerror(errno));
    }
    // OpenCC refuses an empty file too, but loses the buffer it read the header into.
    if (std::fgetc(file.get()) == EOF) {
      throw std::runtime_error(problem + "empty");
    }
    std::rewind(file.get());
    try {
      dict_ = opencc::MarisaDict::NewFromFile(file.get());
    } catch (const opencc::Exception& e) {
      throw std::runtime_error(problem + e.what());
    } catch (const std::exception& e) {
      throw std::runtime_error(problem + e.what());
    }
    if (!dict_ || dict_->GetLexicon()->Length() == 0) {
      throw std::runtime_error(problem + "no entries");
    }
  }

  std::vector<std::string> Candidates(const std::string& ch) const {
    opencc::Optional<const opencc::DictEntry*> entry = dict_->Match(ch.data(), ch.size());
    return entry.IsNull() ? std::vector<std::string>{} : entry.Get()->Values();
  }

  const opencc::MarisaDict& Dict() const { return *dict_; }

 private:
  opencc::MarisaDictPtr dict_;
};

std::unique_ptr<icu::Transliterator> OpenTransform(const char* rule) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Transliterator> transform(
      icu::Transliterator::createInstance(rule, UTRANS_FORWARD, status));
  if (U_FAILURE(status) || !transform) {
    throw std::runtime_error(std::string("Chinese character mapping not available: ") + rule);
  }
  return transform;
}

// Both directions' choice of a form for one character; characters are UTF-8 strings.
class FormChooser {
 public:
  explicit FormChooser(const std::string& folder)
      : toTraditional_(folder, "STCharacters"),
        toSimplified_(folder, "TSCharacters"),
        toTaiwan_(folder, "TWVariants"),
        fromTaiwan_(folder, "TWVariantsRev"),
        gbk_(CodePage::Gbk),
        big5_(CodePage::Big5) {
    // The Traditional characters OpenCC gives each Simplified one as a form.
    for (const auto& entry : *toSimplified_.Dict().GetLexicon()) {
      for (const std::string& simplified : entry->Values()) {
        traditionalOf_[simplified].push_back(entry->Key());
      }
    }
  }

  CodePageChars& Gbk() { return gbk_; }
  CodePageChars& Big5() { return big5_; }

  // The Simplified form of a Traditional character that GBK holds; empty for none.
  std::string Simplified(const std::string& ch) {
    for (const std::string& c : toSimplified_.Candidates(ch)) {
      if (gbk_.Holds(c)) {
        return c;
      }
    }
    if (gbk_.Holds(ch)) {
      return ch;
    }
    for (const std::string& standard : fromTaiwan_.Candidates(ch)) {
      for (const std::string& c : toSimplified_.Candidates(standard)) {
        if (gbk_.Holds(c)) {
          return c;
        }
      }
      if (gbk_.Holds(standard)) {
        return standard;
      }
    }
    std::string unicodeForm = UnicodeForm("Hant-Hans", hantHans_, ch);
    return gbk_.Holds(unicodeForm) ? unicodeForm : std::string();
  }

  // The Traditional form of a Simplified character that Big5 holds; empty for none.
  std::string Traditional(const std::string& ch) {
    std::vector<std::string> forms;
    auto add = [&](const std::string& form) {
      if (std::find(forms.begin(), forms.end(), form) == forms.end() && big5_.Holds(form)) {
        forms.push_back(form);
      }
    };
    auto addWithTaiwanForm = [&](const std::string& form) {
      add(form);
      for (const std::string& taiwan : toTaiwan_.Candidates(form)) {
        add(taiwan);
      }
    };
    for (const std::string& c : toTraditional_.Candidates(ch)) {
      addWithTaiwanForm(c);
    }
    addWithTaiwanForm(ch);
    if (auto known = traditionalOf_.find(ch); known != traditionalOf_.end()) {
      for (const std::string& c : known->second) {
        addWithTaiwanForm(c);
      }
    }
    if (forms.empty()) {
      addWithTaiwanForm(UnicodeForm("Hans-Hant", hansHant_, ch));
    }
    // A form that comes back as this very character keeps stored text as it was.
    for (const std::string& form : forms) {
      if (Simplified(form) == ch) {
        return form;
      }
    }
    return forms.empty() ? std::string() : forms.front();
  }

 private:
  // ICU's form of ch by Unicode's data, for characters OpenCC's tables do not know.
  static std::string UnicodeForm(const char* rule, std::unique_ptr<icu::Transliterator>& transform,
                                 const std::string& ch) {
    if (!transform) {
      transform = OpenTransform(rule);
    }
    icu::UnicodeString text = icu::UnicodeString::fromUTF8(ch);
    transform->transliterate(text);
    return Utf8(text);
  }

  CharDict toTraditional_;
  CharDict toSimplified_;
  CharDict toTaiwan_;
  CharDict fromTaiwan_;
  std::unordered_map<std::string, std::vector<std::string>> traditionalOf_;
  CodePageChars gbk_;
  CodePageChars big5_;
  std::unique_ptr<icu::Transliterator> hansHant_;
  std::unique_ptr<icu::Transliterator> hantHans_;
};

// What the source bytes become: one character is mapped to its chosen form, anything
// else (a byte that is no character) is converted as it stands.
std::string MapBytes(const char* bytes, int32_t length, ChineseConversion conversion,
                     FormChooser& chooser) {
  const bool toBig5 = conversion == ChineseConversion::GbkToBig5Traditional;
  CodePageChars& source = toBig5 ? chooser.Gbk() : chooser.Big5();
  CodePageChars& target = toBig5 ? chooser.Big5() : chooser.Gbk();
  icu::UnicodeString text = source.Decode(bytes, length);
  if (text.countChar32() == 1 && text.char32At(0) != 0xFFFD) {
    const std::string ch = Utf8(text);
    const std::string form = toBig5 ? chooser.Traditional(ch) : chooser.Simplified(ch);
    if (!form.empty()) {
      return target.Encode(icu::UnicodeString::fromUTF8(form));
    }
  }
  return target.Encode(text);
}

}  // namespace

ChineseCharTable BuildChineseCharTable(ChineseConversion conversion, const std::string& folder) {
  FormChooser chooser(folder);
  ChineseCharTable table;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) {
        continue;
      }
      const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      table.pairs[static_cast<std::size_t>(lead - 0x80) * 256 + trail] =
          MapBytes(bytes, 2, conversion, chooser);
    }
  }
  for (int b = 0x80; b <= 0xFF; ++b) {
    const char byte = static_cast<char>(b);
    table.single[b - 0x80] = MapBytes(&byte, 1, conversion, chooser);
  }
  return table;
}

std::string MapChineseChars(std::string_view text, const ChineseCharTable& table) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    if (*p < 0x80) {
      const auto* q = p;
      while (q < end && *q < 0x80) {
        ++q;
      }
      out.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(q - p));
      p = q;
    } else if (p + 1 < end && IsGbkLeadByte(*p) && IsGbkTrailByte(p[1])) {
      out += table.pairs[static_cast<std::size_t>(p[0] - 0x80) * 256 + p[1]];
      p += 2;
    } else {
      out += table.single[*p - 0x80];
      ++p;
    }
  }
  return out;
}

const char* ChineseTableFolder() {
  return TAVRO_OPENCC_DATA_DIR;
}

std::string GbkToBig5Traditional(std::string_view gbk) {
  static const ChineseCharTable table =
      BuildChineseCharTable(ChineseConversion::GbkToBig5Traditional, ChineseTableFolder());
  return MapChineseChars(gbk, table);
}

std::string Big5ToGbkSimplified(std::string_view big5) {
  static const ChineseCharTable table =
      BuildChineseCharTable(ChineseConversion::Big5ToGbkSimplified, ChineseTableFolder());
  return MapChineseChars(big5, table);
}

}  // namespace sys

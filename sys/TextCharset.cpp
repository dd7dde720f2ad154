// Charset tests over ICU's converters (with the stop callback: a fault ends the test
// instead of becoming a substitute) and its charset detector.
#include "sys/TextCharset.h"

#include <unicode/ucsdet.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <array>
#include <climits>
#include <stdexcept>
#include <vector>

#include "sys/IcuConverter.h"

namespace sys {
namespace {

// The detector's names for the code pages it can tell apart.
std::optional<CodePage> DetectorCodePage(std::string_view name) {
  if (name == "UTF-8") {
    return CodePage::Utf8;
  }
  if (name == "GB18030") {
    return CodePage::Gbk;
  }
  if (name == "Big5") {
    return CodePage::Big5;
  }
  if (name == "Shift_JIS") {
    return CodePage::ShiftJis;
  }
  if (name == "EUC-KR") {
    return CodePage::Korean;
  }
  return std::nullopt;
}

struct DetectorCloser {
  void operator()(UCharsetDetector* d) const { ucsdet_close(d); }
};

IcuConverter OpenStrict(const char* name, bool decode) {
  return OpenIcuConverter(name, decode ? Strictness::StopDecoding : Strictness::StopEncoding);
}

// NUL, the C1 controls and private use (the BMP's area and the lead surrogates of planes
// 15 and 16) are no part of a clean text.
bool CleanUnit(UChar u) {
  return u != 0 && !(u >= 0x80 && u <= 0x9F) && !(u >= 0xE000 && u <= 0xF8FF) &&
         !(u >= 0xDB80 && u <= 0xDBFF);
}

// Decodes bytes a bounded piece at a time; false at the first fault. out, when given,
// receives the characters.
bool Decode(std::string_view bytes, CodePage cp, bool flush, std::u16string* out) {
  IcuConverter conv = OpenStrict(IcuConverterName(cp), true);
  std::array<UChar, 1024> piece{};
  const char* source = bytes.data();
  const char* end = bytes.data() + bytes.size();
  for (;;) {
    UErrorCode status = U_ZERO_ERROR;
    UChar* target = piece.data();
    ucnv_toUnicode(conv.get(), &target, piece.data() + piece.size(), &source, end, nullptr, flush,
                   &status);
    if (!std::all_of(piece.data(), target, CleanUnit)) {
      return false;
    }
    if (out != nullptr) {
      out->append(piece.data(), target);
    }
    if (status != U_BUFFER_OVERFLOW_ERROR) {
      return U_SUCCESS(status);
    }
  }
}

}  // namespace

std::optional<std::u16string> DecodeCleanText(std::string_view bytes, CodePage cp) {
  std::u16string out;
  if (!Decode(bytes, cp, true, &out)) {
    return std::nullopt;
  }
  return out;
}

bool IsCleanText(std::string_view bytes, CodePage cp, bool cutEnd) {
  return Decode(bytes, cp, !cutEnd, nullptr);
}

std::optional<CodePage> DetectCodePage(std::string_view block,
                                       std::span<const CodePage> candidates) {
  std::vector<CodePage> valid;
  for (CodePage cp : candidates) {
    if (IsCleanText(block, cp, true)) {
      valid.push_back(cp);
    }
  }
  if (valid.size() <= 1) {
    return valid.empty() ? std::nullopt : std::optional<CodePage>(valid.front());
  }
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UCharsetDetector, DetectorCloser> detector(ucsdet_open(&status));
  const auto length = static_cast<int32_t>(std::min<std::size_t>(block.size(), INT32_MAX));
  ucsdet_setText(detector.get(), block.data(), length, &status);
  int32_t count = 0;
  const UCharsetMatch** matches = ucsdet_detectAll(detector.get(), &count, &status);
  if (U_FAILURE(status) || matches == nullptr) {
    return valid.front();
  }
  // The best confidence the detector gives each valid candidate; -1 for none.
  std::vector<int32_t> confidence(valid.size(), -1);
  for (int32_t i = 0; i < count; ++i) {
    UErrorCode matchStatus = U_ZERO_ERROR;
    const char* name = ucsdet_getName(matches[i], &matchStatus);
    const int32_t score = ucsdet_getConfidence(matches[i], &matchStatus);
    const std::optional<CodePage> cp =
        U_SUCCESS(matchStatus) && name != nullptr ? DetectorCodePage(name) : std::nullopt;
    const auto at = cp ? std::find(valid.begin(), valid.end(), *cp) : valid.end();
    if (at != valid.end()) {
      auto& best = confidence[static_cast<std::size_t>(at - valid.begin())];
      best = std::max(best, score);
    }
  }
  // max_element keeps the first of equal elements: the earlier candidate wins a tie.
  return valid[static_cast<std::size_t>(std::max_element(confidence.begin(), confidence.end()) -
                                        confidence.begin())];
}

StrictEncoder::StrictEncoder(CodePage cp) : StrictEncoder(IcuConverterName(cp)) {}

struct StrictEncoder::State {
  IcuConverter conv;
};

StrictEncoder::StrictEncoder(const char* charset)
    : state_(std::make_unique<State>(State{OpenStrict(charset, false)})) {}
StrictEncoder::~StrictEncoder() = default;
StrictEncoder::StrictEncoder(StrictEncoder&&) noexcept = default;
StrictEncoder& StrictEncoder::operator=(StrictEncoder&&) noexcept = default;

bool StrictEncoder::Encode(std::u16string_view text, std::string& out, char32_t& missing) {
  std::string encoded(text.size() * 4 + 16, '\0');
  char* target = encoded.data();
  const UChar* source = text.data();
  UErrorCode status = U_ZERO_ERROR;
  ucnv_resetFromUnicode(state_->conv.get());
  for (;;) {
    status = U_ZERO_ERROR;
    ucnv_fromUnicode(state_->conv.get(), &target, encoded.data() + encoded.size(), &source,
                     text.data() + text.size(), nullptr, true, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR) {
      break;
    }
    const auto used = static_cast<std::size_t>(target - encoded.data());
    encoded.resize(encoded.size() * 2);
    target = encoded.data() + used;
  }
  if (U_SUCCESS(status)) {
    out.append(encoded.data(), target);
    return true;
  }
  std::array<UChar, 2> bad{};
  int8_t length = static_cast<int8_t>(bad.size());
  UErrorCode badStatus = U_ZERO_ERROR;
  ucnv_getInvalidUChars(state_->conv.get(), bad.data(), &length, &badStatus);
  missing = 0xFFFD;
  if (U_SUCCESS(badStatus) && length > 0) {
    int32_t i = 0;
    UChar32 c = 0;
    U16_NEXT(bad.data(), i, length, c);
    missing = static_cast<char32_t>(c);
  }
  return false;
}

}  // namespace sys

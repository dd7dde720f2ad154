// The import file's character set and the command text of its lines.
#include "customer/CustImportText.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "frame/HostChannel.h"

namespace customer {
namespace {

constexpr std::array kPlainCharsets = {sys::CodePage::Gbk, sys::CodePage::Utf8};
constexpr std::array kBig5Charsets = {sys::CodePage::Big5, sys::CodePage::Utf8};

// ASCII that needs no decision: every byte but NUL below 0x80.
bool PlainAscii(char byte) {
  return byte != '\0' && static_cast<unsigned char>(byte) < 0x80;
}

// The Traditional/Simplified mapping answers "?" for a character it has no form for.
bool Mapped(std::string_view text) {
  return !text.empty() && text.find('?') == std::string_view::npos;
}

}  // namespace

std::span<const sys::CodePage> ImportCharsets(bool big5) {
  if (big5) {
    return kBig5Charsets;
  }
  return kPlainCharsets;
}

std::string_view ImportCharsetName(sys::CodePage cp) {
  switch (cp) {
    case sys::CodePage::Gbk:
      return "GBK";
    case sys::CodePage::Big5:
      return "Big5";
    case sys::CodePage::Utf8:
      return "UTF-8";
    default:
      return "?";
  }
}

TImportText::TImportText(bool big5, bool big5Channel) : big5_(big5), big5Channel_(big5Channel) {}

std::size_t TImportText::Inspect(char* piece, std::size_t size) {
  if (atStart_ && size > 0) {
    atStart_ = false;
    const sys::TByteOrderMark mark = sys::FindByteOrderMark({piece, size});
    if (mark.Kind == sys::ByteOrderMark::Utf8) {
      charset_ = sys::CodePage::Utf8;
      std::memmove(piece, piece + mark.Length, size - mark.Length);
      size -= mark.Length;
    } else if (mark.Kind != sys::ByteOrderMark::None) {
      refused_ = true;
      return 0;
    }
  }
  if (charset_ || refused_ || std::all_of(piece, piece + size, PlainAscii)) {
    return size;
  }
  charset_ = sys::DetectCodePage({piece, size}, ImportCharsets(big5_));
  refused_ = !charset_;
  return size;
}

ImportLineFault TImportText::CommandText(std::string_view line, std::string& text,
                                         char32_t& missing) {
  text.clear();
  if (std::all_of(line.begin(), line.end(), PlainAscii)) {
    text.assign(line);
    return ImportLineFault::None;
  }
  if (!charset_) {
    throw std::logic_error("an import line was read before its file was looked at");
  }
  // The module's own text goes as it is, once it is known to be clean.
  if (*charset_ == sys::CodePage::Gbk && !big5Channel_) {
    if (!sys::IsCleanText(line, sys::CodePage::Gbk)) {
      return ImportLineFault::NotText;
    }
    text.assign(line);
    return ImportLineFault::None;
  }
  const std::optional<std::u16string> chars = sys::DecodeCleanText(line, *charset_);
  if (!chars) {
    return ImportLineFault::NotText;
  }
  if (!big5_ && !big5Channel_) {
    return gbk_.Encode(*chars, text, missing) ? ImportLineFault::None
                                              : ImportLineFault::MissingChar;
  }
  const auto length = static_cast<std::int32_t>(chars->size());
  for (std::int32_t i = 0; i < length;) {
    const std::int32_t start = i;
    char32_t c = (*chars)[static_cast<std::size_t>(i++)];
    // A surrogate pair is one character; a lone surrogate stands for itself.
    if (c >= 0xD800 && c <= 0xDBFF && i < length) {
      const char32_t low = (*chars)[static_cast<std::size_t>(i)];
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    const std::u16string_view unit(chars->data() + start, static_cast<std::size_t>(i - start));
    if (!AppendConverted(unit, c, text, missing)) {
      text.clear();
      return ImportLineFault::MissingChar;
    }
  }
  return ImportLineFault::None;
}

// Character by character, as the channel's own mapping works: a character the mapping
// has no form for is never replaced by "?".
bool TImportText::AppendConverted(std::u16string_view unit, char32_t c, std::string& text,
                                  char32_t& missing) {
  if (c < 0x80) {
    text += static_cast<char>(c);
    return true;
  }
  std::string big5;
  char32_t notInBig5 = 0;
  const bool inBig5 = big5Encoder_.Encode(unit, big5, notInBig5);
  if (big5Channel_) {
    // The channel turns Big5 into Simplified GBK; a character Big5 lacks goes as the
    // Traditional form the channel's mapping gives it.
    if (inBig5) {
      text += big5;
      return true;
    }
    std::string gbk;
    if (!gbk_.Encode(unit, gbk, missing)) {
      return false;
    }
    const std::string traditional = frame::ToUserText(gbk);
    if (!Mapped(traditional)) {
      missing = c;
      return false;
    }
    text += traditional;
    return true;
  }
  if (inBig5) {
    const std::string simplified = frame::ToServerText(big5);
    if (Mapped(simplified)) {
      text += simplified;
      return true;
    }
  }
  // Not Traditional, or unknown to the mapping: kept as it is when GBK holds it.
  return gbk_.Encode(unit, text, missing);
}

ImportByteSource InspectedSource(ImportByteSource source, TImportText& text) {
  return [source = std::move(source), &text](char* buffer, std::size_t size) -> std::size_t {
    while (!text.Refused()) {
      const std::size_t read = source(buffer, size);
      if (read == 0) {
        return 0;
      }
      const std::size_t kept = text.Inspect(buffer, read);
      // A piece that was only a byte-order mark leaves nothing: read on.
      if (kept > 0 && !text.Refused()) {
        return kept;
      }
    }
    return 0;
  };
}

}  // namespace customer

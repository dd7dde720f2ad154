// GBK pairs decoded strictly by the compiled-in tables (sys/CodePageTables.h).
#include "sys/CodePage.h"
#include "sys/CodePageTables.h"
#include "sys/GbkPairDecoder.h"

namespace sys {

struct GbkPairDecoder::State {};

GbkPairDecoder::GbkPairDecoder() : state_(std::make_unique<State>()) {}
GbkPairDecoder::~GbkPairDecoder() = default;
GbkPairDecoder::GbkPairDecoder(GbkPairDecoder&&) noexcept = default;
GbkPairDecoder& GbkPairDecoder::operator=(GbkPairDecoder&&) noexcept = default;

bool GbkPairDecoder::AppendUtf8(const char* pair, std::string& out) {
  std::u16string chars;
  std::string utf8;
  char32_t missing = 0;
  if (!tables::DecodeStrict(std::string_view(pair, 2), CodePage::Gbk, true, chars) ||
      chars.empty() || !tables::EncodeStrict(chars, CodePage::Utf8, utf8, missing)) {
    return false;
  }
  out += utf8;
  return true;
}

}  // namespace sys

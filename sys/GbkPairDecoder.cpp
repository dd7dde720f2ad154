// GBK pairs decoded by ICU's converter with the stop callback, opened once per decoder.
#include "sys/GbkPairDecoder.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include "sys/IcuConverter.h"

namespace sys {

struct GbkPairDecoder::State {
  IcuConverter conv;
};

GbkPairDecoder::GbkPairDecoder()
    : state_(std::make_unique<State>(
          State{OpenIcuConverter(CodePage::Gbk, Strictness::StopDecoding)})) {}
GbkPairDecoder::~GbkPairDecoder() = default;
GbkPairDecoder::GbkPairDecoder(GbkPairDecoder&&) noexcept = default;
GbkPairDecoder& GbkPairDecoder::operator=(GbkPairDecoder&&) noexcept = default;

bool GbkPairDecoder::AppendUtf8(const char* pair, std::string& out) {
  UConverter* conv = state_->conv.get();
  UChar wide[4];
  UErrorCode status = U_ZERO_ERROR;
  ucnv_reset(conv);
  const int32_t n = ucnv_toUChars(conv, wide, 4, pair, 2, &status);
  if (U_FAILURE(status) || n < 1) {
    return false;
  }
  char utf8[16];
  int32_t len = 0;
  status = U_ZERO_ERROR;
  u_strToUTF8(utf8, sizeof utf8, &len, wide, n, &status);
  if (U_FAILURE(status) || len <= 0) {
    return false;
  }
  out.append(utf8, static_cast<std::size_t>(len));
  return true;
}

}  // namespace sys

// Fuzz target: line breaks in a field each way over the wire (CR LF as 0x0E). Checked: marks
// and other bytes survive, and a field the host accepts comes back byte for byte.
#include "frame/ResultText.h"
#include "host/Procedure.h"
#include "host/WireText.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// text without the bytes of line breaks and marks, which the encodings change.
std::string Plain(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c != '\r' && c != '\n' && c != frame::kLineBreakMark) {
      out += c;
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const std::string encoded = frame::EncodeNewlines(text);
  FUZZ_CHECK(encoded.find_first_of("\r\n") == std::string::npos);
  const std::string_view mark(&frame::kLineBreakMark, 1);
  FUZZ_CHECK(tavro_fuzz::CountOf(encoded, mark) ==
             tavro_fuzz::CountOf(text, mark) + tavro_fuzz::CountOf(text, "\r"));
  FUZZ_CHECK(Plain(encoded) == Plain(text));

  const std::string decoded = frame::DecodeNewlines(text);
  FUZZ_CHECK(decoded.find(frame::kLineBreakMark) == std::string::npos);
  FUZZ_CHECK(Plain(decoded) == Plain(text));
  if (text.find_first_of("\r\n") == std::string_view::npos) {
    FUZZ_CHECK(frame::EncodeNewlines(decoded) == text);

    // The host keeps what the module sent and gives the same bytes back as a field.
    std::string stored;
    if (host::ArgumentToUtf8(text, stored)) {
      FUZZ_CHECK(stored.find(frame::kLineBreakMark) == std::string::npos);
      host::Answer answer;
      answer.rows.push_back({stored});
      FUZZ_CHECK(host::FrameAnswer(answer) == std::string(text) + "\r\n");
    }
  }
  return 0;
}

// Fuzz target: line breaks inside a field, as both ends of the wire write and read them.
// The module sends a memo's CR LF as 0x0E (EncodeNewlines) and turns 0x0E back into
// CR LF (DecodeNewlines); the host stores a 0x0E of an argument as CR LF and sends every
// stored line break as 0x0E. Checked: the marks and the other bytes survive each way,
// and a field the host accepts comes back from it byte for byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "frame/ResultText.h"
#include "host/Procedure.h"
#include "host/WireText.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

std::size_t Count(std::string_view text, char c) {
  std::size_t n = 0;
  for (char b : text) {
    n += b == c;
  }
  return n;
}

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
  FUZZ_CHECK(Count(encoded, frame::kLineBreakMark) ==
             Count(text, frame::kLineBreakMark) + Count(text, '\r'));
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

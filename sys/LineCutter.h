// Cutting a text into lines (CR, LF, CR LF or LF CR) without copying it, shared by the
// platforms' file readers: lists run to a million rows, so the cutter searches with
// memchr and remembers the next LF.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace sys {

// Cuts a text into lines as NextLine does, searching with memchr: lists run to a
// million rows, and a byte-by-byte scan for two characters costs more than reading
// the file. The next LF is remembered, so a text without LF is not searched to its end
// once per line.
class LineCutter {
 public:
  explicit LineCutter(std::string_view text) : text_(text) {}

  // The line that starts at pos, and pos past its line end. complete: nothing follows
  // the text; else a line whose end is not certain yet (no line end, or CR or LF as
  // the last byte, whose partner may follow) is left for more text. False when no
  // (certain) line starts at pos.
  bool Next(std::size_t& pos, std::string_view& line, bool complete) {
    if (pos >= text_.size()) {
      return false;
    }
    const std::size_t end = EndOf(pos);
    if (end == std::string_view::npos) {
      if (!complete) {
        return false;
      }
      line = text_.substr(pos);
      pos = text_.size();
      return true;
    }
    if (!complete && end + 1 == text_.size()) {
      return false;
    }
    line = text_.substr(pos, end - pos);
    const char first = text_[end];
    pos = end + 1;
    // CR LF and LF CR are one line end; CR CR or LF LF are two.
    if (pos < text_.size() && (text_[pos] == '\r' || text_[pos] == '\n') && text_[pos] != first) {
      ++pos;
    }
    return true;
  }

 private:
  // The first CR or LF at or after pos, or npos.
  std::size_t EndOf(std::size_t pos) {
    if (!lfKnown_ || (lf_ != std::string_view::npos && lf_ < pos)) {
      lf_ = Find('\n', pos, text_.size());
      lfKnown_ = true;
    }
    const std::size_t cr = Find('\r', pos, lf_ == std::string_view::npos ? text_.size() : lf_);
    return cr != std::string_view::npos ? cr : lf_;
  }
  std::size_t Find(char c, std::size_t from, std::size_t to) const {
    const void* at = std::memchr(text_.data() + from, c, to - from);
    return at == nullptr ? std::string_view::npos
                         : static_cast<std::size_t>(static_cast<const char*>(at) - text_.data());
  }

  std::string_view text_;
  std::size_t lf_ = std::string_view::npos;
  bool lfKnown_ = false;
};

}  // namespace sys

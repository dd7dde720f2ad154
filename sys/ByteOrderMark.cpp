// The byte-order marks of sys/TextCharset.h: the same on every platform.
#include <string_view>

#include "sys/TextCharset.h"

namespace sys {

TByteOrderMark FindByteOrderMark(std::string_view start) {
  const auto starts = [start](std::string_view mark) {
    return start.substr(0, mark.size()) == mark;
  };
  using namespace std::string_view_literals;
  if (starts("\xEF\xBB\xBF"sv)) {
    return {ByteOrderMark::Utf8, 3};
  }
  // UTF-32's little-endian mark begins with UTF-16's, so it is looked for first.
  if (starts("\x00\x00\xFE\xFF"sv) || starts("\xFF\xFE\x00\x00"sv)) {
    return {ByteOrderMark::Utf32, 4};
  }
  if (starts("\xFE\xFF"sv) || starts("\xFF\xFE"sv)) {
    return {ByteOrderMark::Utf16, 2};
  }
  return {};
}

}  // namespace sys

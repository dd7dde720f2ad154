// Random text for robustness tests, drawn mostly from the bytes the module gives a
// meaning to (separators, line ends, GBK lead and trail bytes, quotes, punctuation).
#pragma once

#include <random>
#include <string>

namespace tavro_test {

inline std::string RandomText(std::mt19937& random, std::size_t maxLength) {
  static const char kBytes[] = {'\x07', '\x0E', '\r',   '\n', '\x81', '\xB0', '\xFE', '\x40',
                                '\x7F', '\x80', '\xFF', ':',  '(',    ')',    '^',    ',',
                                '"',    '\'',   ' ',    '[',  ']',    '=',    '-',    '7',
                                '0',    'a',    '#',    '\\', '\t',   '\0'};
  std::string text(random() % (maxLength + 1), '\0');
  for (char& c : text) {
    c = random() % 4 == 0 ? static_cast<char>(random()) : kBytes[random() % sizeof kBytes];
  }
  return text;
}

}  // namespace tavro_test

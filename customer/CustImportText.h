// The text of a customer import file: its character set, decided once from the first
// piece of the file that is not plain ASCII, and each line made into the text that the
// import commands carry. A file in none of the accepted character sets is refused before
// anything of it is sent, and a line that is not clean text, or holds a character the
// commands cannot carry, is refused on its own instead of being sent garbled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "customer/CustImport.h"
#include "sys/CodePage.h"
#include "sys/TextCharset.h"

namespace customer {

// The character sets an import file may be in, the expected one first: the module's GBK
// or UTF-8; with the conversion box ticked, Big5 or UTF-8. GBK and Big5 share their byte
// ranges, so that most files valid in one are valid in the other: the box tells them
// apart, the bytes cannot. UTF-8 is told from both by its strict form.
std::span<const sys::CodePage> ImportCharsets(bool big5);

// The name of a character set in the import log: "GBK", "UTF-8", "Big5".
std::string_view ImportCharsetName(sys::CodePage cp);

// Why a line could not become command text.
enum class ImportLineFault { None, NotText, MissingChar };

class TImportText {
 public:
  // big5: the conversion box is ticked: the file is Big5 (or UTF-8) and its Traditional
  // characters become Simplified. big5Channel: the command channel converts every
  // command from Big5 to Simplified GBK itself (a Traditional-Chinese system), so lines
  // are handed to it in Big5 and the box changes nothing more.
  TImportText(bool big5, bool big5Channel);

  // Looks at each piece of the file as it is read, before lines are taken from it. A
  // byte-order mark at the start of the file is removed (the result is the piece's new
  // size): UTF-8's decides the file, UTF-16's and UTF-32's refuse it. Otherwise the first
  // piece holding a byte outside ASCII (or a NUL) decides the character set, or refuses
  // the file when it is clean text in none of the accepted ones. ASCII before that piece
  // is the same text in all of them.
  std::size_t Inspect(char* piece, std::size_t size);
  bool Refused() const { return refused_; }
  // The character set decided; none while the file has been plain ASCII.
  std::optional<sys::CodePage> Charset() const { return charset_; }

  // The line as the commands carry it, into text: GBK (Traditional characters made
  // Simplified when the box is ticked), or Big5 for a Big5 channel. NotText when the line
  // is not clean text in the file's character set; MissingChar when one of its
  // characters has no form the commands can carry, which is then in missing.
  ImportLineFault CommandText(std::string_view line, std::string& text, char32_t& missing);

 private:
  // Appends one character (its UTF-16 units and code point) for the box or the channel.
  bool AppendConverted(std::u16string_view unit, char32_t c, std::string& text, char32_t& missing);

  bool big5_;
  bool big5Channel_;
  bool atStart_ = true;
  bool refused_ = false;
  std::optional<sys::CodePage> charset_;
  sys::StrictEncoder gbk_{sys::CodePage::Gbk};
  sys::StrictEncoder big5Encoder_{sys::CodePage::Big5};
};

// source with every piece looked at by text first. Ends (0) at the end of the file or
// once text has refused the file; a line the reader holds unfinished then is no line.
ImportByteSource InspectedSource(ImportByteSource source, TImportText& text);

}  // namespace customer

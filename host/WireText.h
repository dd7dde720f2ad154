// The host's edge: channel prefixes, GBK on the wire against UTF-8 in the database,
// answers framed as rows of fields, and bounded error texts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "host/Procedure.h"

namespace host {

inline constexpr char kFieldSep = '\x07';
inline constexpr char kLineBreakMark = '\x0e';
inline constexpr std::size_t kErrorTextMax = 127;  // bytes before the terminating zero

// "A01" serves every command; "A03" serves only the bank master record.
enum class Channel { Main, Bank };

// Takes the four-byte channel prefix off raw; false with an error text when it is
// missing or unknown.
bool SplitChannel(std::string_view raw, Channel& channel, std::string_view& command,
                  std::string& error);

// A text argument from the wire as the database keeps it: GBK to UTF-8, each 0x0E
// back to the line break CR LF it stands for. False when gbk is not valid GBK (it
// could not be stored byte for byte).
bool ArgumentToUtf8(std::string_view gbk, std::string& utf8);

// The wire form of an answer: fields joined by 0x07, each row ended by CR LF, every
// line break inside a field (CR LF, lone CR or lone LF) sent as one 0x0E, in GBK. A
// character GBK lacks is sent as GBK's substitution character "?", an invisible one
// (U+200B, U+FEFF, U+00AD ...) too, so that nothing stored vanishes unseen.
std::string FrameAnswer(const Answer& answer);

// FrameAnswer in steps, for an answer handed over in parts: a row appended to text in
// the wire's framing but still UTF-8, true when it is plain ASCII; then framed text
// of whole rows into GBK (plain: every row was ASCII, nothing to convert).
bool AppendFramedRow(const std::vector<std::string>& row, std::string& text);
std::string FramedToWire(std::string framed, bool plain);

// The length of the longest head of gbk of at most max bytes that does not end in the
// middle of a double-byte character.
std::size_t GbkCutLength(std::string_view gbk, std::size_t max);

// Writes a UTF-8 error text into the host's 128-byte error buffer as GBK (characters
// GBK lacks as in FrameAnswer), cut to 127 bytes on a character boundary and
// zero-terminated. A null buffer is left alone.
void WriteErrorText(std::string_view utf8, char* error);

}  // namespace host

// The edge between the module's GBK texts and Qt's Unicode: conversions both ways
// (strict towards GBK: a character GBK lacks is refused, never substituted), caret
// offsets between GBK bytes and the positions of the shown text, and the file dialog's
// filter in Qt's form. On a Traditional-Chinese system (sys::SystemLocale) the texts
// are Big5, as the command channel hands them to the dialogs there.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <string_view>

namespace ui {

QString ToQt(std::string_view gbk);

// The text as GBK; nothing when it holds a character GBK cannot write.
std::optional<std::string> FromQt(const QString& text);

// A control's GBK text as its widget shows it, character by character: a double-byte
// character (a lead byte 0x81..0xFE and a trail byte 0x40..0xFE other than 0x7F) is
// one character, any other byte one character (a byte that is no character shows as
// U+FFFD). In a multi-line text CR LF, CR and LF each show as one line break.
QString ShownText(std::string_view gbk, bool multiLine);

// The position in ShownText of the byte offset (a character start; an offset inside a
// character counts as its start), and back: the byte offset of the character start at
// or after a position.
int ShownPosOfByte(std::string_view gbk, int byteOffset, bool multiLine);
int ByteOfShownPos(std::string_view gbk, int shownPos, bool multiLine);

// "Text files (*.txt)|*.txt|All files (*.*)|*.*" as Qt's name filters,
// {"Text files (*.txt)", "All files (*)"}: each description without the pattern it may
// already show, its patterns (";" between them) in parentheses, "*.*" as "*" (a file
// name need not hold a dot). A description without a pattern is left out.
QStringList NameFilters(std::string_view gbkFilter);

}  // namespace ui

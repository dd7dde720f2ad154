// GBK and Qt's Unicode at the platform's edge. The shown text is built one GBK character
// at a time, so that every byte offset of the model has its position on screen however
// broken the bytes are. On a Traditional-Chinese system the module's window texts are
// Big5 (the command channel hands the dialogs Big5 and takes Big5 back), so the
// characters are read and written in Big5 there; Big5's pairs are GBK-shaped (a lead
// byte 0x81..0xFE, a trail byte in GBK's range), so the offsets are the same.
#include "ui/qt/QtText.h"

#include "sys/CodePage.h"
#include "sys/GbkChar.h"
#include "sys/Locale.h"
#include "ui/script/ScriptText.h"

namespace ui {
namespace {

// Big5 on a Traditional-Chinese system (Chinese, Traditional sub-language), GBK on any
// other: the code page the module's window texts are in.
sys::CodePage WindowCodePage() {
  const sys::LocaleInfo locale = sys::SystemLocale();
  return locale.primary == sys::kLangChinese && locale.sub == sys::kSubLangChineseTraditional
             ? sys::CodePage::Big5
             : sys::CodePage::Gbk;
}

// A character's length on screen: one UTF-16 unit (every GBK character lies in the
// Basic Multilingual Plane).
constexpr int kShownLength = 1;

// Length in bytes of the character at pos, and its shown form (its characters read in
// page).
int CharAt(std::string_view gbk, std::size_t pos, bool multiLine, sys::CodePage page,
           QString* shown) {
  const auto b = static_cast<unsigned char>(gbk[pos]);
  if (multiLine && (b == '\r' || b == '\n')) {
    if (shown) {
      shown->append(QChar('\n'));
    }
    return b == '\r' && pos + 1 < gbk.size() && gbk[pos + 1] == '\n' ? 2 : 1;
  }
  if (b < 0x80) {
    if (shown) {
      shown->append(QChar(b));
    }
    return 1;
  }
  if (sys::GbkCharLength(gbk, pos) == 2) {
    if (shown) {
      const QString character =
          QString::fromStdString(sys::ConvertText(gbk.substr(pos, 2), page, sys::CodePage::Utf8));
      shown->append(character.size() == kShownLength ? character : QString(QChar(0xFFFD)));
    }
    return 2;
  }
  if (shown) {
    shown->append(QChar(0xFFFD));
  }
  return 1;
}

}  // namespace

QString ToQt(std::string_view gbk) {
  return QString::fromStdString(sys::ConvertText(gbk, WindowCodePage(), sys::CodePage::Utf8));
}

std::optional<std::string> FromQt(const QString& text) {
  const std::string utf8 = text.toStdString();
  if (WindowCodePage() == sys::CodePage::Gbk) {
    return Utf8ToGbkStrict(utf8);
  }
  // A character Big5 lacks comes back as the substitute, one ICU drops not at all: the
  // round trip tells, and the whole text is refused as it is towards GBK.
  std::string big5 = sys::ConvertText(utf8, sys::CodePage::Utf8, sys::CodePage::Big5);
  if (sys::ConvertText(big5, sys::CodePage::Big5, sys::CodePage::Utf8) != utf8) {
    return std::nullopt;
  }
  return big5;
}

QString ShownText(std::string_view gbk, bool multiLine) {
  const sys::CodePage page = WindowCodePage();
  QString shown;
  shown.reserve(static_cast<qsizetype>(gbk.size()));
  for (std::size_t pos = 0; pos < gbk.size();) {
    pos += static_cast<std::size_t>(CharAt(gbk, pos, multiLine, page, &shown));
  }
  return shown;
}

int ShownPosOfByte(std::string_view gbk, int byteOffset, bool multiLine) {
  int shown = 0;
  std::size_t pos = 0;
  while (pos < gbk.size()) {
    const int length = CharAt(gbk, pos, multiLine, sys::CodePage::Gbk, nullptr);
    if (static_cast<int>(pos) + length > byteOffset) {
      break;
    }
    pos += static_cast<std::size_t>(length);
    shown += kShownLength;
  }
  return shown;
}

int ByteOfShownPos(std::string_view gbk, int shownPos, bool multiLine) {
  int shown = 0;
  std::size_t pos = 0;
  while (pos < gbk.size() && shown < shownPos) {
    pos += static_cast<std::size_t>(CharAt(gbk, pos, multiLine, sys::CodePage::Gbk, nullptr));
    shown += kShownLength;
  }
  return static_cast<int>(pos);
}

QStringList NameFilters(std::string_view gbkFilter) {
  const QStringList parts = ToQt(gbkFilter).split(QChar('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    // "Text files (*.txt)": the patterns shown are rebuilt from the pattern part.
    if (description.endsWith(QChar(')'))) {
      const qsizetype open = description.lastIndexOf(QChar('('));
      if (open > 0) {
        description = description.left(open).trimmed();
      }
    }
    QStringList patterns;
    for (const QString& pattern : parts[i + 1].split(QChar(';'), Qt::SkipEmptyParts)) {
      const QString p = pattern.trimmed();
      patterns.append(p == QStringLiteral("*.*") ? QStringLiteral("*") : p);
    }
    if (patterns.isEmpty()) {
      continue;
    }
    filters.append(description + QStringLiteral(" (") + patterns.join(QChar(' ')) + QChar(')'));
  }
  return filters;
}

}  // namespace ui

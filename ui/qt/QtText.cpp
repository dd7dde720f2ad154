// GBK and Qt's Unicode at the platform's edge. The shown text is built one GBK character
// at a time, so that every byte offset of the model has its position on screen however
// broken the bytes are.
#include "ui/qt/QtText.h"

#include "sys/CodePage.h"
#include "sys/GbkChar.h"
#include "ui/script/ScriptText.h"

namespace ui {
namespace {

// A character's length on screen: one UTF-16 unit (every GBK character lies in the
// Basic Multilingual Plane).
constexpr int kShownLength = 1;

// Length in bytes of the character at pos, and its shown form.
int CharAt(std::string_view gbk, std::size_t pos, bool multiLine, QString* shown) {
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
      const QString character = QString::fromStdString(sys::GbkToUtf8(gbk.substr(pos, 2)));
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
  return QString::fromStdString(sys::GbkToUtf8(gbk));
}

std::optional<std::string> FromQt(const QString& text) {
  return Utf8ToGbkStrict(text.toStdString());
}

QString ShownText(std::string_view gbk, bool multiLine) {
  QString shown;
  shown.reserve(static_cast<qsizetype>(gbk.size()));
  for (std::size_t pos = 0; pos < gbk.size();) {
    pos += static_cast<std::size_t>(CharAt(gbk, pos, multiLine, &shown));
  }
  return shown;
}

int ShownPosOfByte(std::string_view gbk, int byteOffset, bool multiLine) {
  int shown = 0;
  std::size_t pos = 0;
  while (pos < gbk.size()) {
    const int length = CharAt(gbk, pos, multiLine, nullptr);
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
    pos += static_cast<std::size_t>(CharAt(gbk, pos, multiLine, nullptr));
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

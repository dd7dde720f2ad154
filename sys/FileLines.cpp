// Whole files and their lines, the same on every platform: built on the platform's
// ReadInPieces (sys/FilePieces.h), ReadFileBytes and ReplacementFile (sys/Files.h), so
// that line ends, piece sizes and the CR LF of written lines are decided once.
#include <cstring>

#include "sys/FilePieces.h"
#include "sys/Files.h"
#include "sys/LineCutter.h"

namespace sys {
namespace {

void ReplaceFile(const std::string& path, std::string_view bytes) {
  ReplacementFile file(path);
  file.Write(bytes);
  file.Commit();
}

}  // namespace

std::size_t CountLineFeeds(const std::string& path) {
  std::size_t count = 0;
  ReadInPieces(path, [&count](std::string& pending, bool) {
    const char* end = pending.data() + pending.size();
    for (const char* at = pending.data();
         (at = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at))));
         ++at) {
      ++count;
    }
    pending.clear();
  });
  return count;
}

void ForEachLine(const std::string& path, const std::function<void(std::string_view)>& take) {
  // A line's head stays in pending until its end arrives.
  ReadInPieces(path, [&take](std::string& pending, bool complete) {
    LineCutter cutter(pending);
    std::size_t pos = 0;
    std::string_view line;
    while (cutter.Next(pos, line, complete)) {
      take(line);
    }
    pending.erase(0, pos);
  });
}

std::vector<std::string> ReadLines(const std::string& path) {
  return SplitLines(ReadFileBytes(path));
}

void CopyFile(const std::string& from, const std::string& to) {
  ReplaceFile(to, ReadFileBytes(from));
}

void WriteFileBytes(const std::string& path, std::string_view bytes) {
  ReplaceFile(path, bytes);
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
  std::size_t total = 0;
  for (const std::string& line : lines) {
    total += line.size() + 2;
  }
  std::string bytes;
  bytes.reserve(total);
  for (const std::string& line : lines) {
    bytes += line;
    bytes += "\r\n";
  }
  ReplaceFile(path, bytes);
}

}  // namespace sys

#include "customer/CustExportFile.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "sys/FileReader.h"
#include "sys/Files.h"

namespace customer {
namespace {

constexpr std::size_t kChunkSize = std::size_t{64} * 1024;
constexpr char kFieldSep = '\x07';

[[noreturn]] void Fail(const std::string& what, const std::string& path, int error) {
  throw std::runtime_error(what + " " + path + ": " + std::strerror(error));
}

// The text of a row with each field separator replaced.
void AppendFields(std::string& out, std::string_view text, std::string_view separator) {
  std::size_t start = 0;
  for (std::size_t sep = text.find(kFieldSep); sep != std::string_view::npos;
       sep = text.find(kFieldSep, start)) {
    out.append(text.substr(start, sep - start));
    out.append(separator);
    start = sep + 1;
  }
  out.append(text.substr(start));
}

// Turns the result's lines into export lines, one piece of the file at a time. A line
// end split between two pieces (CR at the end of one, LF at the start of the next)
// still counts once.
class LineCopier {
 public:
  explicit LineCopier(std::string_view separator) : separator_(separator) {}

  void Feed(std::string_view piece, std::string& out) {
    std::size_t pos = 0;
    if (skip_ != 0 && !piece.empty()) {
      if (piece.front() == skip_) {
        pos = 1;
      }
      skip_ = 0;
    }
    while (pos < piece.size()) {
      // A plain scan, as the result text's own reader does: two end bytes to look for.
      std::size_t end = pos;
      while (end < piece.size() && piece[end] != '\r' && piece[end] != '\n') {
        ++end;
      }
      AppendFields(out, piece.substr(pos, end - pos), separator_);
      if (end == piece.size()) {
        open_ = true;
        return;
      }
      EndLine(out);
      // CR LF and LF CR are one line end; CR CR and LF LF are two.
      const char first = piece[end++];
      const char partner = first == '\r' ? '\n' : '\r';
      if (end == piece.size()) {
        skip_ = partner;
      } else if (piece[end] == partner) {
        ++end;
      }
      pos = end;
    }
  }

  // A last line without a line end still becomes a line of its own.
  void Finish(std::string& out) {
    if (open_) {
      EndLine(out);
    }
  }

  std::size_t Lines() const { return lines_; }

 private:
  void EndLine(std::string& out) {
    out.append("\r\n");
    open_ = false;
    ++lines_;
  }

  std::string_view separator_;
  char skip_ = 0;
  bool open_ = false;
  std::size_t lines_ = 0;
};

}  // namespace

std::size_t WriteExportFile(const std::string& resultFile, const std::string& target,
                            std::string_view separator) {
  sys::FileReader in(resultFile, sys::FileReader::Links::Refuse);
  if (in.Error() != 0) {
    Fail(in.Error() == EINVAL ? "cannot read" : "cannot open", resultFile, in.Error());
  }

  sys::ReplacementFile out(target);
  LineCopier copier(separator);
  std::array<char, kChunkSize> piece{};
  std::string lines;
  lines.reserve(kChunkSize * 2);
  for (;;) {
    const std::ptrdiff_t n = in.Read(piece.data(), piece.size());
    if (n < 0) {
      Fail("cannot read", resultFile, errno);
    }
    if (n == 0) {
      break;
    }
    copier.Feed(std::string_view(piece.data(), static_cast<std::size_t>(n)), lines);
    out.Write(lines);
    lines.clear();
  }
  copier.Finish(lines);
  out.Write(lines);
  // Only a file that has reached the disk complete replaces the old one.
  out.Commit(true);
  return copier.Lines();
}

}  // namespace customer

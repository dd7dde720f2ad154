// A regular file opened for reading in pieces, for the readers that keep only a piece of
// a long file at a time (an import, an export's result file). Opening never blocks (a
// pipe put in a file's place is refused, not waited on) and anything but a regular file
// is refused; with Links::Refuse a link at the path is refused too. Failures are errno
// values, so that each caller says them in its own words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sys {

class FileReader {
 public:
  enum class Links { Follow, Refuse };

  // Opens path; Error() tells whether that worked.
  FileReader(const std::string& path, Links links);
  ~FileReader();
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  // 0 when the file is open; else the errno value of the failure (EINVAL for something
  // that is no regular file).
  int Error() const { return error_; }
  // The file's size when it was opened.
  std::uint64_t Size() const { return size_; }
  // Reads up to size bytes into buffer: the count, 0 at the end of the file, -1 with the
  // failure in errno.
  std::ptrdiff_t Read(char* buffer, std::size_t size);

 private:
  int fd_ = -1;             // the descriptor (Linux)
  void* handle_ = nullptr;  // the handle (Windows)
  int error_ = 0;
  std::uint64_t size_ = 0;
};

}  // namespace sys

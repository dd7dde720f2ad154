// Files as the module uses them: exists, delete, copy, read as lines, create a new file
// exclusively, write lines. Nothing here follows a link that stands where a file is
// expected: existing files are opened with O_NOFOLLOW and replaced by renaming a new
// file over them. Only a file the operator names is looked for through links
// (FileReachable). Every file made here is private to its user (OpenPrivateFile): they
// hold the bank's customers and users.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sys {

// True when a regular file (not a link, not a folder) of that name exists.
bool FileExists(const std::string& path);
// True when a regular file has that name or is reached through links from it: the files
// an operator chooses, which may well be links of his own.
bool FileReachable(const std::string& path);
// True when anything (file, folder, link, even a dangling one) has that name.
bool PathExists(const std::string& path);
// Removes the file (or the link itself); false when nothing was removed. Mostly called
// to clean up, where nothing to remove is no failure, so the result may go unread.
bool DeleteFile(const std::string& path);

// Copies from over to (replacing to when it exists). Throws std::runtime_error when
// from cannot be read or to cannot be written.
void CopyFile(const std::string& from, const std::string& to);

// The file's bytes, at most maxBytes of them. Throws std::runtime_error when the file
// cannot be opened or is not a regular file.
inline constexpr std::size_t kDefaultReadLimit = std::size_t{1} << 31;
std::string ReadFileBytes(const std::string& path, std::size_t maxBytes = kDefaultReadLimit);

// Lines ended by CR, LF, CR LF or LF CR; a final line end starts no further line.
std::vector<std::string> SplitLines(std::string_view text);

// Steps through text line by line without copying: sets line to the line that starts at
// pos and moves pos past its line end. False when pos is at the end of text.
bool NextLine(std::string_view text, std::size_t& pos, std::string_view& line);
std::vector<std::string> ReadLines(const std::string& path);
// Hands each line of the file (line ends as SplitLines) to take, reading the file in
// pieces of kLinePieceBytes, so that a long file is never held whole beside what take
// keeps of it. Throws std::runtime_error when the file cannot be opened, is not a
// regular file, or a read fails (after the lines read before).
inline constexpr std::size_t kLinePieceBytes = std::size_t{1} << 20;
void ForEachLine(const std::string& path, const std::function<void(std::string_view)>& take);
// The number of LF bytes in the file, read the same way: room to reserve for its lines.
std::size_t CountLineFeeds(const std::string& path);

// The mode of every file made here, whatever the umask.
inline constexpr unsigned kPrivateFileMode = 0600;

// Creates a new file for writing with kPrivateFileMode whatever the umask: the one way
// the files holding customer or user data (exports, printed reports, result files) come
// into being. Fails when anything of that name exists, a link included. Returns the open
// descriptor, or -1 with errno set (EEXIST when the name is taken).
[[nodiscard]] int OpenPrivateFile(const std::string& path);

// Makes path a private file before another library writes it (one that creates its
// files with the umask's mode, such as a toolkit printing to a file): a missing file is
// created private, an existing regular file narrowed to the owner. A link at path is not
// followed. False, with errno set, when neither could be done.
[[nodiscard]] bool PreparePrivateFile(const std::string& path);

// OpenPrivateFile, throwing std::runtime_error on failure.
[[nodiscard]] int CreateExclusive(const std::string& path);

// A file that replaces path once it is complete: written as a new private file in
// path's folder and renamed over path by Commit(), so the file at path ends up private
// whatever was there before. Until then path is untouched; a file never committed is
// removed when the object goes. A link standing at path is replaced, never followed.
// Failures throw std::runtime_error naming the file and the reason.
class ReplacementFile {
 public:
  explicit ReplacementFile(const std::string& path);
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  void Write(std::string_view bytes);
  // Flushes the new file to the disk when sync is set, closes it and renames it over
  // path.
  void Commit(bool sync = false);

 private:
  std::string path_;
  std::string temp_;
  int fd_ = -1;
  bool committed_ = false;
};

// Replaces the file's contents: a new file beside it is written and renamed over it.
// Throws std::runtime_error on failure.
void WriteFileBytes(const std::string& path, std::string_view bytes);
// Each line followed by CR LF.
void WriteLines(const std::string& path, const std::vector<std::string>& lines);

}  // namespace sys

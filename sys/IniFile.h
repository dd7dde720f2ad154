// Initialisation files ("[section]" lines, then "key=value" lines) read and written
// with the platform's rules: section and key names compare without regard to ASCII case,
// the first matching section and the first matching key in it win, names and values
// are read with blanks trimmed, ";" starts a comment line, lines without "=" are
// skipped, and a key written again keeps its place. Values are raw bytes (GBK), never
// unquoted. A value is read up to kMaxIniValue bytes (cut on a GBK character boundary);
// a file is read up to kMaxIniFileBytes, and a file cut there is never written back.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sys {

inline constexpr std::size_t kMaxIniValue = 2047;
inline constexpr std::size_t kMaxIniFileBytes = std::size_t{16} << 20;

// A byte of a section or key name as names compare: the Latin letters a-z as A-Z, every
// other byte (a GBK byte included) as it is.
constexpr char FoldIniChar(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether two names are the same name to an initialisation file. Blanks around them
// count: callers compare names already trimmed.
bool SameIniName(std::string_view a, std::string_view b);

// An entry as the file holds it: key and value trimmed, the value cut to kMaxIniValue.
struct IniEntryView {
  std::string_view Key;
  std::string_view Value;
};

// A section read without copying: whether the file has it, and its entries in file order.
struct IniSectionView {
  bool Found = false;
  std::vector<IniEntryView> Entries;
};

class IniFile {
 public:
  // Reads the file; a missing or unreadable file reads as an empty one.
  explicit IniFile(std::string path);

  bool Exists() const { return exists_; }
  const std::string& Path() const { return path_; }

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  bool SectionExists(std::string_view section) const;
  bool KeyExists(std::string_view section, std::string_view key) const;
  // The keys of the section in file order (each once, first spelling).
  std::vector<std::string> ReadKeys(std::string_view section) const;
  // The section's entries in file order: each key once, with its first spelling and the
  // value ReadString gives for it. One pass, for sections of many keys.
  std::vector<std::pair<std::string, std::string>> ReadSection(std::string_view section) const;
  // The first section of each of names (a name given twice is read under its first
  // place), in one pass over the file and without copying. Every entry is given, a key
  // given again too: a caller that indexes them keeps the first, as ReadString does.
  // The views point into the file held here and last until the next WriteString.
  std::vector<IniSectionView> ReadSectionViews(std::span<const std::string_view> names) const;

  // Sets the key in memory: an existing key is rewritten where it stands, a new key is
  // added at the end of its section, a new section at the end of the file. Throws
  // std::invalid_argument for an empty name, a name with "=", "[", "]" or a line break,
  // a key beginning with ";" (it would read as a comment), or a value with a line break.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);

  // Writes the file back (a new file renamed over the old one). Throws
  // std::runtime_error when it cannot, or when the file was too long to be read whole.
  void Save() const;

 private:
  // Calls visit(line) for each line of the file until it returns false.
  template <class Visit>
  void ForEachLine(Visit visit) const;
  // The text as lines, for editing; done at the first write only.
  void SplitForWriting();

  std::string path_;
  std::string text_;                // the file as read, until the first write
  std::vector<std::string> lines_;  // the lines from the first write on
  bool split_ = false;
  bool exists_ = false;
  bool truncated_ = false;
  bool crlf_ = true;
};

// One read or one write on a file, opening and closing it.
std::string IniReadString(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view def);
void IniWriteString(const std::string& path, std::string_view section, std::string_view key,
                    std::string_view value);

}  // namespace sys

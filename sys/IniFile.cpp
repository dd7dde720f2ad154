#include "sys/IniFile.h"

#include <stdexcept>
#include <unordered_set>

#include "sys/Files.h"

namespace sys {
namespace {

std::string_view Blankless(std::string_view s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 0x20) {
    ++b;
  }
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20) {
    --e;
  }
  return s.substr(b, e - b);
}

char Fold(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Fold(a[i]) != Fold(b[i])) {
      return false;
    }
  }
  return true;
}

// "[name]" gives name; a header without "]" takes the rest of the line.
bool SectionName(std::string_view line, std::string_view& name) {
  std::string_view t = Blankless(line);
  if (t.empty() || t[0] != '[') {
    return false;
  }
  std::size_t close = t.find(']');
  name =
      Blankless(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
  return true;
}

// "key=value" gives both, trimmed; comments and lines without "=" give nothing.
bool KeyValue(std::string_view line, std::string_view& key, std::string_view& value) {
  std::string_view t = Blankless(line);
  if (t.empty() || t[0] == ';') {
    return false;
  }
  std::size_t eq = t.find('=');
  if (eq == std::string_view::npos) {
    return false;
  }
  key = Blankless(t.substr(0, eq));
  value = Blankless(t.substr(eq + 1));
  return !key.empty();
}

// The value cut to the bound without splitting a double-byte character.
std::string Bounded(std::string_view value) {
  if (value.size() <= kMaxIniValue) {
    return std::string(value);
  }
  std::size_t pos = 0;
  while (pos < kMaxIniValue) {
    auto lead = static_cast<unsigned char>(value[pos]);
    auto next = static_cast<unsigned char>(value[pos + 1]);
    std::size_t len =
        (lead >= 0x81 && lead <= 0xFE && next >= 0x40 && next != 0x7F && next <= 0xFE) ? 2 : 1;
    if (pos + len > kMaxIniValue) {
      break;
    }
    pos += len;
  }
  return std::string(value.substr(0, pos));
}

void CheckName(std::string_view name, const char* what) {
  if (Blankless(name).empty() || name.find_first_of("=[]\r\n") != std::string_view::npos) {
    throw std::invalid_argument(std::string("not a usable ") + what +
                                " name: " + std::string(name));
  }
}

// Calls visit(key, value) for each entry of the first section named section, in file
// order, until visit returns false. Later sections of the same name are not read.
template <class Visit>
void ForEachEntry(const std::vector<std::string>& lines, std::string_view section, Visit visit) {
  bool inSection = false;
  for (const std::string& line : lines) {
    std::string_view name;
    if (SectionName(line, name)) {
      if (inSection) {
        return;
      }
      inSection = SameName(name, section);
      continue;
    }
    std::string_view k;
    std::string_view v;
    if (inSection && KeyValue(line, k, v) && !visit(k, v)) {
      return;
    }
  }
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {
  if (!FileExists(path_)) {
    return;
  }
  std::string bytes;
  try {
    bytes = ReadFileBytes(path_, kMaxIniFileBytes + 1);
  } catch (const std::runtime_error&) {
    return;
  }
  exists_ = true;
  if (bytes.size() > kMaxIniFileBytes) {
    truncated_ = true;
    bytes.resize(kMaxIniFileBytes);
  }
  std::size_t firstEnd = bytes.find_first_of("\r\n");
  crlf_ = firstEnd == std::string::npos || bytes[firstEnd] == '\r';
  lines_ = SplitLines(bytes);
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
  std::string value(def);
  ForEachEntry(lines_, section, [&](std::string_view k, std::string_view v) {
    if (!SameName(k, key)) {
      return true;
    }
    value = Bounded(v);
    return false;
  });
  return value;
}

bool IniFile::SectionExists(std::string_view section) const {
  for (const std::string& line : lines_) {
    std::string_view name;
    if (SectionName(line, name) && SameName(name, section)) {
      return true;
    }
  }
  return false;
}

bool IniFile::KeyExists(std::string_view section, std::string_view key) const {
  for (const std::string& k : ReadKeys(section)) {
    if (SameName(k, key)) {
      return true;
    }
  }
  return false;
}

std::vector<std::string> IniFile::ReadKeys(std::string_view section) const {
  std::vector<std::string> keys;
  ForEachEntry(lines_, section, [&](std::string_view k, std::string_view) {
    bool known = false;
    for (const std::string& have : keys) {
      known = known || SameName(have, k);
    }
    if (!known) {
      keys.emplace_back(k);
    }
    return true;
  });
  return keys;
}

std::vector<std::pair<std::string, std::string>> IniFile::ReadSection(
    std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> entries;
  std::unordered_set<std::string> seen;  // folded names of the keys already taken
  ForEachEntry(lines_, section, [&](std::string_view k, std::string_view v) {
    std::string folded(k);
    for (char& c : folded) {
      c = Fold(c);
    }
    if (seen.insert(std::move(folded)).second) {
      entries.emplace_back(std::string(k), Bounded(v));
    }
    return true;
  });
  return entries;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  CheckName(section, "section");
  CheckName(key, "key");
  if (value.find_first_of("\r\n") != std::string_view::npos) {
    throw std::invalid_argument("a value cannot hold a line break");
  }
  std::string newLine = std::string(Blankless(key)) + "=" + std::string(value);
  std::size_t sectionAt = lines_.size();
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    std::string_view name;
    if (SectionName(lines_[i], name) && SameName(name, Blankless(section))) {
      sectionAt = i;
      break;
    }
  }
  if (sectionAt == lines_.size()) {
    if (!lines_.empty() && !Blankless(lines_.back()).empty()) {
      lines_.emplace_back();
    }
    lines_.push_back("[" + std::string(Blankless(section)) + "]");
    lines_.push_back(newLine);
    return;
  }
  std::size_t lastEntry = sectionAt;  // a new key goes after the section's last non-blank line
  for (std::size_t i = sectionAt + 1; i < lines_.size(); ++i) {
    std::string_view name;
    if (SectionName(lines_[i], name)) {
      break;
    }
    std::string_view k;
    std::string_view v;
    if (KeyValue(lines_[i], k, v) && SameName(k, Blankless(key))) {
      lines_[i] = newLine;
      return;
    }
    if (!Blankless(lines_[i]).empty()) {
      lastEntry = i;
    }
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastEntry + 1), newLine);
}

void IniFile::Save() const {
  if (truncated_) {
    throw std::runtime_error("initialisation file too long to rewrite: " + path_);
  }
  const char* end = crlf_ ? "\r\n" : "\n";
  std::string bytes;
  for (const std::string& line : lines_) {
    bytes += line;
    bytes += end;
  }
  WriteFileBytes(path_, bytes);
}

std::string IniReadString(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view def) {
  return IniFile(path).ReadString(section, key, def);
}

void IniWriteString(const std::string& path, std::string_view section, std::string_view key,
                    std::string_view value) {
  IniFile file(path);
  file.WriteString(section, key, value);
  file.Save();
}

}  // namespace sys

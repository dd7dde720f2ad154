#include "sys/IniFile.h"

#include <stdexcept>
#include <unordered_set>

#include "sys/Files.h"
#include "sys/GbkChar.h"

namespace sys {
namespace {

// "[name]" gives name; a header without "]" takes the rest of the line.
bool SectionName(std::string_view line, std::string_view& name) {
  std::string_view t = TrimView(line);
  if (t.empty() || t[0] != '[') {
    return false;
  }
  std::size_t close = t.find(']');
  name =
      TrimView(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
  return true;
}

// "key=value" gives both, trimmed; comments and lines without "=" give nothing.
bool KeyValue(std::string_view line, std::string_view& key, std::string_view& value) {
  std::string_view t = TrimView(line);
  if (t.empty() || t[0] == ';') {
    return false;
  }
  std::size_t eq = t.find('=');
  if (eq == std::string_view::npos) {
    return false;
  }
  key = TrimView(t.substr(0, eq));
  value = TrimView(t.substr(eq + 1));
  return !key.empty();
}

// The value cut to the bound without splitting a double-byte character.
std::string_view Bounded(std::string_view value) {
  if (value.size() <= kMaxIniValue) {
    return value;
  }
  std::size_t pos = 0;
  while (pos < kMaxIniValue) {
    const std::size_t len = GbkCharLength(value, pos);
    if (pos + len > kMaxIniValue) {
      break;
    }
    pos += len;
  }
  return value.substr(0, pos);
}

void CheckName(std::string_view name, const char* what) {
  if (TrimView(name).empty() || name.find_first_of("=[]\r\n") != std::string_view::npos) {
    throw std::invalid_argument(std::string("not a usable ") + what +
                                " name: " + std::string(name));
  }
}

// Calls visit(key, value) for each entry of the first section named section, in file
// order, until visit returns false. Later sections of the same name are not read.
template <class Lines, class Visit>
void ForEachEntry(const Lines& lines, std::string_view section, Visit visit) {
  bool inSection = false;
  lines([&](std::string_view line) {
    std::string_view name;
    if (SectionName(line, name)) {
      if (inSection) {
        return false;
      }
      inSection = SameIniName(name, section);
      return true;
    }
    std::string_view k;
    std::string_view v;
    return !(inSection && KeyValue(line, k, v) && !visit(k, v));
  });
}

}  // namespace

bool SameIniName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldIniChar(a[i]) != FoldIniChar(b[i])) {
      return false;
    }
  }
  return true;
}

// Reads walk the text as it was read; only a write splits it into lines it can edit.
template <class Visit>
void IniFile::ForEachLine(Visit visit) const {
  if (split_) {
    for (const std::string& line : lines_) {
      if (!visit(std::string_view(line))) {
        return;
      }
    }
    return;
  }
  std::size_t pos = 0;
  std::string_view line;
  while (NextLine(text_, pos, line)) {
    if (!visit(line)) {
      return;
    }
  }
}

void IniFile::SplitForWriting() {
  if (!split_) {
    lines_ = SplitLines(text_);
    text_ = std::string();
    split_ = true;
  }
}

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
  text_ = std::move(bytes);
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
  std::string_view value = def;
  const auto lines = [this](auto visit) { ForEachLine(visit); };
  ForEachEntry(lines, section, [&](std::string_view k, std::string_view v) {
    if (!SameIniName(k, key)) {
      return true;
    }
    value = Bounded(v);
    return false;
  });
  return std::string(value);
}

bool IniFile::SectionExists(std::string_view section) const {
  bool found = false;
  ForEachLine([&](std::string_view line) {
    std::string_view name;
    found = SectionName(line, name) && SameIniName(name, section);
    return !found;
  });
  return found;
}

bool IniFile::KeyExists(std::string_view section, std::string_view key) const {
  for (const std::string& k : ReadKeys(section)) {
    if (SameIniName(k, key)) {
      return true;
    }
  }
  return false;
}

std::vector<std::string> IniFile::ReadKeys(std::string_view section) const {
  std::vector<std::string> keys;
  const auto lines = [this](auto visit) { ForEachLine(visit); };
  ForEachEntry(lines, section, [&](std::string_view k, std::string_view) {
    bool known = false;
    for (const std::string& have : keys) {
      known = known || SameIniName(have, k);
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
  const auto lines = [this](auto visit) { ForEachLine(visit); };
  ForEachEntry(lines, section, [&](std::string_view k, std::string_view v) {
    std::string folded(k);
    for (char& c : folded) {
      c = FoldIniChar(c);
    }
    if (seen.insert(std::move(folded)).second) {
      entries.emplace_back(std::string(k), std::string(Bounded(v)));
    }
    return true;
  });
  return entries;
}

// One pass for several sections: a file of thousands of entries is walked once.
std::vector<IniSectionView> IniFile::ReadSectionViews(
    std::span<const std::string_view> names) const {
  std::vector<IniSectionView> sections(names.size());
  std::size_t left = names.size();  // sections not yet found
  IniSectionView* current = nullptr;
  ForEachLine([&](std::string_view line) {
    std::string_view name;
    if (SectionName(line, name)) {
      if (left == 0) {
        return false;  // every wanted section has been read
      }
      current = nullptr;
      for (std::size_t i = 0; i < names.size(); ++i) {
        if (SameIniName(name, names[i])) {
          if (!sections[i].Found) {
            sections[i].Found = true;
            current = &sections[i];
            --left;
          }
          break;
        }
      }
      return true;
    }
    std::string_view k;
    std::string_view v;
    if (current != nullptr && KeyValue(line, k, v)) {
      current->Entries.push_back(IniEntryView{k, Bounded(v)});
    }
    return true;
  });
  return sections;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  CheckName(section, "section");
  CheckName(key, "key");
  // Written as it is, the line would read as a comment and the value be lost.
  if (TrimView(key).front() == ';') {
    throw std::invalid_argument("a key name cannot begin with \";\": " + std::string(key));
  }
  if (value.find_first_of("\r\n") != std::string_view::npos) {
    throw std::invalid_argument("a value cannot hold a line break");
  }
  SplitForWriting();
  std::string newLine = std::string(TrimView(key)) + "=" + std::string(value);
  std::size_t sectionAt = lines_.size();
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    std::string_view name;
    if (SectionName(lines_[i], name) && SameIniName(name, TrimView(section))) {
      sectionAt = i;
      break;
    }
  }
  if (sectionAt == lines_.size()) {
    if (!lines_.empty() && !TrimView(lines_.back()).empty()) {
      lines_.emplace_back();
    }
    std::string header = "[";
    header += TrimView(section);
    header += ']';
    lines_.push_back(std::move(header));
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
    if (KeyValue(lines_[i], k, v) && SameIniName(k, TrimView(key))) {
      lines_[i] = newLine;
      return;
    }
    if (!TrimView(lines_[i]).empty()) {
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
  ForEachLine([&](std::string_view line) {
    bytes += line;
    bytes += end;
    return true;
  });
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

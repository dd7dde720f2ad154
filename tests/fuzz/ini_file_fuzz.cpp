// Fuzz target: settings files (sys/IniFile) read, written and read again. Checked: the readers
// agree, values keep their bound, an accepted write reads back and changes nothing else.
#include <span>
#include <stdexcept>
#include <vector>

#include "sys/Files.h"
#include "sys/IniFile.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 0x20) {
    s.remove_prefix(1);
  }
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20) {
    s.remove_suffix(1);
  }
  return s;
}

// The names of the file's first few section headers, as a reader would name them.
std::vector<std::string> SectionNames(std::string_view file) {
  std::vector<std::string> names;
  for (const std::string& line : sys::SplitLines(file)) {
    const std::string_view t = Trimmed(line);
    if (!t.empty() && t.front() == '[' && names.size() < 8) {
      names.emplace_back(Trimmed(t.substr(1, t.find(']') - 1)));
    }
  }
  return names;
}

void CheckSection(const sys::IniFile& ini, std::string_view section, const Entries& entries) {
  const std::vector<std::string> keys = ini.ReadKeys(section);
  FUZZ_CHECK(keys.size() == entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto& [key, value] = entries[i];
    FUZZ_CHECK(keys[i] == key);
    FUZZ_CHECK(value.size() <= sys::kMaxIniValue);
    FUZZ_CHECK(ini.KeyExists(section, key));
    FUZZ_CHECK(ini.ReadString(section, key, "\x01") == value);
  }
  const std::string_view names[] = {section};
  const std::vector<sys::IniSectionView> views = ini.ReadSectionViews(names);
  FUZZ_CHECK(views[0].Found == ini.SectionExists(section));
  FUZZ_CHECK(views[0].Found || entries.empty());
  std::size_t taken = 0;
  for (const sys::IniEntryView& entry : views[0].Entries) {
    if (taken < entries.size() && sys::SameIniName(entry.Key, entries[taken].first) &&
        entry.Value == entries[taken].second) {
      ++taken;
    }
  }
  FUZZ_CHECK(taken == entries.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tavro_fuzz::FuzzInput input(data, size);
  const std::string_view section = input.Piece();
  const std::string_view key = input.Piece();
  const std::string_view value = input.Piece();
  const std::string_view file = input.Rest();

  const std::string path = tavro_fuzz::ScratchFolder() + "/file.ini";
  sys::WriteFileBytes(path, file);
  sys::IniFile ini(path);
  FUZZ_CHECK(ini.Exists());

  std::vector<std::string> names = SectionNames(file);
  names.emplace_back(Trimmed(section));
  std::vector<Entries> before;
  for (const std::string& name : names) {
    before.push_back(ini.ReadSection(name));
    CheckSection(ini, name, before.back());
  }

  try {
    ini.WriteString(section, key, value);
  } catch (const std::invalid_argument&) {
    return 0;  // a name or value the file cannot hold, refused before anything changed
  }
  ini.Save();
  const sys::IniFile after(path);
  const std::string_view s = Trimmed(section);
  const std::string_view k = Trimmed(key);
  const std::string read = after.ReadString(s, k, "\x01");
  const std::string_view written = Trimmed(value);
  FUZZ_CHECK(written.substr(0, read.size()) == read);
  FUZZ_CHECK(read.size() == written.size() ||
             (written.size() > sys::kMaxIniValue && read.size() + 1 >= sys::kMaxIniValue));
  for (std::size_t i = 0; i < names.size(); ++i) {
    for (const auto& [oldKey, oldValue] : before[i]) {
      if (!(sys::SameIniName(names[i], s) && sys::SameIniName(oldKey, k))) {
        FUZZ_CHECK(after.ReadString(names[i], oldKey, "\x01") == oldValue);
      }
    }
  }
  return 0;
}

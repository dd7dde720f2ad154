#include "admin/UserRights.h"

#include <cstdint>
#include <stdexcept>

#include "frame/CommandText.h"
#include "frame/GbkText.h"
#include "frame/ResultText.h"
#include "sys/Files.h"
#include "sys/IniFile.h"
#include "sys/TempFolder.h"

namespace admin {
namespace {

// Names compare as the initialisation files compare them: blanks around them ignored,
// Latin letters a-z folded byte by byte.
char Fold(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameFolded(std::string_view a, std::string_view b) {
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

bool SameName(std::string_view a, std::string_view b) {
  return SameFolded(frame::TrimView(a), frame::TrimView(b));
}

// FNV-1a over the folded bytes, so that names that compare equal hash alike.
std::size_t NameHash(std::string_view name) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (char c : name) {
    hash ^= static_cast<unsigned char>(Fold(c));
    hash *= 1099511628211ULL;
  }
  return static_cast<std::size_t>(hash);
}

constexpr std::size_t kNoEntry = static_cast<std::size_t>(-1);
constexpr std::size_t kMinSlots = 16;

// Puts every entry into a fresh table of size slots (a power of two).
void Rehash(TRightsSection& section, std::size_t size) {
  section.Slots.assign(size, 0);
  for (std::size_t pos = 0; pos < section.Entries.size(); ++pos) {
    std::size_t i = NameHash(section.Entries[pos].first) & (size - 1);
    while (section.Slots[i] != 0) {
      i = (i + 1) & (size - 1);
    }
    section.Slots[i] = static_cast<std::uint32_t>(pos + 1);
  }
}

// Keeps the table at most half full with count entries.
void ReserveSlots(TRightsSection& section, std::size_t count) {
  std::size_t size = section.Slots.empty() ? kMinSlots : section.Slots.size();
  while (size < 2 * count) {
    size *= 2;
  }
  if (size != section.Slots.size()) {
    Rehash(section, size);
  }
}

// The slot that holds key (trimmed), or the empty slot where it would go.
std::size_t SlotOf(const TRightsSection& section, std::string_view key) {
  const std::size_t mask = section.Slots.size() - 1;
  std::size_t i = NameHash(key) & mask;
  while (section.Slots[i] != 0 && !SameFolded(section.Entries[section.Slots[i] - 1].first, key)) {
    i = (i + 1) & mask;
  }
  return i;
}

// Where key stands in section, or kNoEntry.
std::size_t EntryAt(const TRightsSection& section, std::string_view key) {
  if (section.Slots.empty()) {
    return kNoEntry;
  }
  const std::uint32_t slot = section.Slots[SlotOf(section, frame::TrimView(key))];
  return slot == 0 ? kNoEntry : slot - 1;
}

// Sets key to value: where the key stands, or as a new entry at the end.
void PutEntry(TRightsSection& section, std::string_view key, std::string_view value) {
  key = frame::TrimView(key);
  ReserveSlots(section, section.Entries.size() + 1);
  const std::size_t i = SlotOf(section, key);
  if (section.Slots[i] != 0) {
    section.Entries[section.Slots[i] - 1].second.assign(value);
    return;
  }
  section.Entries.emplace_back(key, value);
  section.Slots[i] = static_cast<std::uint32_t>(section.Entries.size());
}

void CheckValue(std::string_view value) {
  if (value.find_first_of("\r\n") != std::string_view::npos) {
    throw std::invalid_argument("a value cannot hold a line break");
  }
}

void CheckName(std::string_view name, const char* what) {
  if (frame::TrimView(name).empty() || name.find_first_of("=[]\r\n") != std::string_view::npos) {
    throw std::invalid_argument(std::string("not a usable ") + what +
                                " name: " + std::string(name));
  }
}

const TRightsSection* FindSection(const TRightsFile& file, std::string_view name) {
  for (const TRightsSection& section : file.Sections) {
    if (SameName(section.Name, name)) {
      return &section;
    }
  }
  return nullptr;
}

// The section of that name, added at the end of the file when there is none. Sections
// live in a deque, so a reference to one outlives the adding of another.
TRightsSection& SectionFor(TRightsFile& file, std::string_view name) {
  for (TRightsSection& section : file.Sections) {
    if (SameName(section.Name, name)) {
      return section;
    }
  }
  file.Sections.push_back(TRightsSection{std::string(frame::TrimView(name)), {}, {}});
  return file.Sections.back();
}

}  // namespace

std::string RightsFilePath() {
  return sys::TempFolder() + kRightsFileName;
}

// Only the three sections the dialog works with are kept; the server writes no others.
TRightsFile LoadRightsFile(const std::string& path) {
  TRightsFile file;
  file.Path = path;
  const sys::IniFile ini(path);
  for (const char* name : {kRightSection, kUpdateSection, kDeleteSection}) {
    if (!ini.SectionExists(name)) {
      continue;
    }
    TRightsSection& section = SectionFor(file, name);
    auto entries = ini.ReadSection(name);
    ReserveSlots(section, entries.size());
    section.Entries.reserve(entries.size());
    for (const auto& [key, value] : entries) {
      PutEntry(section, key, value);
    }
  }
  return file;
}

void SaveRightsFile(TRightsFile& file) {
  if (!file.Dirty) {
    return;
  }
  sys::WriteFileBytes(file.Path, RightsFileText(file));
  file.Dirty = false;
}

std::string RightsFileText(const TRightsFile& file) {
  std::size_t size = 0;
  for (const TRightsSection& section : file.Sections) {
    size += section.Name.size() + 6;
    for (const auto& [key, value] : section.Entries) {
      size += key.size() + value.size() + 3;
    }
  }
  std::string text;
  text.reserve(size);
  for (const TRightsSection& section : file.Sections) {
    if (section.Entries.empty()) {
      continue;  // a section without keys says nothing
    }
    if (!text.empty()) {
      text += "\r\n";
    }
    text += '[';
    text += section.Name;
    text += "]\r\n";
    for (const auto& [key, value] : section.Entries) {
      text += key;
      text += '=';
      text += value;
      text += "\r\n";
    }
  }
  return text;
}

std::string ReadRightsEntry(const TRightsFile& file, std::string_view section, std::string_view key,
                            std::string_view def) {
  const TRightsSection* found = FindSection(file, section);
  const std::size_t at = found == nullptr ? kNoEntry : EntryAt(*found, key);
  return at == kNoEntry ? std::string(def) : found->Entries[at].second;
}

void WriteRightsEntry(TRightsFile& file, std::string_view section, std::string_view key,
                      std::string_view value) {
  CheckName(section, "section");
  CheckName(key, "key");
  CheckValue(value);
  PutEntry(SectionFor(file, section), key, value);
  file.Dirty = true;
}

const std::vector<std::pair<std::string, std::string>>& RightsEntries(const TRightsFile& file,
                                                                      std::string_view section) {
  static const std::vector<std::pair<std::string, std::string>> kNone;
  const TRightsSection* found = FindSection(file, section);
  return found == nullptr ? kNone : found->Entries;
}

std::string NodeIdOf(std::string_view nodeText) {
  return std::to_string(frame::ItemCode(nodeText));
}

bool IsNodeIdKey(std::string_view key) {
  std::string_view digits = key.substr(!key.empty() && key[0] == '-' ? 1 : 0);
  if (digits.empty() || digits.size() > 10) {
    return false;
  }
  for (char c : digits) {
    if (c < '0' || c > '9') {
      return false;
    }
  }
  return frame::ParseDecimal(key).has_value();
}

std::string MaskOf(const TShownRights& checked) {
  std::string mask(kNoRightsMask);
  for (std::size_t k = 0; k < kShownRights; ++k) {
    if (checked[k]) {
      mask[k] = '1';
    }
  }
  return mask;
}

TShownRights ShownRightsOf(std::string_view mask) {
  TShownRights shown{};
  for (std::size_t k = 0; k < kShownRights && k < mask.size(); ++k) {
    shown[k] = mask[k] == '1';
  }
  return shown;
}

// A cleared node is deleted rather than updated, so that the server keeps no empty
// rights; a node the server has never seen is always updated, whatever its mask.
// The key is looked up once for all three sections: default rights run this for
// every node of the tree.
bool StoreNodeRights(TRightsFile& file, std::string_view key, std::string_view mask) {
  if (frame::TrimView(key).empty()) {
    return false;
  }
  CheckName(key, "key");
  CheckValue(mask);
  TRightsSection& right = SectionFor(file, kRightSection);
  const std::size_t known = EntryAt(right, key);
  const std::string_view old =
      known == kNoEntry ? std::string_view() : frame::GbkCut(right.Entries[known].second, kMaskLen);
  if (!old.empty() && mask == kNoRightsMask) {
    PutEntry(SectionFor(file, kDeleteSection), key, "");
  } else if (old.empty() || mask != old) {
    PutEntry(SectionFor(file, kUpdateSection), key, mask);
  } else {
    return false;
  }
  if (known == kNoEntry) {
    PutEntry(right, key, mask);
  } else {
    right.Entries[known].second.assign(mask);
  }
  file.Dirty = true;
  return true;
}

void ApplyDefaultRights(TRightsFile& file, const std::vector<std::string>& nodeIds) {
  // Room for every node at once: a tree of thousands of nodes grows each section once.
  for (const char* name : {kRightSection, kUpdateSection}) {
    TRightsSection& section = SectionFor(file, name);
    section.Entries.reserve(section.Entries.size() + nodeIds.size());
    ReserveSlots(section, section.Entries.size() + nodeIds.size());
  }
  for (const std::string& id : nodeIds) {
    StoreNodeRights(file, id, kQueryOnlyMask);
  }
}

std::string ReviewRightsBatch(std::string_view corpNo, std::string_view userId,
                              const std::vector<std::string>& items) {
  std::string batch = frame::FormatCommand("exec MN_DeleteUserCheckList %s,%s", {corpNo, userId});
  batch += '\x1E';
  for (const std::string& item : items) {
    if (item == userId) {
      continue;  // nobody reviews his own records
    }
    batch +=
        frame::FormatCommand("exec MN_InsertUserCheckList %s,%s,%s\r\n", {corpNo, userId, item});
  }
  return batch;
}

std::string AccountRightsBatch(std::string_view corpNo, std::string_view userId,
                               const std::vector<std::string>& accounts) {
  std::string batch = frame::FormatCommand("exec MN_DeleteUserAcList %s,%s\r\n", {corpNo, userId});
  for (const std::string& account : accounts) {
    batch +=
        frame::FormatCommand("exec MN_InsertAcRightList %s,%s,%s\r\n", {corpNo, userId, account});
  }
  return batch;
}

// The node id is the one unquoted argument, so only a checked decimal key is written.
std::string NodeRightsBatch(std::string_view corpNo, std::string_view userId,
                            const TRightsFile& file) {
  const std::string head = frame::FormatCommand("%s,%s,", {corpNo, userId});
  const auto& deletes = RightsEntries(file, kDeleteSection);
  const auto& updates = RightsEntries(file, kUpdateSection);
  std::string batch;
  batch.reserve((deletes.size() + updates.size()) * (head.size() + 48));
  for (const auto& [key, value] : deletes) {
    if (IsNodeIdKey(key)) {
      batch += "exec MN_DeleteUserRightList ";
      batch += head;
      batch += key;
      batch += "  \r\n";
    }
  }
  for (const auto& [key, value] : updates) {
    if (IsNodeIdKey(key)) {
      batch += "exec MN_UpdateRightItem ";
      batch += head;
      batch += key;
      batch += ',';
      batch += frame::Quoted(value);
      batch += "  \r\n";
    }
  }
  return batch;
}

}  // namespace admin

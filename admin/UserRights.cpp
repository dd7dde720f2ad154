#include "admin/UserRights.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "frame/CommandText.h"
#include "frame/GbkText.h"
#include "frame/ResultText.h"
#include "sys/Files.h"
#include "sys/IniFile.h"
#include "sys/TempFolder.h"
#include "ui/ListCtrls.h"

namespace admin {
namespace {

// Section names compare as the initialisation files compare them, blanks around them
// ignored.
bool SameName(std::string_view a, std::string_view b) {
  return sys::SameIniName(frame::TrimView(a), frame::TrimView(b));
}

// Up to eight bytes of a name as one word, read with fixed-size loads (a copy of a
// varying length would stall the load that follows it). Equal bytes give equal words.
std::uint64_t NameWord(const char* p, std::size_t n) {
  std::uint32_t lo = 0;
  std::uint32_t hi = 0;
  if (n >= 4) {
    std::memcpy(&lo, p, 4);
    std::memcpy(&hi, p + n - 4, 4);
  } else if (n > 0) {
    lo = static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[n / 2]) << 8 |
         static_cast<unsigned char>(p[n - 1]) << 16;
  }
  return lo | std::uint64_t{hi} << 32;
}

// The full 128-bit product of a and b, its two halves xored: computed from 32-bit
// halves, since 32-bit targets have no 128-bit integer type.
std::uint64_t FoldedProduct(std::uint64_t a, std::uint64_t b) {
  constexpr std::uint64_t kLow32 = 0xFFFFFFFFULL;
  const std::uint64_t aLo = a & kLow32;
  const std::uint64_t aHi = a >> 32;
  const std::uint64_t bLo = b & kLow32;
  const std::uint64_t bHi = b >> 32;
  const std::uint64_t lolo = aLo * bLo;
  const std::uint64_t hilo = aHi * bLo;
  const std::uint64_t lohi = aLo * bHi;
  const std::uint64_t hihi = aHi * bHi;
  // The middle column with the carries out of the low half.
  const std::uint64_t middle = (lolo >> 32) + (hilo & kLow32) + (lohi & kLow32);
  const std::uint64_t low = (middle << 32) | (lolo & kLow32);
  const std::uint64_t high = hihi + (hilo >> 32) + (lohi >> 32) + (middle >> 32);
  return low ^ high;
}

// Keys are short decimal ids, so they are hashed eight bytes at a time. Clearing bit
// 0x20 of every byte maps a-z onto A-Z, so names that compare equal hash alike; the
// other bytes it pairs up only cost a comparison.
std::uint64_t NameHash(std::string_view name) {
  constexpr std::uint64_t kCaseBits = 0x2020202020202020ULL;
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
  std::uint64_t hash = name.size();
  do {
    const std::size_t n = name.size() < 8 ? name.size() : 8;
    hash = FoldedProduct(hash ^ (NameWord(name.data(), n) & ~kCaseBits), kMultiplier);
    name.remove_prefix(n);
  } while (!name.empty());
  return hash;
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

// The slot that holds key (trimmed, hashed), or the empty slot where it would go.
std::size_t SlotOf(const TRightsSection& section, std::string_view key, std::uint64_t hash) {
  const std::size_t mask = section.Slots.size() - 1;
  std::size_t i = hash & mask;
  while (section.Slots[i] != 0 &&
         !sys::SameIniName(section.Entries[section.Slots[i] - 1].first, key)) {
    i = (i + 1) & mask;
  }
  return i;
}

// Where key (trimmed, hashed) stands in section, or kNoEntry.
std::size_t EntryAt(const TRightsSection& section, std::string_view key, std::uint64_t hash) {
  if (section.Slots.empty()) {
    return kNoEntry;
  }
  const std::uint32_t slot = section.Slots[SlotOf(section, key, hash)];
  return slot == 0 ? kNoEntry : slot - 1;
}

// The slot of key (trimmed, hashed) with room made for one more entry first, so that
// an empty slot found can take the key without a second search.
std::size_t SlotForPut(TRightsSection& section, std::string_view key, std::uint64_t hash) {
  ReserveSlots(section, section.Entries.size() + 1);
  return SlotOf(section, key, hash);
}

// Sets the entry of slot (from SlotForPut) to value, or adds key with value at the end
// when the slot is empty.
void PutAt(TRightsSection& section, std::size_t slot, std::string_view key,
           std::string_view value) {
  if (section.Slots[slot] != 0) {
    section.Entries[section.Slots[slot] - 1].second.assign(value);
    return;
  }
  section.Entries.emplace_back(key, value);
  section.Slots[slot] = static_cast<std::uint32_t>(section.Entries.size());
}

// Sets key (trimmed, hashed) to value: where the key stands, or as a new entry at the
// end. With keepOld an existing key keeps its value, as the first key read wins.
void PutEntry(TRightsSection& section, std::string_view key, std::uint64_t hash,
              std::string_view value, bool keepOld = false) {
  const std::size_t slot = SlotForPut(section, key, hash);
  if (!keepOld || section.Slots[slot] == 0) {
    PutAt(section, slot, key, value);
  }
}

void PutEntry(TRightsSection& section, std::string_view key, std::string_view value) {
  key = frame::TrimView(key);
  PutEntry(section, key, NameHash(key), value);
}

// The node id of a node's text as NodeIdOf gives it, without a string: a code of plain
// digits (no sign, no blank, no leading zero, at most nine digits, so no overflow) is its
// own decimal form and is taken from the text itself; any other is parsed and written
// into buffer.
std::string_view NodeKeyOf(std::string_view text, char (&buffer)[16]) {
  const std::size_t colon = text.find(':');
  if (colon != std::string_view::npos && colon >= 1 && colon <= 9 &&
      (text[0] != '0' || colon == 1)) {
    std::size_t i = 0;
    while (i < colon && text[i] >= '0' && text[i] <= '9') {
      ++i;
    }
    if (i == colon) {
      return text.substr(0, colon);
    }
  }
  const char* end = std::to_chars(buffer, buffer + sizeof buffer, frame::ItemCode(text)).ptr;
  return std::string_view(buffer, static_cast<std::size_t>(end - buffer));
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

// The store rule on a key already trimmed, checked and hashed, with the Right section
// found and the Update section once it is needed; Delete is found only when a node is
// cleared, so sections appear in the file in the order they were first written.
bool StoreMask(TRightsFile& file, TRightsSection& right, TRightsSection*& update,
               std::string_view key, std::uint64_t hash, std::string_view mask) {
  const std::size_t slot = SlotForPut(right, key, hash);  // Right alone grows Right
  const std::uint32_t known = right.Slots[slot];
  const std::string_view old =
      known == 0 ? std::string_view() : frame::GbkCut(right.Entries[known - 1].second, kMaskLen);
  if (!old.empty() && mask == kNoRightsMask) {
    PutEntry(SectionFor(file, kDeleteSection), key, hash, "");
  } else if (old.empty() || mask != old) {
    if (update == nullptr) {
      update = &SectionFor(file, kUpdateSection);
    }
    PutEntry(*update, key, hash, mask);
  } else {
    return false;
  }
  PutAt(right, slot, key, mask);
  file.Dirty = true;
  return true;
}

// Room in Right and Update for count more nodes: a tree of thousands of nodes grows
// each section once.
void ReserveForNodes(TRightsSection& right, TRightsSection& update, std::size_t count) {
  for (TRightsSection* section : {&right, &update}) {
    section->Entries.reserve(section->Entries.size() + count);
    ReserveSlots(*section, section->Entries.size() + count);
  }
}

}  // namespace

std::string RightsFilePath() {
  return sys::TempFolder() + kRightsFileName;
}

// Only the three sections the dialog works with are kept; the server writes no others.
// The file is read in one pass, and each entry copied once, into its section.
TRightsFile LoadRightsFile(const std::string& path) {
  static constexpr std::string_view kNames[] = {kRightSection, kUpdateSection, kDeleteSection};
  TRightsFile file;
  file.Path = path;
  const sys::IniFile ini(path);
  const std::vector<sys::IniSectionView> read = ini.ReadSectionViews(kNames);
  for (std::size_t n = 0; n < read.size(); ++n) {
    if (!read[n].Found) {
      continue;
    }
    TRightsSection& section = SectionFor(file, kNames[n]);
    ReserveSlots(section, read[n].Entries.size());
    section.Entries.reserve(read[n].Entries.size());
    for (const sys::IniEntryView& entry : read[n].Entries) {
      PutEntry(section, entry.Key, NameHash(entry.Key), entry.Value, true);
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
  key = frame::TrimView(key);
  const std::size_t at = found == nullptr ? kNoEntry : EntryAt(*found, key, NameHash(key));
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
  char buffer[16];
  return std::string(NodeKeyOf(nodeText, buffer));
}

bool IsNodeIdKey(std::string_view key) {
  const bool negative = !key.empty() && key[0] == '-';
  const std::string_view digits = key.substr(negative ? 1 : 0);
  if (digits.empty() || digits.size() > 10) {
    return false;
  }
  std::int64_t value = 0;  // ten digits always fit
  for (char c : digits) {
    if (c < '0' || c > '9') {
      return false;
    }
    value = value * 10 + (c - '0');
  }
  return value <= (negative ? std::int64_t{2147483648} : std::int64_t{2147483647});
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
bool StoreNodeRights(TRightsFile& file, std::string_view key, std::string_view mask) {
  const std::string_view trimmed = frame::TrimView(key);
  if (trimmed.empty()) {
    return false;
  }
  CheckName(key, "key");
  CheckValue(mask);
  TRightsSection* update = nullptr;
  return StoreMask(file, SectionFor(file, kRightSection), update, trimmed, NameHash(trimmed), mask);
}

// Default rights run the store rule for every node of the tree: the sections are found
// once and each key hashed once.
// A node id is a decimal int: never empty, with no character a name cannot hold, so
// it needs no check.
void ApplyDefaultRights(TRightsFile& file, std::span<ui::TTreeNode* const> nodes) {
  TRightsSection& right = SectionFor(file, kRightSection);
  TRightsSection* update = &SectionFor(file, kUpdateSection);
  ReserveForNodes(right, *update, nodes.size());
  char buffer[16];
  for (const ui::TTreeNode* node : nodes) {
    const std::string_view key = NodeKeyOf(node->Text(), buffer);
    StoreMask(file, right, update, key, NameHash(key), kQueryOnlyMask);
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
  auto call = [&](std::string_view procedure, std::string_view key) {
    batch += "exec ";
    batch += procedure;
    batch += ' ';
    batch += head;
    batch += key;
  };
  for (const auto& [key, value] : deletes) {
    if (IsNodeIdKey(key)) {
      call("MN_DeleteUserRightList", key);
      batch += "  \r\n";
    }
  }
  for (const auto& [key, value] : updates) {
    if (IsNodeIdKey(key)) {
      call("MN_UpdateRightItem", key);
      batch += ',';
      if (value.find('\'') == std::string::npos) {
        batch += '\'';  // a mask needs no doubled quote, so no quoted copy either
        batch += value;
        batch += '\'';
      } else {
        batch += frame::Quoted(value);
      }
      batch += "  \r\n";
    }
  }
  return batch;
}

}  // namespace admin

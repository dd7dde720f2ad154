#include "admin/UserRights.h"

#include <stdexcept>

#include "frame/CommandText.h"
#include "frame/GbkText.h"
#include "frame/ResultText.h"
#include "sys/Files.h"
#include "sys/IniFile.h"
#include "sys/TempFolder.h"

namespace admin {
namespace {

// Names compare as the initialisation files compare them: Latin letters folded only.
std::string Folded(std::string_view name) {
  return frame::GbkUpperAscii(frame::TrimView(name));
}

void CheckName(std::string_view name, const char* what) {
  if (frame::TrimView(name).empty() || name.find_first_of("=[]\r\n") != std::string_view::npos) {
    throw std::invalid_argument(std::string("not a usable ") + what +
                                " name: " + std::string(name));
  }
}

const TRightsSection* FindSection(const TRightsFile& file, std::string_view name) {
  const std::string folded = Folded(name);
  for (const TRightsSection& section : file.Sections) {
    if (Folded(section.Name) == folded) {
      return &section;
    }
  }
  return nullptr;
}

TRightsSection& SectionFor(TRightsFile& file, std::string_view name) {
  if (const TRightsSection* found = FindSection(file, name)) {
    return const_cast<TRightsSection&>(*found);
  }
  file.Sections.push_back(TRightsSection{std::string(frame::TrimView(name)), {}, {}});
  return file.Sections.back();
}

void AddEntry(TRightsSection& section, std::string key, std::string value) {
  section.Index.emplace(Folded(key), section.Entries.size());
  section.Entries.emplace_back(std::move(key), std::move(value));
}

// The first eight characters of a stored mask.
std::string StoredMask(const TRightsFile& file, std::string_view key, std::string_view def) {
  return std::string(frame::GbkCut(ReadRightsEntry(file, kRightSection, key, def), kMaskLen));
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
    for (auto& [key, value] : ini.ReadSection(name)) {
      AddEntry(section, std::move(key), std::move(value));
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
  if (found == nullptr) {
    return std::string(def);
  }
  auto at = found->Index.find(Folded(key));
  return at == found->Index.end() ? std::string(def) : found->Entries[at->second].second;
}

void WriteRightsEntry(TRightsFile& file, std::string_view section, std::string_view key,
                      std::string_view value) {
  CheckName(section, "section");
  CheckName(key, "key");
  if (value.find_first_of("\r\n") != std::string_view::npos) {
    throw std::invalid_argument("a value cannot hold a line break");
  }
  TRightsSection& target = SectionFor(file, section);
  auto at = target.Index.find(Folded(key));
  if (at != target.Index.end()) {
    target.Entries[at->second].second = std::string(value);
  } else {
    AddEntry(target, std::string(frame::TrimView(key)), std::string(value));
  }
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
bool StoreNodeRights(TRightsFile& file, std::string_view key, std::string_view mask) {
  if (frame::TrimView(key).empty()) {
    return false;
  }
  const std::string old = StoredMask(file, key, "");
  if (old.empty()) {
    WriteRightsEntry(file, kUpdateSection, key, mask);
  } else if (mask == kNoRightsMask) {
    WriteRightsEntry(file, kDeleteSection, key, "");
  } else if (mask != old) {
    WriteRightsEntry(file, kUpdateSection, key, mask);
  } else {
    return false;
  }
  WriteRightsEntry(file, kRightSection, key, mask);
  return true;
}

void ApplyDefaultRights(TRightsFile& file, const std::vector<std::string>& nodeIds) {
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

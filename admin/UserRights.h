// The user dialog's rights editing outside the dialog: the rights file UsrRight.ini
// with its sections Right, Update and Delete, the store rule that records a node's new
// mask, default rights, node ids, and the three save batches.
//
// The rights file is held in memory while business rights are on (TRightsFile) and
// written back whole when it changed, so that editing thousands of nodes never rewrites
// the file once per node. It follows the initialisation-file rules of sys/IniFile.h:
// section and key names compare without regard to case, the first key of a name wins,
// a key written again keeps its place, a new key goes to the end of its section.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ui {
class TTreeNode;
}

namespace admin {

inline constexpr char kRightsFileName[] = "UsrRight.ini";
inline constexpr char kRightSection[] = "Right";
inline constexpr char kUpdateSection[] = "Update";
inline constexpr char kDeleteSection[] = "Delete";

// A rights mask: 8 characters '0'/'1'; the first five are shown (query, add, modify,
// delete, fifth right), the last three are always written as '0'.
inline constexpr std::size_t kMaskLen = 8;
inline constexpr std::size_t kShownRights = 5;
inline constexpr char kNoRightsMask[] = "00000000";
inline constexpr char kQueryOnlyMask[] = "10000000";
using TShownRights = std::array<bool, kShownRights>;

// The current node id of the dialog is at most this long.
inline constexpr std::size_t kNodeIdLen = 35;

// One section of the rights file: its entries in file order (keys trimmed) and an
// index over them by folded key: open addressing, each slot the entry's position + 1
// (0 for an empty slot), so a new key costs no allocation of its own.
struct TRightsSection {
  std::string Name;
  std::vector<std::pair<std::string, std::string>> Entries;
  std::vector<std::uint32_t> Slots;
};

// The rights file as the dialog keeps it while business rights are on.
struct TRightsFile {
  std::string Path;
  std::deque<TRightsSection> Sections;  // in file order
  bool Dirty = false;                   // changed since it was read or written
};

// UsrRight.ini in the private temporary folder.
std::string RightsFilePath();

// Reads the three sections of the file at path; a missing file reads as an empty one.
TRightsFile LoadRightsFile(const std::string& path);

// Writes the file back when it changed since it was read or last written.
void SaveRightsFile(TRightsFile& file);

// The file's text as it is written: each section under its "[name]" line, one
// "key=value" line per entry, sections separated by an empty line, lines ended by CR LF.
std::string RightsFileText(const TRightsFile& file);

// The value of key in section, def when there is none.
std::string ReadRightsEntry(const TRightsFile& file, std::string_view section, std::string_view key,
                            std::string_view def);

// Sets key in section (see the rules above). Throws std::invalid_argument for a name the
// file cannot hold (empty, "=", "[", "]" or a line break) or a value with a line break.
void WriteRightsEntry(TRightsFile& file, std::string_view section, std::string_view key,
                      std::string_view value);

// The section's entries in file order; empty when the file has no such section.
const std::vector<std::pair<std::string, std::string>>& RightsEntries(const TRightsFile& file,
                                                                      std::string_view section);

// The node id of a tree node's text "id:name": the code before the first ':' in
// decimal, "-1" for a text without one.
std::string NodeIdOf(std::string_view nodeText);

// A key that can stand unquoted in a batch: an optional '-' and decimal digits that fit
// 32 bits. The file comes from the server, so every other key is left out of a batch.
bool IsNodeIdKey(std::string_view key);

// The mask of five shown rights, positions 6 to 8 '0'.
std::string MaskOf(const TShownRights& checked);
// The five shown rights of a mask; missing characters count as '0'.
TShownRights ShownRightsOf(std::string_view mask);

// Records mask for the node key: a node the file does not know goes to Update, a node
// whose rights are all cleared to Delete, a changed mask to Update, and Right always
// follows. An unchanged mask and an empty key (no node shown) write nothing. Returns
// whether anything was written.
bool StoreNodeRights(TRightsFile& file, std::string_view key, std::string_view mask);

// The store rule with "10000000" for every node in the order given (TTreeView::Nodes():
// parents before their children), each node's id taken from its text as NodeIdOf takes
// it, without a list of ids built first.
void ApplyDefaultRights(TRightsFile& file, std::span<ui::TTreeNode* const> nodes);

// The review-rights batch: the list emptied (its line ended by the byte 30), then one
// insert per item, the edited user himself left out.
std::string ReviewRightsBatch(std::string_view corpNo, std::string_view userId,
                              const std::vector<std::string>& items);

// The account-rights batch: the rights emptied, then one insert per account number.
std::string AccountRightsBatch(std::string_view corpNo, std::string_view userId,
                               const std::vector<std::string>& accounts);

// The node-rights batch: a delete line per key of Delete, then an update line per key
// of Update with its mask, in file order; keys that are no node id are left out.
std::string NodeRightsBatch(std::string_view corpNo, std::string_view userId,
                            const TRightsFile& file);

}  // namespace admin

// The command channel to the host library: channel prefix, Traditional-Chinese
// conversion, the "Error:%s" report, and the wrappers every dialog calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The commands sent here are built with FormatCommand and Quoted.
#include "frame/CommandText.h"
#include "sys/Abi.h"

namespace frame {

inline constexpr int kChannelMain = 3;  // "A01": MN_, MB_ and Sh_ commands
inline constexpr int kChannelBank = 4;  // "A03": ST_GetBankSimple
inline constexpr std::size_t kListBufferSize = 10240;
inline constexpr char kFieldSep = '\x07';

// What may throw. The wrappers below report a failed command ("Error:%s") and return
// its status or the caller's default, and a temporary folder that is refused is reported
// and returned the same way (ResultFileName). What they still throw:
// - std::runtime_error naming the table, in Traditional-Chinese mode, when OpenCC's
//   character tables cannot be read (ToServerText, ToUserText);
// - std::runtime_error, in Traditional-Chinese mode, when a result file cannot be read
//   or its converted text not written back (HostFileCommand; the result file is then
//   removed, never left half converted);
// - std::length_error for a command longer than the host's 32-bit length;
// - std::bad_alloc.
// Callers leave these to the dialog dispatch or the entry point, which show them.

// Sends command and reads the answer into result, cut to bufferSize - 1 bytes and
// to the host's terminating zero. On failure shows "Error:%s" and returns the host's
// status; result then holds what the host left.
[[nodiscard]] int HostCommand(HWND_T window, int channel, std::string_view command,
                              std::string& result, std::size_t bufferSize);

// Sends command; the host writes the answer into fileName. On failure shows
// "Error:%s" and returns the host's status. In Traditional-Chinese mode the file is
// converted in place; when that fails the file is removed and the error thrown.
[[nodiscard]] int HostFileCommand(HWND_T window, int channel, std::string_view command,
                                  const std::string& fileName);

// Deletes a result file of HostFileCommand, with the conversion file the channel may
// leave beside it, on every path out of its reader's scope.
struct ResultFileGuard {
  const std::string& name;
  ~ResultFileGuard();
};

// The first row of the answer, or def when the command fails.
[[nodiscard]] std::string HostCommandText(HWND_T window, int channel, std::string_view command,
                                          std::string_view def, std::size_t bufferSize);

// The first row's part before the first field separator as a decimal integer, or def
// when the command fails or that part is no integer.
[[nodiscard]] int HostCommandInt(HWND_T window, int channel, std::string_view command, int def);

// Replaces list by the answer's rows (one item per row) and returns true; a result file
// that cannot be read empties the list. On failure list stays as it was and the result
// is false: a failed command, or no result file name to be had (ResultFileName; then
// nothing is sent).
[[nodiscard]] bool HostCommandList(HWND_T window, int channel, std::string_view command,
                                   std::vector<std::string>& list);

// A full path for a new result file in the private temporary folder; no file or link
// of that name exists when it is returned. Throws std::runtime_error with the reason
// when there is none: the folder is refused (sys::TempFolder), its path leaves no room
// for a name within kMaxFileNameLen, or no free name is found.
[[nodiscard]] std::string NewTempFileName();

// NewTempFileName for a command about to be sent: a refusal is reported as a failed
// command is ("Error:" and the reason) and gives nothing, so that the caller sends
// nothing and goes on as after a failed command. The list, folder and export commands
// take their names here.
[[nodiscard]] std::optional<std::string> ResultFileName();

// On a Traditional-Chinese system: Big5 -> GBK Simplified, and GBK -> Big5 Traditional.
// Both throw std::runtime_error naming the table when OpenCC's tables cannot be read.
std::string ToServerText(std::string_view text);
std::string ToUserText(std::string_view text);

// True when the system locale is Chinese (Taiwan); read once.
bool TraditionalMode();

// The four bytes put in front of a command on a channel ("A01" 0x07 on channel 3,
// "A03" 0x07 on channel 4), empty for any other channel.
std::string_view ChannelPrefix(int channel);

// Upper bound of a result file name, zero byte excluded (TFolderList::FileName).
inline constexpr std::size_t kMaxFileNameLen = 127;

namespace detail {
// The mode a locale gives: primary language 4, sub-language 1.
bool TraditionalModeOf(int primaryLanguage, int subLanguage);
// Forgets the mode read once, so that the next TraditionalMode() reads the locale again
// (tests that change LANG).
void ForgetTraditionalMode();
// NewTempFileName's search: folder followed by the decimal of next(), drawn again while
// that name exists.
std::string PickFreeName(const std::string& folder, const std::function<std::uint64_t()>& next);
}  // namespace detail

// ToUserText in Traditional-Chinese mode (and its error), the text itself otherwise: for
// everything shown to the operator.
std::string ShownText(std::string_view text);
// A fixed text of the module (UTF-8 in the sources) in a plain message box, converted as
// everything shown.
void ShowFixedText(std::string_view utf8);

}  // namespace frame

// The shell's command line and the `# call:` line of an example script.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shell {

// The sixteen entry points of the module, in the order of its interface.
inline constexpr const char* kEntryNames[] = {
    "Mn_UserEdit",         "Mn_AcEdit",         "Mn_CustAcEdit",      "Mn_CustomerEdit",
    "Mn_CustAcNoList",     "Mn_AcOrderEdit",    "Mn_GetCheckList",    "Mn_GetAuthoriseList",
    "Mn_GetSendList",      "Mn_GetDeletedList", "Mn_GetRejectedList", "Mn_CheckRecord",
    "Mn_StatusFolderList", "Mn_UsageEdit",      "Mn_CustCNYAcEdit",   "Mn_UserListPrint",
};

bool IsEntryName(std::string_view name);

// The five review-list entry points take six parameters and fill a folder list.
bool IsListEntry(std::string_view name);

// What one call is made with. Texts are GBK, ready for the module; paths are bytes
// as given. An option not given stays empty so that a later source can fill it.
struct CallOptions {
  std::string entry;
  std::optional<std::string> corp;
  std::optional<std::string> user;
  std::optional<std::int32_t> function;
  std::optional<std::string> key;
  std::optional<std::string> extra;
  std::optional<std::string> script;
  std::optional<std::string> transcript;
  std::optional<std::string> module;
  std::optional<std::string> ui;  // "qt" or "headless": the module's platform (TAVRO_UI)
  bool strict = false;            // an error box or a failed print fails the call (exit status 6)
};

enum class Command { Call, Run, Entries, Help };

struct CommandLine {
  Command command = Command::Help;
  std::string runFile;  // run: the example script
  CallOptions options;  // call: everything; run: the options after FILE; entries: --module
  std::string help;     // help: the page asked for (the program's or a command's), or the version
};

// Parses the arguments after the program name. Text values are UTF-8 and must be
// writable in GBK. Returns false with a message for anything that is not a well-formed
// command (the shell's exit status 2). "help", --help or -h (also after a command)
// give the command Help with its page, --version with the version line. An id (--corp,
// --user) must fit its field of the module whole and have no blanks at its ends.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error);

// Reads the call named by the first line of an example script, `# call: ENTRY [options]`.
bool ReadCallLine(const std::string& file, CallOptions& options, std::string& error);

// Fills every option of base that over gives; over wins. --strict given by either holds.
void MergeOptions(CallOptions& base, const CallOptions& over);

}  // namespace shell

// Loads the module (and a substitute host library when one is named), calls one
// entry point and reports the outcome as the shell's exit status.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "shell/ShellOptions.h"

namespace shell {

// Exit statuses of tavro-shell.
enum ExitStatus : int {
  kExitOk = 0,
  kExitUsage = 2,           // bad usage, or the module or entry point cannot be found
  kExitScriptFailed = 3,    // the transcript of the call records an error
  kExitRaised = 4,          // the entry point raised
  kExitRowsUnreadable = 5,  // a list read no rows: its host command failed, or its rows
                            // file cannot be read
  kExitErrorShown = 6       // --strict: the call showed an error box or a failed print
};

// The module beside the running program: libManageEdit.so, ManageEdit.dll on Windows
// (defined with what else differs by platform, shell/ShellSystem.h).
std::string DefaultModulePath();

// The call of `tavro-shell call` (and of `run`, once its options are merged). A script
// of "-" is read from standard input. Prints the result (or the folder list), then the
// summary line of each piece of long work the call ran, from its transcript.
int RunCall(const CallOptions& options, std::ostream& out, std::ostream& err);

// Prints those of the sixteen entry points that the module exports, one a line.
int ListEntries(const std::optional<std::string>& module, std::ostream& out, std::ostream& err);

}  // namespace shell

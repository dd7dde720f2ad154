// What the shell asks of the operating system, one file per platform: the process set
// up for a call, the substitute host library, the environment the module
// reads its platform and script from, the call's private transcript, the rows file a
// list names, and the window that stands in for the banking client's own.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "sys/Abi.h"

namespace shell {

// Makes the process ready for a call: on Linux a reader that goes away ends the output,
// not the process, and an interrupt removes the call's private transcript.
void PrepareProcess();

// A module named without a folder means the file of that name in the current folder.
std::string ModuleFileName(const std::string& name);

// A substitute host library named by TAVRO_HOST_LIBRARY is loaded first, so the
// module's qelCommand and qelFileGet bind to it rather than to its own dependency.
// False with a message when it cannot be loaded.
bool LoadHostLibrary(std::ostream& err);

// Sets a variable of the process's environment, as the module's getenv sees it.
void SetVariable(const char* name, const std::string& value);

// The size of a file; 0 when it cannot be read.
std::uintmax_t FileSize(const std::string& path);
bool IsRegularFile(const std::string& path);
// Makes sure the file can be appended to (creating it); false with the reason.
bool CanAppend(const std::string& path, std::string& why);
void RemoveFile(const std::string& path);

// A private temporary file for the call's transcript. The guard keeps it known to the
// interrupt handler while it lives (nothing on Windows); it never removes the file.
struct PrivateFile {
  std::string path;
  std::shared_ptr<void> guard;
};
bool CreatePrivateFile(PrivateFile& file, std::string& why);

// Reads a regular file, never through a link; false with a reason otherwise.
bool ReadRowsFile(const char* name, std::string& content, std::string& error);

// The window passed to every entry point as the owner of its dialogs. Linux shells
// have none (the headless platform only records the handle, the Qt platform centres
// its dialogs on the screen); on Windows it is a top-level window of the shell's own,
// shown while the call runs.
struct ShellWindow {
  HWND_T handle = 0;
};
ShellWindow OpenShellWindow();
void CloseShellWindow(ShellWindow& window);

}  // namespace shell

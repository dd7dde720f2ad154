// The running executable's full name and the current working folder.
#pragma once

#include <string>

namespace sys {

// The program file of this process (not the module), from /proc/self/exe; empty when
// it cannot be read.
std::string ExecutablePath();

// The current working folder without a trailing '/' (except for "/" itself); empty
// when it cannot be read.
std::string CurrentFolder();

// The folder part of a path without a trailing '/' ("/" for a file at the root, empty
// for a name without a folder).
std::string FolderOf(const std::string& path);

}  // namespace sys

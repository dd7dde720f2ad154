// The command-line arguments of a program as UTF-8, the text every path and
// command inside is. Linux hands them over as they were typed (UTF-8 in the locales the
// tools run in); Windows hands main() the ANSI code page's bytes, which lose whatever that
// code page lacks, so the Windows file takes the wide command line instead.
#pragma once

#include <string>
#include <vector>

namespace sys {

// argv[0] to argv[argc - 1] as UTF-8.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

}  // namespace sys

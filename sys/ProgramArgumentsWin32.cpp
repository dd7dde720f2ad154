// A program's arguments on Windows: the wide command line, split as the C runtime splits
// it (CommandLineToArgvW), each argument made UTF-8, so a Chinese path reaches the program
// whatever the ANSI code page.
#include "sys/ProgramArguments.h"
#include "sys/Win32Api.h"
// clang-format off
#include <shellapi.h>
// clang-format on

namespace sys {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) {
    return std::vector<std::string>(argv, argv + (argc > 0 ? argc : 0));
  }
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    arguments.push_back(win32::Narrow(wide[i]));
  }
  LocalFree(wide);
  return arguments;
}

}  // namespace sys

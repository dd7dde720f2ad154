// A program's arguments on Linux: as the program was given them.
#include "sys/ProgramArguments.h"

namespace sys {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + (argc > 0 ? argc : 0));
}

}  // namespace sys

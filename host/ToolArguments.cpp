// The tools' arguments on Linux: as the program was given them.
#include "host/ToolArguments.h"

namespace host {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + (argc > 0 ? argc : 0));
}

}  // namespace host

#include "ui/script/Transcript.h"

#include <cstdio>
#include <fstream>

#include "sys/FileSystemName.h"

namespace ui {

// One append per line: the file is never held open between events.
void Transcript::Add(std::string line) {
  if (!path_.empty()) {
    // The name is UTF-8: on Windows a narrow name would be read in the ANSI code page.
    std::ofstream file(sys::PathOfUtf8(path_), std::ios::binary | std::ios::app);
    file << line << '\n';
    if (!file.flush() && !warned_) {
      // Whoever reads the file would take a missing error line for success: say so.
      std::fprintf(stderr, "cannot write the transcript %s\n", path_.c_str());
      warned_ = true;
    }
  }
  lines_.push_back(std::move(line));
}

}  // namespace ui

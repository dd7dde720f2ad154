#include "ui/script/Transcript.h"

#include <cstdio>

namespace ui {

// One append per line: the file is never held open between events.
void Transcript::Add(std::string line) {
  if (!path_.empty()) {
    if (std::FILE* f = std::fopen(path_.c_str(), "ab")) {
      std::fwrite(line.data(), 1, line.size(), f);
      std::fputc('\n', f);
      std::fclose(f);
    } else if (!warned_) {
      // Whoever reads the file would take a missing error line for success: say so.
      std::fprintf(stderr, "cannot write the transcript %s\n", path_.c_str());
      warned_ = true;
    }
  }
  lines_.push_back(std::move(line));
}

}  // namespace ui

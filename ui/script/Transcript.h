// The transcript of a script's run: UTF-8 lines kept in memory and appended to a file
// as they happen, so a run that dies still leaves what it saw.
#pragma once

#include <string>
#include <vector>

namespace ui {

class Transcript {
 public:
  void SetFile(std::string path) { path_ = std::move(path); }
  void Add(std::string line);
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::string path_;
  bool warned_ = false;
  std::vector<std::string> lines_;
};

}  // namespace ui

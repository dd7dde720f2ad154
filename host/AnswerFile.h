// The answer file of qelFileGet, on the embedded bank and through the bank's service
// alike: created exclusively (an existing file is never overwritten, a link at the
// name is never followed, mode 0600), written as the answer comes, emptied when a run
// of the command starts again, and removed when the command fails, so that a caller
// never finds half an answer.
#pragma once

#include <string>
#include <string_view>

#include "host/Interpreter.h"

namespace host {

class AnswerFile {
 public:
  // Creates path; Created() says whether that worked and CreateError() why not.
  explicit AnswerFile(const char* path);
  ~AnswerFile();
  AnswerFile(const AnswerFile&) = delete;
  AnswerFile& operator=(const AnswerFile&) = delete;

  bool Created() const { return created_; }
  const std::string& CreateError() const { return createError_; }

  // A run of the command starts: a closed file is opened again, a written one emptied.
  Status Restart(std::string& error);
  // Appends part (resuming after signals and short writes).
  Status Append(std::string_view part, std::string& error);
  // The answer is whole.
  Status Close(std::string& error);
  // The command failed: the file goes.
  void Remove();

 private:
  static Status Failure(std::string& error);

  std::string path_;
  int fd_ = -1;
  bool created_ = false;
  bool written_ = false;
  std::string createError_;
};

}  // namespace host

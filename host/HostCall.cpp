// The entry points' work on an open connection: the command text by length, the
// answer into the caller's buffer or into a new file created exclusively.
#include "host/HostCall.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/Database.h"

namespace host {
namespace {

// Writes all of data to fd, resuming after signals and short writes.
bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// The answer file of qelFileGet, written as the answer comes (a long answer in
// parts) and closed when it is over, all before the transaction commits, so an answer
// that cannot be delivered undoes the change instead of reporting a failure that
// stuck. A writer run again after a conflict with another workstation writes it
// afresh.
class FileAnswer : public AnswerSink {
 public:
  FileAnswer(int fd, const char* file) : fd_(fd), file_(file) {}
  ~FileAnswer() override {
    if (fd_ >= 0) {
      close(fd_);
    }
  }
  FileAnswer(const FileAnswer&) = delete;
  FileAnswer& operator=(const FileAnswer&) = delete;

  bool TakesParts() const override { return true; }
  Status Start(std::string& error) override {
    if (fd_ < 0) {
      fd_ = open(file_, O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
    } else if (written_ && (ftruncate(fd_, 0) != 0 || lseek(fd_, 0, SEEK_SET) != 0)) {
      return Failure(error);
    }
    written_ = false;
    return fd_ >= 0 ? Status::Ok : Failure(error);
  }
  Status Take(std::string_view part, std::string& error) override {
    written_ = true;
    return WriteAll(fd_, part) ? Status::Ok : Failure(error);
  }
  Status Finish(std::string& error) override {
    const int closed = close(fd_);
    fd_ = -1;
    return closed == 0 ? Status::Ok : Failure(error);
  }

 private:
  static Status Failure(std::string& error) {
    error = std::string("cannot write the answer file: ") + std::strerror(errno);
    return Status::FileError;
  }

  int fd_;
  const char* file_;
  bool written_ = false;
};

Outcome Refused(std::string error) {
  Outcome outcome;
  outcome.status = Status::Refused;
  outcome.error = std::move(error);
  return outcome;
}

}  // namespace

bool ReadCommandText(const char* command, std::int32_t length, std::string_view& text,
                     std::string& error) {
  if (!command || length < 0) {
    error = "no command";
    return false;
  }
  text = std::string_view(command, static_cast<std::size_t>(length));
  while (!text.empty() && text.back() == '\0') {
    text.remove_suffix(1);
  }
  if (text.find('\0') != std::string_view::npos) {
    error = "the command holds a zero byte";
    return false;
  }
  return true;
}

Outcome CallIntoBuffer(Db& db, const Server& server, std::string_view raw, char* result,
                       std::int32_t capacity) {
  if (!result || capacity < 0) {
    return Refused("no result buffer");
  }
  result[0] = '\0';
  Channel channel{};
  std::string_view command;
  std::string error;
  if (!SplitChannel(raw, channel, command, error)) {
    return Refused(error);
  }
  std::size_t room = static_cast<std::size_t>(capacity);
  Outcome outcome =
      RunCommand(db, server, channel, command, [&](std::string_view answer, std::string& refusal) {
        if (answer.size() > room) {
          refusal = "the answer (" + std::to_string(answer.size()) +
                    " bytes) does not fit the buffer of " + std::to_string(room) + " bytes";
          return Status::NoRoom;
        }
        std::memcpy(result, answer.data(), answer.size());
        result[answer.size()] = '\0';
        return Status::Ok;
      });
  // The answer is handed over before the commit; a commit that fails must not leave
  // it behind to be read as the result of a change that did not happen.
  if (!outcome.ok()) {
    result[0] = '\0';
  }
  return outcome;
}

Outcome CallIntoFile(Db& db, const Server& server, std::string_view raw, const char* file) {
  if (!file || !*file) {
    return Refused("no answer file named");
  }
  Channel channel{};
  std::string_view command;
  std::string error;
  if (!SplitChannel(raw, channel, command, error)) {
    return Refused(error);
  }
  // Exclusive creation: an existing file is never overwritten and a link at the name
  // is never followed.
  int fd = open(file, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    Outcome outcome;
    outcome.status = Status::FileError;
    outcome.error = errno == EEXIST
                        ? std::string("the answer file exists already")
                        : std::string("cannot create the answer file: ") + std::strerror(errno);
    return outcome;
  }
  FileAnswer answer(fd, file);
  Outcome outcome = RunCommand(db, server, channel, command, answer);
  if (!outcome.ok()) {
    unlink(file);
  }
  return outcome;
}

}  // namespace host

// The entry points' work on an open connection: the command text by length, the
// answer into the caller's buffer or into a new file created exclusively.
#include "host/HostCall.h"

#include <cstring>

#include "host/AnswerFile.h"
#include "host/Database.h"

namespace host {
namespace {

// qelFileGet's answer into its file, as the answer comes (a long answer in parts) and
// closed when it is over, all before the transaction commits, so an answer that
// cannot be delivered undoes the change instead of reporting a failure that stuck. A
// writer run again after a conflict with another workstation writes it afresh.
class FileAnswer : public AnswerSink {
 public:
  explicit FileAnswer(AnswerFile& file) : file_(file) {}
  bool TakesParts() const override { return true; }
  Status Start(std::string& error) override { return file_.Restart(error); }
  Status Take(std::string_view part, std::string& error) override {
    return file_.Append(part, error);
  }
  Status Finish(std::string& error) override { return file_.Close(error); }

 private:
  AnswerFile& file_;
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
  AnswerFile out(file);
  if (!out.Created()) {
    Outcome outcome;
    outcome.status = Status::FileError;
    outcome.error = out.CreateError();
    return outcome;
  }
  FileAnswer answer(out);
  Outcome outcome = RunCommand(db, server, channel, command, answer);
  if (!outcome.ok()) {
    out.Remove();
  }
  return outcome;
}

}  // namespace host

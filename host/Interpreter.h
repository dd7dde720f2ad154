// Runs one command from the wire against the bank database: parses it, checks every
// call against its procedure's signature, runs the calls inside one transaction and
// hands the framed answer over before the transaction commits.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "host/Procedure.h"
#include "host/WireText.h"

namespace host {

class Db;

// Where the interpreter finds the server's procedures; tests supply their own.
struct Server {
  const ProcedureSpec* (*find)(const std::string& name) = nullptr;
  bool (*matchSelect)(const std::string& utf8Sql, std::string& corpId) = nullptr;
  Answer (*runSelect)(Db& db, const std::string& corpId) = nullptr;
};

// The bank server's own procedures.
inline Server BankServer() {
  return Server{FindProcedure, MatchUserReportSelect, RunUserReport};
}

// The status a command answers with (0 is success, as the module expects).
enum class Status : int {
  Ok = 0,
  Refused = 1,     // malformed command, unknown name, wrong arguments, bad channel
  Failed = 2,      // the procedure refused or the database failed; nothing changed
  Busy = 3,        // another process held the database past the busy timeout
  NoDatabase = 4,  // the database could not be opened
  NoRoom = 5,      // the answer does not fit the caller's buffer
  FileError = 6,   // the answer file could not be created or written
};

// Receives the answer (GBK wire text) while the transaction is still open; any status
// but Ok (with an error text) rolls the command back, so a caller that cannot take the
// answer never leaves a change behind.
using Deliver = std::function<Status(std::string_view answer, std::string& error)>;

// The same for a caller that may take a long answer in parts, as its rows are read,
// and is told when a run of the command starts and when the whole answer is over.
class AnswerSink {
 public:
  virtual ~AnswerSink() = default;
  // True when the answer may come in several parts; else Take is called once.
  virtual bool TakesParts() const { return false; }
  // A run starts: a writer run again after a conflict with another workstation starts
  // afresh, and what an earlier run handed over is to be dropped.
  virtual Status Start(std::string& /*error*/) { return Status::Ok; }
  // The answer, or its next part (whole rows).
  virtual Status Take(std::string_view part, std::string& error) = 0;
  // All of the answer was handed over; called before the commit.
  virtual Status Finish(std::string& /*error*/) { return Status::Ok; }
  // The last step inside the command's transaction, after Finish and before the
  // commit: a caller may store what the command answered together with what it
  // changed (access says whether it could change anything).
  virtual Status Settle(Db& /*db*/, Access /*access*/, std::string& /*error*/) {
    return Status::Ok;
  }
};

struct Outcome {
  Status status = Status::Ok;
  std::string error;  // UTF-8, when status is not Ok
  // The connection was found lost before the command's first statement had an
  // answer: nothing of the command did anything at the bank, and it may run again on
  // a new connection.
  bool reconnect = false;
  bool ok() const { return status == Status::Ok; }
};

// The text a busy database answers.
inline constexpr const char* kBusyText = "the bank database is busy, try again";

// Runs command (GBK, channel prefix removed) received on channel.
//
// Answers: a call answers its procedure's rows; a select answers the user report; a
// batch answers one row holding the number of statements it ran, or nothing after
// "set nocount on". A batch fails, undone, when a statement raises or answers an
// update refusal (code 0 or less, 0x07, reason); a batch that holds a reader is
// refused before anything runs.
Outcome RunCommand(Db& db, const Server& server, Channel channel, std::string_view command,
                   const Deliver& deliver);
// The same with the answer handed to sink; a call of a procedure that streams its
// rows reaches a sink that takes parts in parts of bounded size.
Outcome RunCommand(Db& db, const Server& server, Channel channel, std::string_view command,
                   AnswerSink& sink);

}  // namespace host

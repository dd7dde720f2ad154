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

}  // namespace host

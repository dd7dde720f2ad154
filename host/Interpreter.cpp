// Parses a command, checks each call against its procedure, runs the whole command in
// one transaction and hands over the framed answer before the commit.
#include "host/Interpreter.h"

#include <sqlite3.h>

#include <exception>

#include "host/CommandParser.h"
#include "host/Database.h"
#include "sys/CodePage.h"

namespace host {
namespace {

// The one command that channel "A03" serves.
constexpr std::string_view kBankMasterCommand = "ST_GetBankSimple";

struct Prepared {
  const ProcedureSpec* proc = nullptr;
  Args args;  // UTF-8
};

// Resolves a call: known procedure, served on this channel, arguments of the
// signature's count and kinds, texts valid GBK.
bool PrepareCall(const Server& server, Channel channel, Call& call, Prepared& out,
                 std::string& error) {
  const ProcedureSpec* proc = server.find ? server.find(call.name) : nullptr;
  if (!proc) {
    error = "unknown command " + call.name;
    return false;
  }
  if (channel == Channel::Bank && call.name != kBankMasterCommand) {
    error = call.name + " is not served on channel A03";
    return false;
  }
  std::string_view signature = proc->signature ? proc->signature : "";
  if (call.args.size() != signature.size()) {
    error = call.name + ": expects " + std::to_string(signature.size()) + " argument" +
            (signature.size() == 1 ? "" : "s") + ", got " + std::to_string(call.args.size());
    return false;
  }
  for (std::size_t i = 0; i < signature.size(); ++i) {
    Value& value = call.args[i];
    bool wantText = signature[i] == 't';
    if (value.isText != wantText) {
      error = call.name + ": argument " + std::to_string(i + 1) + " must be " +
              (wantText ? "a quoted text" : "a number");
      return false;
    }
    if (value.isText) {
      std::string utf8;
      if (!ArgumentToUtf8(value.text, utf8)) {
        error = call.name + ": argument " + std::to_string(i + 1) + " is not valid GBK text";
        return false;
      }
      value.text = std::move(utf8);
    }
  }
  out.proc = proc;
  out.args = std::move(call.args);
  return true;
}

// Runs a transaction statement, kept prepared: a command is short enough that
// parsing BEGIN and COMMIT anew would show in its cost.
int Control(Db& db, const char* sql) {
  sqlite3_stmt* stmt = nullptr;
  try {
    stmt = db.Prepare(sql);
  } catch (const std::exception&) {
    return sqlite3_errcode(db.handle());
  }
  int rc = sqlite3_step(stmt);
  sqlite3_reset(stmt);
  return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// Ends the open transaction, if any, after a failure.
void RollBack(Db& db) {
  db.ResetStatements();
  if (!sqlite3_get_autocommit(db.handle())) {
    Control(db, "ROLLBACK");
  }
}

// The text of a failure inside the transaction: a lock held elsewhere always reads
// as busy, whatever layer noticed it.
std::string FailureText(Db& db, const std::exception* e) {
  if (IsBusy(db.handle())) {
    return kBusyText;
  }
  if (!e) {
    return std::string("server error: ") + sqlite3_errmsg(db.handle());
  }
  if (dynamic_cast<const ProcedureError*>(e)) {
    return e->what();
  }
  return std::string("server error: ") + e->what();
}

// The reason of an update answer that refuses (code 0 or less, 0x07, reason), or
// empty. Inside a batch nobody reads the answer, so a refusal must fail the batch
// rather than vanish while the other statements commit.
std::string Refusal(const Answer& answer) {
  if (answer.rows.empty() || answer.rows[0].size() < 2) {
    return {};
  }
  const std::string& code = answer.rows[0][0];
  std::size_t start = !code.empty() && code[0] == '-' ? 1 : 0;
  if (start == code.size() || code.size() > 18) {
    return {};
  }
  for (std::size_t i = start; i < code.size(); ++i) {
    if (code[i] < '0' || code[i] > '9') {
      return {};
    }
  }
  if (std::stoll(code) > 0) {
    return {};
  }
  return answer.rows[0][1].empty() ? "refused" : answer.rows[0][1];
}

// Records a failure in outcome and undoes the transaction.
void Fail(Db& db, Outcome& outcome, const char* what, const std::exception* e) {
  bool busy = IsBusy(db.handle());
  outcome.status = busy ? Status::Busy : Status::Failed;
  outcome.error = busy || e ? FailureText(db, e) : what + std::string(sqlite3_errmsg(db.handle()));
  RollBack(db);
}

}  // namespace

Outcome RunCommand(Db& db, const Server& server, Channel channel, std::string_view command,
                   const Deliver& deliver) {
  Outcome outcome;
  outcome.status = Status::Refused;
  ParsedCommand parsed;
  if (!ParseCommand(command, parsed, outcome.error)) {
    return outcome;
  }

  std::vector<Prepared> calls;
  std::string corpId;
  // Only a command whose every call reads may start without the write lock.
  bool reading = true;
  if (parsed.kind == CommandKind::Select) {
    if (channel != Channel::Main || !server.matchSelect || !server.runSelect ||
        !server.matchSelect(sys::GbkToUtf8(parsed.select), corpId)) {
      outcome.error = "only the user report select is accepted";
      return outcome;
    }
  } else {
    if (parsed.kind == CommandKind::Batch && channel != Channel::Main) {
      outcome.error = "batches are not served on channel A03";
      return outcome;
    }
    calls.resize(parsed.calls.size());
    for (std::size_t i = 0; i < parsed.calls.size(); ++i) {
      if (!PrepareCall(server, channel, parsed.calls[i], calls[i], outcome.error)) {
        if (parsed.kind == CommandKind::Batch) {
          outcome.error = "statement " + std::to_string(i + 1) + ": " + outcome.error;
        }
        return outcome;
      }
      // A batch answers only how many statements it ran, so a read inside one would
      // do all its work for nothing while it holds the write lock.
      if (parsed.kind == CommandKind::Batch && calls[i].proc->access == Access::Reads) {
        outcome.error = "statement " + std::to_string(i + 1) + ": " + calls[i].proc->name +
                        " only reads, and a batch answers nothing of it; send it alone";
        return outcome;
      }
      reading = reading && calls[i].proc->access == Access::Reads;
    }
  }

  int rc = Control(db, reading ? "BEGIN" : "BEGIN IMMEDIATE");
  if (rc != SQLITE_OK) {
    Fail(db, outcome, "server error: ", nullptr);
    return outcome;
  }
  try {
    std::string answer;
    if (parsed.kind == CommandKind::Select) {
      answer = FrameAnswer(server.runSelect(db, corpId));
    } else if (parsed.kind == CommandKind::Call) {
      answer = FrameAnswer(calls[0].proc->run(db, calls[0].args));
    } else {
      for (std::size_t i = 0; i < calls.size(); ++i) {
        std::string refusal;
        try {
          refusal = Refusal(calls[i].proc->run(db, calls[i].args));
        } catch (const std::exception& e) {
          refusal = FailureText(db, &e);
        }
        if (!refusal.empty()) {
          throw ProcedureError("statement " + std::to_string(i + 1) + ": " + refusal);
        }
      }
      if (!parsed.noCount) {
        answer = std::to_string(calls.size()) + "\r\n";
      }
    }
    if (deliver) {
      Status delivered = deliver(answer, outcome.error);
      if (delivered != Status::Ok) {
        RollBack(db);
        outcome.status = delivered;
        return outcome;
      }
    }
    db.ResetStatements();
    if (Control(db, "COMMIT") != SQLITE_OK) {
      Fail(db, outcome, "commit failed: ", nullptr);
      return outcome;
    }
  } catch (const std::exception& e) {
    Fail(db, outcome, "", &e);
    return outcome;
  } catch (...) {
    Fail(db, outcome, "", nullptr);
    return outcome;
  }
  outcome.status = Status::Ok;
  outcome.error.clear();
  return outcome;
}

}  // namespace host

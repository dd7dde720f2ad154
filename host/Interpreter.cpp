// Parses a command, checks each call against its procedure, runs the whole command in
// one transaction and hands over the framed answer before the commit.
#include "host/Interpreter.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <random>
#include <span>
#include <thread>

#include "host/CommandParser.h"
#include "host/Database.h"
#include "host/ProcCommon.h"
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

// How often a writer that met a serialization conflict with another workstation is
// run again before the command answers busy. Each run starts afresh, so the caller
// never sees a conflict that a second run resolves.
constexpr int kConflictRuns = 12;

// The text of a failure inside the transaction.
std::string FailureText(const std::exception& e) {
  if (dynamic_cast<const ProcedureError*>(&e)) {
    return e.what();
  }
  return std::string("server error: ") + e.what();
}

// A short random wait before a conflicting writer runs again, growing with each run,
// so that two workstations that collided do not collide again in step.
void WaitBeforeRetry(int run) {
  thread_local std::minstd_rand random(std::random_device{}());
  const int limitMs = std::min(2 << run, 100);
  std::this_thread::sleep_for(std::chrono::microseconds(
      500 + static_cast<int>(random() % static_cast<unsigned>(limitMs * 1000))));
}

// The status and text of a failure of the engine.
void EngineFailure(const EngineError& e, Outcome& outcome) {
  switch (e.kind()) {
    case EngineError::Kind::kBusy:
    case EngineError::Kind::kConflict:
      outcome.status = Status::Busy;
      outcome.error = kBusyText;
      break;
    case EngineError::Kind::kLost:
      outcome.status = Status::NoDatabase;
      outcome.error = e.what();
      break;
  }
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

// On a shared bank a login acts only for the corporations and operators the bank
// maps it to: every corporation id and operator id a command carries must be held,
// for reads and writes alike, before anything runs. Empty ids are left to the
// procedures, which refuse them where one is needed.
bool LoginMayRun(const Db& db, const ParsedCommand& parsed, const std::vector<Prepared>& calls,
                 const std::string& selectCorp, std::string& refusal) {
  const LoginScope* scope = db.scope();
  if (scope == nullptr) {
    return true;
  }
  auto corpRefused = [&](const std::string& corp) {
    refusal = "login " + scope->login + " may not act for corporation " + corp;
    return false;
  };
  if (parsed.kind == CommandKind::Select) {
    const std::string corp = Trim(selectCorp);
    return corp.empty() || scope->HoldsCorp(corp) || corpRefused(corp);
  }
  for (std::size_t c = 0; c < calls.size(); ++c) {
    const char* ids = calls[c].proc->ids;
    if (ids == nullptr) {
      continue;
    }
    const Args& args = calls[c].args;
    std::string corp;
    for (std::size_t i = 0; ids[i] != '\0' && i < args.size(); ++i) {
      if (ids[i] == 'c') {
        corp = Trim(args[i].text);
        if (!corp.empty() && !scope->HoldsCorp(corp)) {
          return corpRefused(corp);
        }
      }
    }
    for (std::size_t i = 0; ids[i] != '\0' && i < args.size(); ++i) {
      const std::string user = ids[i] == 'o' ? Trim(args[i].text) : std::string();
      if (!user.empty() && !corp.empty() && !scope->HoldsOperator(corp, user)) {
        refusal = "login " + scope->login;
        refusal.append(" may not act as user ")
            .append(user)
            .append(" of corporation ")
            .append(corp);
        return false;
      }
    }
  }
  return true;
}

// Raised through a streaming procedure when the caller cannot take a part of the
// answer. No std::exception, so that no procedure's own handler takes it for a
// refusal of its own.
struct AnswerNotTaken {
  Status status;
};

// How much framed text a streamed answer collects before it is handed over: large
// enough that the conversion to GBK and the write cost little per row, small enough
// that an answer of any length takes the same memory.
constexpr std::size_t kAnswerPartBytes = std::size_t{64} * 1024;

// Frames a procedure's rows as it reads them and hands them to the sink in parts.
class WireRows : public RowSink {
 public:
  WireRows(AnswerSink& sink, std::string& error) : sink_(sink), error_(error) {}
  void Row(const std::vector<std::string>& fields) override {
    plain_ = AppendFramedRow(fields, framed_) && plain_;
    if (framed_.size() >= kAnswerPartBytes) {
      Flush();
    }
  }
  void Flush() {
    if (framed_.empty()) {
      return;
    }
    const std::string part = FramedToWire(std::move(framed_), plain_);
    framed_.clear();
    plain_ = true;
    const Status taken = sink_.Take(part, error_);
    if (taken != Status::Ok) {
      throw AnswerNotTaken{taken};
    }
  }

 private:
  AnswerSink& sink_;
  std::string& error_;
  std::string framed_;
  bool plain_ = true;
};

// Collects a whole answer for a caller of RunCommand with a Deliver.
class WholeAnswer : public AnswerSink {
 public:
  explicit WholeAnswer(const Deliver& deliver) : deliver_(deliver) {}
  Status Take(std::string_view answer, std::string& error) override {
    return deliver_ ? deliver_(answer, error) : Status::Ok;
  }

 private:
  const Deliver& deliver_;
};

// The answer of one run, handed to the sink: a streaming procedure's rows in parts as
// it reads them, any other answer whole.
void AnswerRun(Db& db, const Server& server, const ParsedCommand& parsed,
               const std::vector<Prepared>& calls, const std::string& corpId, AnswerSink& sink,
               std::string& error) {
  auto take = [&](std::string_view answer) {
    const Status taken = sink.Take(answer, error);
    if (taken != Status::Ok) {
      throw AnswerNotTaken{taken};
    }
  };
  if (parsed.kind == CommandKind::Select) {
    take(FrameAnswer(server.runSelect(db, corpId)));
  } else if (parsed.kind == CommandKind::Call) {
    const Prepared& call = calls[0];
    if (call.proc->stream != nullptr && sink.TakesParts()) {
      WireRows rows(sink, error);
      call.proc->stream(db, call.args, rows);
      rows.Flush();
    } else {
      take(FrameAnswer(call.proc->run(db, call.args)));
    }
  } else {
    for (std::size_t i = 0; i < calls.size(); ++i) {
      std::string why;
      try {
        why = Refusal(calls[i].proc->run(db, calls[i].args));
      } catch (const EngineError&) {
        throw;
      } catch (const std::exception& e) {
        why = FailureText(e);
      }
      if (!why.empty()) {
        throw ProcedureError("statement " + std::to_string(i + 1) + ": " + why);
      }
    }
    take(parsed.noCount ? std::string() : std::to_string(calls.size()) + "\r\n");
  }
}

}  // namespace

Outcome RunCommand(Db& db, const Server& server, Channel channel, std::string_view command,
                   const Deliver& deliver) {
  WholeAnswer sink(deliver);
  return RunCommand(db, server, channel, command, sink);
}

Outcome RunCommand(Db& db, const Server& server, Channel channel, std::string_view command,
                   AnswerSink& sink) {
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

  std::string refusal;
  if (!LoginMayRun(db, parsed, calls, corpId, refusal)) {
    outcome.status = Status::Failed;
    outcome.error = refusal;
    return outcome;
  }

  // What a writer checks and then changes: it queues behind the other writers of
  // the same records (customers and payees by id, anything else by corporation).
  // Readers queue for nothing.
  std::vector<std::string> records;
  for (const Prepared& call : reading ? std::span<const Prepared>() : calls) {
    const char* ids = call.proc->ids != nullptr ? call.proc->ids : "";
    std::string corp;
    for (std::size_t i = 0; ids[i] != '\0' && i < call.args.size(); ++i) {
      if (ids[i] == 'c') {
        corp = Trim(call.args[i].text);
      }
    }
    bool keyed = false;
    for (std::size_t i = 0; ids[i] != '\0' && i < call.args.size(); ++i) {
      if (ids[i] == 'k' || ids[i] == 'p') {
        records.push_back(corp + "/" + ids[i] + "/" + Trim(call.args[i].text));
        keyed = true;
      }
    }
    if (!keyed && !corp.empty()) {
      records.push_back(corp + "/*");
    }
  }

  for (int run = 1;; ++run) {
    try {
      db.Begin(reading ? Access::Reads : Access::Writes, records);
      Status taken = sink.Start(outcome.error);
      if (taken == Status::Ok) {
        AnswerRun(db, server, parsed, calls, corpId, sink, outcome.error);
        taken = sink.Finish(outcome.error);
      }
      if (taken == Status::Ok) {
        taken = sink.Settle(db, reading ? Access::Reads : Access::Writes, outcome.error);
      }
      if (taken != Status::Ok) {
        throw AnswerNotTaken{taken};
      }
      db.Commit();
      break;
    } catch (const AnswerNotTaken& notTaken) {
      db.Rollback();
      outcome.status = notTaken.status;
      return outcome;
    } catch (const EngineError& e) {
      db.Rollback();
      // A connection found lost before anything of the command reached the bank may
      // carry it again on a new connection.
      outcome.reconnect = run == 1 && e.kind() == EngineError::Kind::kLost && e.untouched();
      if (e.kind() == EngineError::Kind::kConflict && run < kConflictRuns) {
        WaitBeforeRetry(run);
        continue;
      }
      EngineFailure(e, outcome);
      return outcome;
    } catch (const std::exception& e) {
      db.Rollback();
      outcome.status = Status::Failed;
      outcome.error = FailureText(e);
      return outcome;
    } catch (...) {
      db.Rollback();
      outcome.status = Status::Failed;
      outcome.error = "server error";
      return outcome;
    }
  }
  outcome.status = Status::Ok;
  outcome.error.clear();
  return outcome;
}

}  // namespace host

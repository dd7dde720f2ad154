// What the host tests share (HostTestSupport.h): the probe server, reads of the
// database and the demonstration bank's fixture.
#include "HostTestSupport.h"

#include <signal.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <stdexcept>
#include <string_view>
#include <utility>

#include "host/CommandParser.h"
#include "host/WireText.h"
#include "sys/CodePage.h"

namespace hosttest {
namespace {

using host::Answer;
using host::Args;
using host::Db;

void ProbeSchema(sqlite3* db) {
  if (sqlite3_exec(db, "CREATE TABLE probe(k TEXT PRIMARY KEY, v TEXT NOT NULL)", nullptr, nullptr,
                   nullptr) != SQLITE_OK) {
    throw std::runtime_error(sqlite3_errmsg(db));
  }
}

std::string Text(sqlite3_stmt* stmt, int i) {
  const unsigned char* text = sqlite3_column_text(stmt, i);
  return text ? std::string(reinterpret_cast<const char*>(text),
                            static_cast<std::size_t>(sqlite3_column_bytes(stmt, i)))
              : std::string();
}

void Bind(sqlite3_stmt* stmt, const std::vector<std::string>& binds) {
  for (std::size_t i = 0; i < binds.size(); ++i) {
    sqlite3_bind_text(stmt, static_cast<int>(i + 1), binds[i].data(),
                      static_cast<int>(binds[i].size()), SQLITE_TRANSIENT);
  }
}

Answer Put(Db& db, const Args& args) {
  sqlite3_stmt* stmt = db.Prepare("INSERT OR REPLACE INTO probe(k, v) VALUES(?1, ?2)");
  Bind(stmt, {args[0].text, args[1].text});
  if (sqlite3_step(stmt) != SQLITE_DONE) {
    throw std::runtime_error(sqlite3_errmsg(db.handle()));
  }
  return Answer{{{"1", args[0].text}}};
}

Answer Get(Db& db, const std::string& k) {
  sqlite3_stmt* stmt = db.Prepare("SELECT v FROM probe WHERE k = ?1");
  Bind(stmt, {k});
  Answer answer;
  if (sqlite3_step(stmt) == SQLITE_ROW) {
    answer.rows.push_back({Text(stmt, 0)});
  }
  return answer;
}

Answer GetProbe(Db& db, const Args& args) {
  return Get(db, args[0].text);
}

Answer All(Db& db, const Args&) {
  sqlite3_stmt* stmt = db.Prepare("SELECT k, v FROM probe ORDER BY k");
  Answer answer;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    answer.rows.push_back({Text(stmt, 0), Text(stmt, 1)});
  }
  return answer;
}

Answer Num(Db&, const Args& args) {
  return Answer{{{std::to_string(args[0].number), args[1].text}}};
}
Answer Fail(Db&, const Args& args) {
  throw host::ProcedureError(args[0].text);
}
Answer Refuse(Db&, const Args& args) {
  return Answer{{{std::to_string(args[0].number), "no way"}}};
}
Answer Kill(Db&, const Args&) {
  kill(getpid(), SIGKILL);
  return {};
}
Answer Bank(Db&, const Args& args) {
  return Answer{{{std::to_string(args[0].number)}}};
}

constexpr host::Access kReads = host::Access::Reads;
constexpr host::Access kWrites = host::Access::Writes;

const host::ProcedureSpec kProcedures[] = {
    {"T_Put", "tt", Put, kWrites},  {"MN_GetProbe", "t", GetProbe, kReads},
    {"T_All", "", All, kWrites},    {"T_Num", "it", Num, kWrites},
    {"T_Fail", "t", Fail, kWrites}, {"T_Refuse", "i", Refuse, kWrites},
    {"T_Kill", "", Kill, kWrites},  {"ST_GetBankSimple", "i", Bank, kReads},
};

const host::ProcedureSpec* Find(const std::string& name) {
  for (const auto& proc : kProcedures) {
    if (name == proc.name) {
      return &proc;
    }
  }
  return nullptr;
}

bool MatchSelect(const std::string& sql, std::string& key) {
  constexpr std::string_view kHead = "select v from probe where k='";
  if (sql.size() < kHead.size() + 1 || sql.compare(0, kHead.size(), kHead) != 0 ||
      sql.back() != '\'') {
    return false;
  }
  key = sql.substr(kHead.size(), sql.size() - kHead.size() - 1);
  return key.find('\'') == std::string::npos;
}

// A module command split into the procedure's name and its arguments as the
// interpreter hands them over (texts in UTF-8).
std::pair<std::string, Args> Split(const std::string& command) {
  host::ParsedCommand parsed;
  std::string error;
  if (!host::ParseCommand(sys::Utf8ToGbk(command), parsed, error) || parsed.calls.size() != 1) {
    throw std::logic_error(command + ": " + error);
  }
  host::Call& call = parsed.calls[0];
  for (host::Value& value : call.args) {
    std::string utf8;
    if (value.isText && !host::ArgumentToUtf8(value.text, utf8)) {
      throw std::logic_error(command + ": no GBK text");
    }
    value.text = utf8;
  }
  return {call.name, call.args};
}

}  // namespace

std::string Scalar(Db& db, const char* sql, const std::vector<std::string>& binds) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db.handle(), sql, -1, &stmt, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << sqlite3_errmsg(db.handle());
    return "";
  }
  Bind(stmt, binds);
  std::string value = "<none>";
  if (sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_type(stmt, 0) != SQLITE_NULL) {
    value = Text(stmt, 0);
  }
  sqlite3_finalize(stmt);
  return value;
}

host::DbSetup ProbeSetup() {
  return host::DbSetup{ProbeSchema, nullptr, 1};
}

host::Server ProbeServer() {
  return host::Server{Find, MatchSelect, Get};
}

std::string ProbeValue(Db& db, const std::string& k) {
  return Scalar(db, "SELECT v FROM probe WHERE k = ?1", {k});
}

int ProbeCount(Db& db) {
  return std::stoi(Scalar(db, "SELECT count(*) FROM probe"));
}

host::Outcome RunProbe(Db& db, std::string_view command, std::string* answer,
                       host::Channel channel) {
  return host::RunCommand(db, ProbeServer(), channel, command,
                          [answer](std::string_view text, std::string&) {
                            if (answer) {
                              answer->assign(text);
                            }
                            return host::Status::Ok;
                          });
}

host::Answer BankTest::Call(const std::string& name, const host::Args& args) {
  const host::ProcedureSpec* proc = host::FindProcedure(name);
  if (proc == nullptr) {
    throw std::logic_error("no procedure " + name);
  }
  EXPECT_EQ(std::string(proc->signature).size(), args.size()) << name;
  db_->Exec("BEGIN IMMEDIATE");
  try {
    host::Answer a = proc->run(*db_, args);
    db_->Exec("COMMIT");
    return a;
  } catch (...) {
    db_->ResetStatements();
    db_->Exec("ROLLBACK");
    throw;
  }
}

std::string BankTest::Fail(const std::string& name, const host::Args& args) {
  try {
    Call(name, args);
  } catch (const host::ProcedureError& e) {
    return e.what();
  }
  ADD_FAILURE() << name << " did not fail";
  return "";
}

std::string BankTest::First(const std::string& name, const host::Args& args) {
  host::Answer a = Call(name, args);
  if (a.rows.empty() || a.rows[0].empty()) {
    ADD_FAILURE() << name << " answered no row";
    return "";
  }
  return a.rows[0][0];
}

std::vector<std::string> BankTest::Column(const std::string& name, const host::Args& args) {
  std::vector<std::string> out;
  for (const auto& row : Call(name, args).rows) {
    EXPECT_EQ(row.size(), 1u) << name;
    out.push_back(row.empty() ? "" : row[0]);
  }
  return out;
}

host::Answer BankTest::Call(const std::string& command) {
  auto [name, args] = Split(command);
  return Call(name, args);
}

std::string BankTest::Fail(const std::string& command) {
  auto [name, args] = Split(command);
  return Fail(name, args);
}

std::string BankTest::First(const std::string& command) {
  auto [name, args] = Split(command);
  return First(name, args);
}

std::vector<std::string> BankTest::Column(const std::string& command) {
  auto [name, args] = Split(command);
  return Column(name, args);
}

}  // namespace hosttest

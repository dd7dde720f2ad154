#include "wire_TestServer.h"

#include <signal.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string_view>

namespace wiretest {
namespace {

using host::Answer;
using host::Args;
using host::Db;

void Schema(sqlite3* db) {
  char* message = nullptr;
  if (sqlite3_exec(db, "CREATE TABLE probe(k TEXT PRIMARY KEY, v TEXT NOT NULL)", nullptr, nullptr,
                   &message) != SQLITE_OK) {
    std::string text = message ? message : "?";
    sqlite3_free(message);
    throw std::runtime_error(text);
  }
}

std::string Column(sqlite3_stmt* stmt, int i) {
  const unsigned char* text = sqlite3_column_text(stmt, i);
  return text ? std::string(reinterpret_cast<const char*>(text),
                            static_cast<std::size_t>(sqlite3_column_bytes(stmt, i)))
              : std::string();
}

void BindText(sqlite3_stmt* stmt, int i, const std::string& text) {
  sqlite3_bind_text(stmt, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

Answer Put(Db& db, const Args& args) {
  sqlite3_stmt* stmt = db.Prepare("INSERT OR REPLACE INTO probe(k, v) VALUES(?1, ?2)");
  BindText(stmt, 1, args[0].text);
  BindText(stmt, 2, args[1].text);
  if (sqlite3_step(stmt) != SQLITE_DONE) {
    throw std::runtime_error(sqlite3_errmsg(db.handle()));
  }
  return Answer{{{"1", args[0].text}}};
}

Answer Get(Db& db, const std::string& k) {
  sqlite3_stmt* stmt = db.Prepare("SELECT v FROM probe WHERE k = ?1");
  BindText(stmt, 1, k);
  Answer answer;
  if (sqlite3_step(stmt) == SQLITE_ROW) {
    answer.rows.push_back({Column(stmt, 0)});
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
    answer.rows.push_back({Column(stmt, 0), Column(stmt, 1)});
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

}  // namespace

host::DbSetup ProbeSetup() {
  return host::DbSetup{Schema, nullptr, 1};
}

host::Server ProbeServer() {
  return host::Server{Find, MatchSelect, Get};
}

TempDir::TempDir() {
  std::string base = std::filesystem::temp_directory_path().string() + "/wire_XXXXXX";
  if (!mkdtemp(base.data())) {
    throw std::runtime_error("mkdtemp failed");
  }
  path_ = base;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
  if (const char* old = std::getenv(name)) {
    saved_ = old;
  }
  if (value) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
}

ScopedEnv::~ScopedEnv() {
  if (saved_) {
    setenv(name_.c_str(), saved_->c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string ProbeValue(Db& db, const std::string& k) {
  Answer answer = Get(db, k);
  db.ResetStatements();
  return answer.rows.empty() ? "<none>" : answer.rows[0][0];
}

int ProbeCount(Db& db) {
  sqlite3_stmt* stmt = db.Prepare("SELECT count(*) FROM probe");
  int n = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : -1;
  sqlite3_reset(stmt);
  return n;
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

}  // namespace wiretest

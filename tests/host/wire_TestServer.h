// A small server for the wire tests: a probe table and a few procedures that store,
// read, echo, fail or kill the process, so the interpreter is tested on its own.
#pragma once

#include <optional>
#include <string>

#include "host/Database.h"
#include "host/Interpreter.h"

namespace wiretest {

// Setup of a test database: table probe(k TEXT PRIMARY KEY, v TEXT), version 1.
host::DbSetup ProbeSetup();

// Procedures:
//   T_Put 'k','v'   stores v under k; answers "1" 0x07 k
//   MN_GetProbe 'k' answers v (no row when k is absent)
//   T_All           answers every k, v ordered by k
//   T_Num n,'t'     answers n and t
//   T_Fail 'why'    fails with the text why
//   T_Refuse n      answers the update answer n 0x07 "no way"
//   T_Kill          kills the process with SIGKILL
//   ST_GetBankSimple n   answers n
// MN_GetProbe and ST_GetBankSimple are readers, the others writers.
// Select: "select v from probe where k=" and one quoted key.
host::Server ProbeServer();

// A private folder removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Sets an environment variable, or removes it given nullptr, for the object's life.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> saved_;
};

// The whole content of a file, "" when it cannot be read.
std::string ReadFile(const std::string& path);

// The stored value of k, or "<none>".
std::string ProbeValue(host::Db& db, const std::string& k);
int ProbeCount(host::Db& db);

// Runs a command (GBK, no prefix) on a channel; the answer lands in answer.
host::Outcome RunProbe(host::Db& db, std::string_view command, std::string* answer = nullptr,
                       host::Channel channel = host::Channel::Main);

}  // namespace wiretest

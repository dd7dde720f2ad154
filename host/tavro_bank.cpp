// tavro-bank: creates a bank database and sends commands through the host library
// exactly as the module does, for operators and for scripts.
//
//   tavro-bank init [--demo] [PATH]   create a database (schema; --demo adds the
//                                     demonstration data); PATH defaults to the
//                                     database the library uses
//   tavro-bank exec "COMMAND"         send one command (UTF-8) on channel A01, or A03
//                                     for ST_GetBankSimple; print the answer in UTF-8,
//                                     one row a line, fields separated by " | ", a
//                                     line break inside a field shown as "\n"
//   tavro-bank import-swift FILE.csv  load a SWIFT directory (code, name, four address
//                                     lines, city) into the library's database, all
//                                     of it or, on an error, none
//
// Errors go to standard error; the exit status is then non-zero (the host's status
// for a failed command, 1 otherwise).
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "host/Database.h"
#include "host/SwiftDirectory.h"
#include "host/TavroClient.h"
#include "sys/CodePage.h"

namespace {

// The largest answer printed; the same limit a caller of qelCommand chooses.
constexpr std::size_t kAnswerBuffer = 16u << 20;

int Usage() {
  std::cerr << "usage: tavro-bank init [--demo] [PATH]\n"
               "       tavro-bank exec \"COMMAND\"\n"
               "       tavro-bank import-swift FILE.csv\n";
  return 1;
}

int Fail(const std::string& text) {
  std::cerr << "tavro-bank: " << text << "\n";
  return 1;
}

int Init(const std::vector<std::string>& args) {
  bool demo = false;
  std::string path;
  for (const std::string& arg : args) {
    if (arg == "--demo") {
      demo = true;
    } else if (path.empty() && !arg.empty() && arg[0] != '-') {
      path = arg;
    } else {
      return Usage();
    }
  }
  if (path.empty()) {
    path = host::DefaultDatabasePath();
  }
  // A new database only: init never touches one that holds data already.
  struct stat info {};
  if (lstat(path.c_str(), &info) == 0) {
    return Fail(path + " exists already");
  }
  try {
    host::Db db(path, host::BankSetup(demo));
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
  std::cout << "created " << path << (demo ? " with demonstration data" : "") << "\n";
  return 0;
}

// The answer as a person reads it: UTF-8, rows on lines, 0x07 and 0x0E made visible.
std::string Readable(const std::string& gbk) {
  std::string utf8 = sys::GbkToUtf8(gbk);
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    char c = utf8[i];
    if (c == '\x07') {
      out += " | ";
    } else if (c == '\x0e') {
      out += "\\n";
    } else if (c == '\r') {
      if (i + 1 < utf8.size() && utf8[i + 1] == '\n') {
        ++i;
      }
      out += '\n';
    } else {
      out += c;
    }
  }
  return out;
}

int Exec(const std::string& utf8Command) {
  std::string command = sys::Utf8ToGbk(utf8Command);
  std::size_t start = command.find_first_not_of(" \t\r\n");
  bool bank = start != std::string::npos && command.compare(start, 16, "ST_GetBankSimple") == 0;
  std::string wire = std::string(bank ? "A03" : "A01") + '\x07' + command;

  std::vector<char> result(kAnswerBuffer);
  char error[128] = {};
  std::int32_t status =
      qelCommand(0, wire.data(), static_cast<std::int32_t>(wire.size()), result.data(),
                 static_cast<std::int32_t>(result.size() - 1), error, 2);
  if (status != 0) {
    std::cerr << "tavro-bank: " << sys::GbkToUtf8(error) << "\n";
    return status;
  }
  std::cout << Readable(result.data());
  return 0;
}

int ImportSwift(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    return Fail("cannot read " + file);
  }
  try {
    host::Db db(host::DefaultDatabasePath());
    // One write transaction: other processes see the old directory or the new one.
    db.Exec("BEGIN IMMEDIATE");
    try {
      std::size_t loaded = host::ImportSwiftCsv(db, in);
      db.ResetStatements();
      db.Exec("COMMIT");
      std::cout << "loaded " << loaded << " SWIFT directory entries into " << db.path() << "\n";
    } catch (...) {
      db.ResetStatements();
      if (!sqlite3_get_autocommit(db.handle())) {
        sqlite3_exec(db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
      }
      throw;
    }
  } catch (const std::exception& e) {
    return Fail(file + ": " + e.what());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    return Usage();
  }
  std::string verb = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (verb == "init") {
    return Init(args);
  }
  if (verb == "exec") {
    return args.size() == 1 ? Exec(args[0]) : Usage();
  }
  if (verb == "import-swift") {
    return args.size() == 1 ? ImportSwift(args[0]) : Usage();
  }
  return Usage();
}

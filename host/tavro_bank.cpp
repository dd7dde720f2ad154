// tavro-bank: creates a bank database and sends commands through the host library
// exactly as the module does, for operators and for scripts. `tavro-bank --help`
// and docs/tavro-bank.md describe its commands; errors go to standard error and the
// exit status is then non-zero (the host's status for a failed command, 1 otherwise).
#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "host/Database.h"
#include "host/SqliteDb.h"
#include "host/SwiftDirectory.h"
#include "host/TavroClient.h"
#include "sys/CodePage.h"

namespace {

// The largest answer printed; the same limit a caller of qelCommand chooses.
constexpr std::size_t kAnswerBuffer = 16u << 20;

constexpr const char* kDatabaseHelp =
    "The database is the one libTavroClient.so uses: the file named by TAVRO_BANK_DB when\n"
    "that is set and not empty, else $XDG_DATA_HOME/tavro/bank.db when XDG_DATA_HOME is\n"
    "an absolute path, else ~/.local/share/tavro/bank.db. A missing database is created\n"
    "with the demonstration data by the first command. See docs/tavro-bank.md.\n"
    "Exit status: 0 done; the host's status (2 to 6) for a command it did not serve;\n"
    "1 for anything else.";

int Fail(const std::string& text) {
  std::cerr << "tavro-bank: " << text << "\n";
  return 1;
}

struct InitOptions {
  bool demo = false;
  bool force = false;
  std::string path;
};

int Init(const InitOptions& options) {
  const std::string path = options.path.empty() ? host::DefaultDatabasePath() : options.path;
  // Without --force, init never touches a file that is there already.
  struct stat info {};
  if (lstat(path.c_str(), &info) == 0) {
    if (!options.force) {
      return Fail(path + " exists already; `tavro-bank init" +
                  std::string(options.demo ? " --demo" : "") + " --force" +
                  (options.path.empty() ? "" : " " + options.path) +
                  "` replaces it, and everything in it is lost");
    }
    try {
      host::EmptyDatabase(path);
    } catch (const std::exception& e) {
      return Fail(e.what());
    }
  }
  try {
    host::SqliteDb db(path, host::BankSetup(options.demo));
    if (!db.created()) {
      return Fail(path + " was set up by another program meanwhile; it was left as it is");
    }
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
  std::cout << (options.force ? "replaced " : "created ") << path
            << (options.demo ? " with demonstration data" : "") << "\n";
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
    std::unique_ptr<host::Db> db = host::OpenBank(host::DefaultBankLocation());
    // One write transaction: other processes see the old directory or the new one.
    db->Begin(host::Access::Writes);
    try {
      std::size_t loaded = host::ImportSwiftCsv(*db, in);
      db->Commit();
      std::cout << "loaded " << loaded << " SWIFT directory entries into " << db->name() << "\n";
    } catch (...) {
      db->Rollback();
      throw;
    }
  } catch (const std::exception& e) {
    return Fail(file + ": " + e.what());
  }
  return 0;
}

// The command line, parsed by CLI11; the verbs above do the work.
int Run(int argc, char** argv) {
  CLI::App app("tavro-bank: the bank database behind libTavroClient.so", "tavro-bank");
  app.footer(kDatabaseHelp);
  app.require_subcommand(1);

  InitOptions init;
  CLI::App* initCmd = app.add_subcommand("init", "create a bank database");
  initCmd->footer(std::string("Creates the schema, and with --demo the demonstration data, in a "
                              "new file (0600).\n") +
                  "An existing file is refused unless --force is given: it is then emptied "
                  "and set up anew.\n\n" +
                  kDatabaseHelp);
  initCmd->add_flag("--demo", init.demo, "add the demonstration data");
  initCmd->add_flag("--force", init.force,
                    "replace a database that is there already (everything in it is lost)");
  initCmd->add_option("PATH", init.path, "the file to create (default: the database, below)");

  std::string command;
  CLI::App* execCmd = app.add_subcommand("exec", "send one command and print its answer");
  execCmd->footer(std::string("Sends the command (UTF-8) as the module does, on channel A01 (A03 "
                              "for ST_GetBankSimple),\n"
                              "and prints the answer in UTF-8: one row a line, fields separated "
                              "by \" | \", a line\n"
                              "break inside a field shown as \\n. An answer without rows prints "
                              "nothing.\n\n") +
                  kDatabaseHelp);
  execCmd->add_option("COMMAND", command, "the command, e.g. \"MN_GetCorpName '0012'\"")
      ->required();

  std::string csv;
  CLI::App* swiftCmd = app.add_subcommand("import-swift", "load a SWIFT directory from a CSV file");
  swiftCmd->footer(std::string("The file is CSV in UTF-8: code, name, four address lines, city. "
                               "Either all of it\n"
                               "is loaded or, on an error (named with its line), none.\n\n") +
                   kDatabaseHelp);
  swiftCmd->add_option("FILE", csv, "the CSV file")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help asked for is a success; any other mistake on the command line is status 1.
    return app.exit(e) == 0 ? 0 : 1;
  }
  if (initCmd->parsed()) {
    return Init(init);
  }
  if (execCmd->parsed()) {
    return Exec(command);
  }
  return ImportSwift(csv);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    return Fail(e.what());
  } catch (...) {
    return 1;
  }
}

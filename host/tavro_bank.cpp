// tavro-bank: creates a bank (a file, or a database on a PostgreSQL server), maps the
// service's logins of a bank, serves it, copies a bank between engines, and sends commands through
// the host library exactly as the module does, for operators and for scripts. `tavro-bank --help`
// and docs/tavro-bank.md describe its commands; errors go to standard error and the
// exit status is then non-zero (the host's status for a failed command, 1 otherwise).
#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "host/BankAdmin.h"
#include "host/BankFile.h"
#include "host/BankToolService.h"
#include "host/Database.h"
#include "host/SqliteDb.h"
#include "host/SwiftDirectory.h"
#include "host/TavroClient.h"
#include "sys/CodePage.h"
#include "sys/ProgramArguments.h"

namespace {

// The largest answer printed; the same limit a caller of qelCommand chooses.
constexpr std::size_t kAnswerBuffer = 16u << 20;

constexpr const char* kDatabaseHelp =
    "The bank is the one libTavroClient.so uses: the PostgreSQL bank named by\n"
    "TAVRO_BANK_URL (a libpq connection URI) when that is set and not empty; else the\n"
    "file named by TAVRO_BANK_DB when that is set and not empty, else\n"
    "$XDG_DATA_HOME/tavro/bank.db when XDG_DATA_HOME is an absolute path, else\n"
    "~/.local/share/tavro/bank.db. Only init creates a bank: every other command refuses\n"
    "a missing or empty file. Passwords come from the URI or PGPASSFILE, never from the\n"
    "command line. See docs/tavro-bank.md.\n"
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
  const host::BankLocation location =
      options.path.empty() ? host::DefaultBankLocation() : host::ParseBankLocation(options.path);
  if (location.engine == host::Engine::kPostgres) {
    try {
      std::cout << host::InitBank(location, options.demo, options.force) << "\n";
    } catch (const std::exception& e) {
      return Fail(e.what());
    }
    return 0;
  }
  const std::string& path = location.where;
  // Without --force, init never touches a file that is there already; an empty file
  // holds nothing to lose (the host refuses it as no bank, naming this command).
  const bool there = host::FileHasContent(path);
  if (there) {
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
  std::cout << (there ? "replaced " : "created ") << path
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
  std::unique_ptr<host::Db> db;
  try {
    db = host::OpenBank(host::DefaultBankLocation());
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
  try {
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

// The commands of app, for a message.
std::string CommandNames(const CLI::App& app) {
  std::string names;
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
    names += (names.empty() ? "" : ", ") + sub->get_name();
  }
  return names;
}

// A mistake on the command line, said with the command it concerns and where its
// usage is shown. CLI11's own texts name neither, and it checks what is required
// before what is unknown, so an unknown command or option would read as "A
// subcommand is required" or "COMMAND is required".
int CommandLineMistake(const CLI::App& app, const CLI::ParseError& e) {
  const CLI::App* where = &app;
  std::string name = "tavro-bank";
  std::vector<std::string> unknown = app.remaining();
  while (unknown.empty() && !where->get_subcommands().empty()) {
    where = where->get_subcommands().front();
    name += " " + where->get_name();
    unknown = where->remaining();
  }
  const bool hasCommands = !CommandNames(*where).empty();
  std::string what = e.what();
  if (!unknown.empty() && unknown.front().rfind('-', 0) == 0) {
    what = "unknown option " + unknown.front();
  } else if (!unknown.empty() && hasCommands) {
    what = "unknown command \"" + unknown.front() + "\"; the commands are " + CommandNames(*where);
  } else if (!unknown.empty()) {
    what = "unexpected argument \"" + unknown.front() + "\"";
  } else if (hasCommands && where->get_subcommands().empty()) {
    what = "a command is required: " + CommandNames(*where);
  }
  std::cerr << name << ": " << what << "\n(" << name << " --help shows the usage)\n";
  return 1;
}

// The command line, parsed by CLI11; the verbs above do the work.
int Run(int argc, char** argv) {
  CLI::App app("tavro-bank: the bank database behind libTavroClient.so", "tavro-bank");
  app.footer(kDatabaseHelp);
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("tavro-bank ") + TAVRO_VERSION,
                       "print the version and exit");

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
  initCmd->add_option("TARGET", init.path,
                      "the file, or a postgresql:// URL, to create the bank in (default: the "
                      "bank, below)");

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

  const host::ServiceCommandsPtr service = host::AddServiceCommands(app);

  std::string copyFrom;
  std::string copyTo;
  CLI::App* copyCmd = app.add_subcommand("copy", "copy a whole bank into a new one (any engines)");
  copyCmd->footer(
      "FROM and TO are files or postgresql:// URLs. TO must be new or empty: a bank that\n"
      "holds data is refused. Everything is copied in one transaction and every table's\n"
      "row count is checked. Logins are not copied: map them anew on the target.");
  copyCmd->add_option("FROM", copyFrom, "the bank to copy")->required();
  copyCmd->add_option("TO", copyTo, "the new bank")->required();

  std::string upgradeWhat;
  CLI::App* upgradeCmd =
      app.add_subcommand("upgrade", "bring a bank of an earlier release up to this one");
  upgradeCmd->footer(
      "Adds what this release's schema has and the bank lacks, keeping every row. An\n"
      "embedded bank is upgraded by any program that opens it; a shared bank only by its\n"
      "administrator (the role that created it).");
  upgradeCmd->add_option("BANK", upgradeWhat, "the file or postgresql:// URL")->required();

  std::vector<std::string> helpFor;
  CLI::App* helpCmd = app.add_subcommand("help", "print this help, or with COMMAND a command's");
  helpCmd->add_option("COMMAND", helpFor, "a command, e.g. init or login add");

  try {
    // The arguments as UTF-8 (on Windows not what main() was handed), in the form
    // CLI11 parses them from.
    std::vector<std::string> arguments = sys::Utf8Arguments(argc, argv);
    std::vector<char*> pointers;
    pointers.reserve(arguments.size());
    for (std::string& argument : arguments) {
      pointers.push_back(argument.data());
    }
    app.parse(static_cast<int>(pointers.size()), pointers.data());
  } catch (const CLI::ParseError& e) {
    // Help and the version asked for are a success; a mistake on the command line is 1.
    return e.get_exit_code() == 0 ? app.exit(e) : CommandLineMistake(app, e);
  }
  if (helpCmd->parsed()) {
    const CLI::App* page = &app;
    std::string prev = "tavro-bank";
    for (const std::string& word : helpFor) {
      const auto found = page->get_subcommands(
          [&word](const CLI::App* sub) { return sub->get_name() == word && word != "help"; });
      if (found.empty()) {
        return Fail("help: unknown command \"" + word + "\"; the commands are " +
                    CommandNames(*page));
      }
      page = found.front();
      prev += " " + word;
    }
    // A command's page, as COMMAND --help shows it; App::help of the program itself
    // would describe the help command that was parsed.
    std::cout << page->get_formatter()->make_help(page, prev, CLI::AppFormatMode::Normal);
    return 0;
  }
  if (initCmd->parsed()) {
    return Init(init);
  }
  if (execCmd->parsed()) {
    return Exec(command);
  }
  try {
    if (const std::optional<int> status = host::RunServiceCommand(service.get())) {
      return *status;
    }
    if (upgradeCmd->parsed()) {
      std::cout << host::UpgradeBank(host::ParseBankLocation(upgradeWhat));
      return 0;
    }
    if (copyCmd->parsed()) {
      std::cout << host::CopyBank(host::ParseBankLocation(copyFrom),
                                  host::ParseBankLocation(copyTo));
      return 0;
    }
  } catch (const std::exception& e) {
    return Fail(e.what());
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

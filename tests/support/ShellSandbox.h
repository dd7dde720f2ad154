// Runs tavro-shell as a process in a fresh folder of its own, against either the table
// host (answers from a table, every command logged) or the embedded bank server.
#pragma once

#include <atomic>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/TestEnv.h"

namespace e2e {

std::string BinDir();  // the built programs and libraries

struct ShellOutput {
  int status = -1;  // exit status; -1 when the process did not exit normally
  int signal = 0;   // the signal that ended the process, 0 when it exited
  std::string out;
  std::string err;
};

// A temporary folder that is the shell's whole world: its current folder (work/), its
// TMPDIR (tmp/), its HOME and XDG_DATA_HOME (home/). Removed with everything in it.
class Sandbox {
 public:
  Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  const std::string& Root() const { return root_; }
  std::string WorkDir() const { return root_ + "/work"; }
  std::string TempDir() const { return root_ + "/tmp"; }
  // Names are relative to the work folder unless absolute.
  std::string WriteFile(std::string_view name, std::string_view content) const;
  std::string ReadFile(std::string_view name) const;
  bool Exists(std::string_view name) const;
  std::vector<std::string> List(std::string_view folder) const;
  void SetLanguage(std::string_view langId) const;

  // The table host answers: table is the UTF-8 table text (see HostTable.h).
  void UseTableHost(std::string_view table);
  // The embedded bank server answers, on a fresh demonstration bank (throws on failure).
  void UseBankServer();
  // Every command the table host received, one escaped line each.
  std::vector<std::string> HostLog() const;

  void SetEnv(const std::string& name, const std::string& value) { env_[name] = value; }
  // What the next programs read from standard input (empty unless set).
  void SetInput(std::string_view text);
  ShellOutput Shell(const std::vector<std::string>& args) const;  // runs tavro-shell
  // Runs another program of the build (tavro-bank, ...) the same way.
  ShellOutput Run(const std::string& program, const std::vector<std::string>& args) const;
  std::string BankDb() const { return root_ + "/bank.db"; }

 private:
  std::string Resolve(std::string_view name) const;

  tavro_test::ScopedTempDir dir_{"tavro-e2e"};
  std::string root_;
  std::string input_ = "/dev/null";
  std::map<std::string, std::string> env_;
  mutable std::atomic<unsigned> runs_{0};
};

// Lines of a text, without their line ends.
std::vector<std::string> Lines(std::string_view text);

std::string ReadSource(const std::string& relative);
// The example scripts: the files of examples/ whose first line is a call line, sorted.
std::vector<std::string> ExampleScripts();

}  // namespace e2e

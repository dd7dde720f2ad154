// tavro-shell: loads the module and calls one of its entry points, as the banking
// client's shell does, printing what the entry point hands back.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "shell/ShellOptions.h"
#include "shell/ShellRun.h"
#include "shell/ShellSystem.h"
#include "sys/ProgramArguments.h"

namespace {

int Main(const std::vector<std::string>& args) {
  shell::CommandLine line;
  std::string error;
  if (!shell::ParseCommandLine(args, line, error)) {
    std::cerr << "tavro-shell: " << error << '\n'
              << "(tavro-shell --help shows the usage; tavro-shell COMMAND --help a command's)\n";
    return shell::kExitUsage;
  }
  switch (line.command) {
    case shell::Command::Help:
      std::cout << line.help;
      return shell::kExitOk;
    case shell::Command::Entries:
      return shell::ListEntries(line.options.module, std::cout, std::cerr);
    case shell::Command::Call:
      return shell::RunCall(line.options, std::cout, std::cerr);
    case shell::Command::Run: {
      shell::CallOptions options;
      if (!shell::ReadCallLine(line.runFile, options, error)) {
        std::cerr << "tavro-shell: " << error << '\n';
        return shell::kExitUsage;
      }
      // The example is the script; options after FILE override those of its call line.
      options.script = line.runFile;
      shell::MergeOptions(options, line.options);
      return shell::RunCall(options, std::cout, std::cerr);
    }
  }
  return shell::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  shell::PrepareProcess();
  try {
    std::vector<std::string> args = sys::Utf8Arguments(argc, argv);
    if (!args.empty()) {
      args.erase(args.begin());  // the program's own name
    }
    int status = Main(args);
    std::cout.flush();
    return status;
  } catch (const std::exception& e) {
    std::cerr << "tavro-shell: " << e.what() << '\n';
  } catch (...) {
    std::cerr << "tavro-shell: unexpected failure\n";
  }
  return shell::kExitUsage;
}

// tavro-bank on Windows has no service commands: the bank's HTTPS service (login, serve)
// is built for Linux only, as the Windows host library has no client of it. The help
// says so, with where the Windows tool finds the bank.
#include <CLI/CLI.hpp>

#include "host/BankToolService.h"

namespace host {

struct ServiceCommands {};

ServiceCommandsPtr AddServiceCommands(CLI::App& app) {
  app.footer(app.get_footer() +
             "\n\nOn Windows: the bank is the file TAVRO_BANK_DB names, else "
             "%LOCALAPPDATA%\\Tavro\\bank.db,\n"
             "used through TavroClient.dll. This build has no PostgreSQL engine and no bank "
             "service:\n"
             "the commands login and serve are not built (docs/windows.md).");
  return nullptr;
}

std::optional<int> RunServiceCommand(const ServiceCommands* /*commands*/) {
  return std::nullopt;
}

void ServiceCommandsDeleter::operator()(ServiceCommands* commands) const {
  delete commands;
}

}  // namespace host

// tavro-bank on Windows has no service commands. A Windows workstation is a client of a
// bank's service (TavroClient.dll reaches it through WinHTTP, TAVRO_BANK_URL=https://...),
// but the service itself, login and serve, is built for Linux only: it listens with
// cpp-httplib on OpenSSL and hashes the logins' passwords with libsodium, and the shared
// bank it is meant for lives on PostgreSQL, whose engine this build has not; none of
// these is built for Windows. The help says so, with where the Windows tool finds the
// bank.
#include <CLI/CLI.hpp>

#include "host/BankToolService.h"

namespace host {

struct ServiceCommands {};

ServiceCommandsPtr AddServiceCommands(CLI::App& app) {
  app.footer(app.get_footer() +
             "\n\nOn Windows: the bank is the file TAVRO_BANK_DB names, else "
             "%LOCALAPPDATA%\\Tavro\\bank.db,\n"
             "used through TavroClient.dll; with TAVRO_BANK_URL=https://HOST:PORT/, "
             "TavroClient.dll\n"
             "is a client of the bank's service instead. The service runs on Linux, where "
             "the bank\n"
             "has its PostgreSQL engine, password hashing and HTTPS server; this build has "
             "none of\n"
             "them: the commands login and serve are not built (docs/windows.md).");
  return nullptr;
}

std::optional<int> RunServiceCommand(const ServiceCommands* /*commands*/) {
  return std::nullopt;
}

void ServiceCommandsDeleter::operator()(ServiceCommands* commands) const {
  delete commands;
}

}  // namespace host

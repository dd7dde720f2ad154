// tavro-bank's commands for the bank's HTTPS service: login (the logins workstations sign
// in with) and serve. Only the Linux build has the service (BankToolService.cpp); the
// Windows build's tool adds neither command and says so in its help
// (BankToolServiceWin32.cpp): its host library is a client of the service, but the
// service keeps its bank on PostgreSQL and needs libsodium and an HTTPS server.
#pragma once

#include <memory>
#include <optional>

namespace CLI {
class App;
}

namespace host {

// The service commands as added to the tool's command line, and their options.
struct ServiceCommands;
struct ServiceCommandsDeleter {
  void operator()(ServiceCommands* commands) const;
};
using ServiceCommandsPtr = std::unique_ptr<ServiceCommands, ServiceCommandsDeleter>;

// Adds the service commands to app (or, where there are none, a line in its help that
// says so). The result may be null.
ServiceCommandsPtr AddServiceCommands(CLI::App& app);

// Runs the service command the command line chose: its exit status, or nullopt when it
// chose none. Throws std::runtime_error with a clear text.
std::optional<int> RunServiceCommand(const ServiceCommands* commands);

}  // namespace host

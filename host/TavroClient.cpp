// The host library's two entry points: each finds the process's connection to the
// bank (the embedded file, or the PostgreSQL server named by TAVRO_BANK_URL) and runs
// the command on it, or hands the command to the bank's service when TAVRO_BANK_URL
// names one (https://).
#include "host/TavroClient.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "host/Database.h"
#include "host/HostCall.h"
#include "host/ServiceClient.h"

namespace {

// One connection per bank and process. A connection is not to be shared by two
// transactions at once, and the library may be called from several threads of one
// program, so each connection has its own lock, held for a whole command; the
// registry's lock guards only the map.
struct Connection {
  std::mutex lock;
  std::unique_ptr<host::Db> db;
};

// The connections of each engine by path or connection string, looked up without a
// copy of the key on every command.
using Connections = std::map<std::string, std::unique_ptr<Connection>, std::less<>>;
std::mutex registryLock;
Connections& Registry(host::Engine engine) {
  static Connections files;
  static Connections servers;
  return engine == host::Engine::kPostgres ? servers : files;
}

Connection& ConnectionFor(const host::BankLocation& location) {
  std::lock_guard<std::mutex> guard(registryLock);
  Connections& connections = Registry(location.engine);
  auto found = connections.find(location.where);
  if (found == connections.end()) {
    found = connections.emplace(location.where, std::make_unique<Connection>()).first;
  }
  return *found->second;
}

// Runs call with the open bank, opening it on first use; a bank that cannot be
// opened is tried again by the next command, and so is a server whose connection was
// lost (the command that noticed it has failed with nothing stored).
template <typename Call>
std::int32_t WithDatabase(char* error, Call call) {
  if (error) {
    error[0] = '\0';
  }
  host::Outcome outcome;
  try {
    const host::BankLocation location = host::DefaultBankLocation();
    Connection& connection = ConnectionFor(location);
    std::lock_guard<std::mutex> guard(connection.lock);
    // A connection the server dropped while it lay idle is noticed only when the
    // command starts; nothing has reached the bank then, so the command runs once
    // more on a new connection.
    for (int attempt = 1; attempt <= 2; ++attempt) {
      if (connection.db && !connection.db->usable()) {
        connection.db.reset();
      }
      if (!connection.db) {
        try {
          connection.db = host::OpenBank(location);
        } catch (const std::exception& e) {
          outcome.status = host::Status::NoDatabase;
          outcome.error = e.what();
          break;
        }
      }
      outcome = call(*connection.db);
      if (!connection.db->usable()) {
        connection.db.reset();
      }
      if (!outcome.reconnect) {
        break;
      }
    }
  } catch (const std::exception& e) {
    outcome.status = host::Status::Failed;
    outcome.error = e.what();
  }
  if (!outcome.ok()) {
    host::WriteErrorText(outcome.error, error);
  }
  return static_cast<std::int32_t>(outcome.status);
}

// The service named by TAVRO_BANK_URL, or empty when it names none.
std::string ServiceUrl() {
  const char* url = std::getenv("TAVRO_BANK_URL");
  return url != nullptr && host::IsServiceUrl(url) ? std::string(url) : std::string();
}

// One client per service and process, used by one command at a time; settings that
// are wrong are said by every command until they are mended.
struct ServiceConnection {
  std::mutex lock;
  std::unique_ptr<host::ServiceClient> client;
};

template <typename Call>
std::int32_t WithService(const std::string& url, char* error, Call call) {
  if (error) {
    error[0] = '\0';
  }
  static std::map<std::string, std::unique_ptr<ServiceConnection>, std::less<>> services;
  host::Outcome outcome;
  try {
    ServiceConnection* connection = nullptr;
    {
      std::lock_guard<std::mutex> guard(registryLock);
      auto& slot = services[url];
      if (!slot) {
        slot = std::make_unique<ServiceConnection>();
      }
      connection = slot.get();
    }
    std::lock_guard<std::mutex> guard(connection->lock);
    if (!connection->client) {
      connection->client = std::make_unique<host::ServiceClient>(url);
    }
    outcome = call(*connection->client);
  } catch (const std::exception& e) {
    outcome.status = host::Status::NoDatabase;
    outcome.error = e.what();
  }
  if (!outcome.ok()) {
    host::WriteErrorText(outcome.error, error);
  }
  return static_cast<std::int32_t>(outcome.status);
}

}  // namespace

extern "C" {

std::int32_t TAVRO_STDCALL qelCommand(HWND_T /*window*/, const char* command, std::int32_t length,
                                      char* result, std::int32_t capacity, char* error,
                                      std::int32_t /*mode*/) {
  if (result && capacity >= 0) {
    result[0] = '\0';
  }
  std::string_view text;
  std::string problem;
  if (!host::ReadCommandText(command, length, text, problem)) {
    host::WriteErrorText(problem, error);
    return static_cast<std::int32_t>(host::Status::Refused);
  }
  if (const std::string url = ServiceUrl(); !url.empty()) {
    return WithService(url, error, [&](host::ServiceClient& service) {
      return service.IntoBuffer(text, result, capacity);
    });
  }
  return WithDatabase(error, [&](host::Db& db) {
    return host::CallIntoBuffer(db, host::BankServer(), text, result, capacity);
  });
}

std::int32_t TAVRO_STDCALL qelFileGet(HWND_T /*window*/, const char* command, std::int32_t length,
                                      const char* file, char* error, std::int32_t /*mode*/) {
  std::string_view text;
  std::string problem;
  if (!host::ReadCommandText(command, length, text, problem)) {
    host::WriteErrorText(problem, error);
    return static_cast<std::int32_t>(host::Status::Refused);
  }
  if (const std::string url = ServiceUrl(); !url.empty()) {
    return WithService(url, error,
                       [&](host::ServiceClient& service) { return service.IntoFile(text, file); });
  }
  return WithDatabase(
      error, [&](host::Db& db) { return host::CallIntoFile(db, host::BankServer(), text, file); });
}

}  // extern "C"

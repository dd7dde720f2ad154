// Where the bank lives and which driver opens it.
#include "host/Database.h"

#include <cstdlib>

#include "host/ServerBank.h"
#include "host/SqliteDb.h"

namespace host {

BankLocation DefaultBankLocation() {
  const char* url = std::getenv("TAVRO_BANK_URL");
  if (url != nullptr && *url != '\0') {
    return BankLocation{Engine::kPostgres, url};
  }
  return BankLocation{Engine::kSqlite, DefaultDatabasePath()};
}

BankLocation ParseBankLocation(const std::string& text) {
  if (text.rfind("postgresql://", 0) == 0 || text.rfind("postgres://", 0) == 0) {
    return BankLocation{Engine::kPostgres, text};
  }
  return BankLocation{Engine::kSqlite, text};
}

std::unique_ptr<Db> OpenBank(const BankLocation& location) {
  // Created by its administrator (tavro-bank init), never by the first program that
  // happens to open it: on a server, nor from a mistyped file name.
  const DbSetup existing{nullptr, nullptr, kSchemaVersion};
  if (location.engine == Engine::kPostgres) {
    return OpenServerBank(location.where, existing);
  }
  return std::make_unique<SqliteDb>(location.where, existing);
}

}  // namespace host

// Where the bank lives and which driver opens it.
#include "host/Database.h"

#include <cstdlib>

#include "host/PostgresDb.h"
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

std::unique_ptr<Db> OpenBank(const BankLocation& location, const DbSetup& setup) {
  if (location.engine == Engine::kPostgres) {
    // A shared bank is created by its administrator (tavro-bank init), never by
    // the first workstation that happens to connect.
    DbSetup existing = setup;
    existing.schema = nullptr;
    existing.data = nullptr;
    return std::make_unique<PostgresDb>(location.where, existing);
  }
  return std::make_unique<SqliteDb>(location.where, setup);
}

}  // namespace host

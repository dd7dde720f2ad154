// Creates the bank's schema with the engine's own SQL.
#include "host/Schema.h"

#include <cstddef>
#include <span>
#include <stdexcept>
#include <string>

#include "host/Database.h"

namespace host {

namespace {

std::span<const char* const> StepsOf(const Db& db) {
  return db.engine() == Engine::kPostgres ? PostgresSchemaSteps() : SqliteSchemaSteps();
}

void RunSteps(Db& db, int from, const char* what) {
  const std::span<const char* const> steps = StepsOf(db);
  if (from < 0 || static_cast<std::size_t>(from) > steps.size() ||
      steps.size() != static_cast<std::size_t>(kSchemaVersion)) {
    throw std::runtime_error(std::string("cannot ") + what + " the bank schema from version " +
                             std::to_string(from));
  }
  try {
    for (const char* step : steps.subspan(static_cast<std::size_t>(from))) {
      db.Exec(step);
    }
  } catch (const ProcedureError& e) {
    throw std::runtime_error(std::string("cannot ") + what + " the bank schema: " + e.what());
  }
}

}  // namespace

// Creates every table of a new bank; the caller holds the transaction.
void CreateSchema(Db& db) {
  RunSteps(db, 0, "create");
}

// Brings a bank of version from up to kSchemaVersion; the caller holds the transaction
// and sets the new version.
void UpgradeSchema(Db& db, int from) {
  RunSteps(db, from, "upgrade");
}

}  // namespace host

// Creates the bank's schema with the engine's own SQL.
#include "host/Schema.h"

#include <stdexcept>

#include "host/Database.h"

namespace host {

// Creates every table of a new bank; the caller holds the transaction.
void CreateSchema(Db& db) {
  try {
    db.Exec(db.engine() == Engine::kPostgres ? PostgresSchemaSql() : SqliteSchemaSql());
  } catch (const ProcedureError& e) {
    throw std::runtime_error(std::string("cannot create the bank schema: ") + e.what());
  }
}

}  // namespace host

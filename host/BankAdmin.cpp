// Creating, upgrading and copying banks between engines, for tavro-bank.
#include "host/BankAdmin.h"

#include <cstring>
#include <memory>
#include <stdexcept>

#include "host/BankFile.h"
#include "host/ServerBank.h"
#include "host/SqlUtil.h"
#include "host/SqliteDb.h"

namespace host {
namespace {

// The bank's tables in an order in which every row's references are copied before
// it (view_node's parents are set in a second pass).
constexpr const char* kTables[] = {
    "corp",         "bank_user",     "user_corp",     "review_list", "currency",
    "corp_account", "account_order", "account_right", "view_node",   "node_right",
    "customer",     "bank",          "cust_account",  "cny_payee",   "usage_text",
    "swift_bank",   "business",      "biz_authorise", "biz_sign",    "biz_audit",
};

// An existing bank opened by its administrator: no schema to create, older ones upgraded.
DbSetup AdminSetup() {
  return DbSetup{nullptr, nullptr, kSchemaVersion, UpgradeSchema};
}

std::int64_t CountRows(Db& db, const std::string& table) {
  const std::string sql = "SELECT count(*) FROM " + table;
  return SelectInt(db, sql.c_str(), 0);
}

}  // namespace

std::string InitBank(const BankLocation& location, bool demo, bool force) {
  const char* what = demo ? " with demonstration data" : "";
  if (location.engine == Engine::kSqlite) {
    const std::string& path = location.where;
    // An empty file holds nothing to lose: the host refuses it as no bank.
    const bool there = FileHasContent(path);
    if (there) {
      if (!force) {
        throw std::runtime_error(path + " exists already; `tavro-bank init" +
                                 std::string(demo ? " --demo" : "") + " --force " + path +
                                 "` replaces it, and everything in it is lost");
      }
      EmptyDatabase(path);
    }
    SqliteDb db(path, BankSetup(demo));
    if (!db.created()) {
      throw std::runtime_error(path +
                               " was set up by another program meanwhile; it was left as it is");
    }
    return std::string(there ? "replaced " : "created ") + path + what;
  }

  CreateServerDatabaseIfMissing(location.where);
  // A database that holds a bank is emptied only when asked to.
  const bool replaced = ServerHoldsBank(location.where);
  if (replaced && !force) {
    throw std::runtime_error(ServerBankName(location.where) +
                             " holds a bank already; `tavro-bank init" +
                             std::string(demo ? " --demo" : "") +
                             " --force URL` replaces it, and everything in it is lost");
  }
  if (replaced) {
    EmptyServerDatabase(location.where);
  }
  const std::unique_ptr<Db> db = OpenServerBank(location.where, BankSetup(demo));
  if (!db->created()) {
    throw std::runtime_error(db->name() + " was set up by another program meanwhile");
  }
  return std::string(replaced ? "replaced the bank of " : "created a bank in ") + db->name() + what;
}

std::string UpgradeBank(const BankLocation& location) {
  if (location.engine == Engine::kSqlite && !FileHasContent(location.where)) {
    throw std::runtime_error(location.where + " holds no bank");
  }
  const std::unique_ptr<Db> db = location.engine == Engine::kPostgres
                                     ? OpenServerBankAsAdministrator(location.where, AdminSetup())
                                     : std::make_unique<SqliteDb>(location.where, BankSetup(false));
  return "the bank has schema version " + std::to_string(kSchemaVersion) + "\n";
}

std::string CopyBank(const BankLocation& from, const BankLocation& to) {
  if (from.engine == Engine::kSqlite && !FileHasContent(from.where)) {
    throw std::runtime_error(from.where + " holds no bank");
  }
  std::unique_ptr<Db> source = from.engine == Engine::kPostgres
                                   ? OpenServerBankAsAdministrator(from.where, AdminSetup())
                                   : std::make_unique<SqliteDb>(from.where, BankSetup(false));
  std::unique_ptr<Db> target;
  if (to.engine == Engine::kPostgres) {
    CreateServerDatabaseIfMissing(to.where);
    target = OpenServerBankAsAdministrator(to.where, BankSetup(false));
  } else {
    if (FileHasContent(to.where)) {
      throw std::runtime_error(to.where + " exists already; copy makes a new bank only");
    }
    target = std::make_unique<SqliteDb>(to.where, BankSetup(false));
  }
  for (const char* table : kTables) {
    if (CountRows(*target, table) != 0) {
      throw std::runtime_error(target->name() + " holds data (table " + table +
                               "); copy fills an empty bank only");
    }
  }

  std::string report;
  source->Begin(Access::Reads);
  target->Begin(Access::Writes);
  try {
    for (const char* table : kTables) {
      const std::string select = std::string("SELECT * FROM ") + table;
      Statement& rows = source->Prepare(select.c_str());
      std::string insert;
      int columns = 0;
      std::int64_t copied = 0;
      while (rows.Step()) {
        if (insert.empty()) {
          columns = rows.Columns();
          std::string names;
          std::string marks;
          for (int c = 0; c < columns; ++c) {
            names += (c ? ", " : "") + rows.ColumnName(c);
            marks += c ? ", ?" : "?";
          }
          insert = std::string("INSERT INTO ") + table;
          insert.append("(").append(names).append(") VALUES (").append(marks).append(")");
        }
        Statement& put = target->Prepare(insert.c_str());
        for (int c = 0; c < columns; ++c) {
          // A parent node may come after its child; parents are set below.
          const bool parent =
              std::strcmp(table, "view_node") == 0 && rows.ColumnName(c) == "parent_id";
          if (rows.IsNull(c) || parent) {
            put.BindNull(c + 1);
          } else {
            put.Bind(c + 1, rows.Text(c));
          }
        }
        put.Step();
        put.Reset();
        ++copied;
      }
      rows.Reset();
      if (std::strcmp(table, "view_node") == 0) {
        Statement& parents =
            source->Prepare("SELECT node_id, parent_id FROM view_node WHERE parent_id IS NOT NULL");
        while (parents.Step()) {
          Execute(*target, "UPDATE view_node SET parent_id = ? WHERE node_id = ?", parents.Int(1),
                  parents.Int(0));
        }
        parents.Reset();
      }
      const std::int64_t there = CountRows(*target, table);
      const std::int64_t expected = CountRows(*source, table);
      if (there != copied || there != expected) {
        throw std::runtime_error(std::string("table ") + table + ": " + std::to_string(expected) +
                                 " rows in the source, " + std::to_string(there) +
                                 " in the copy; nothing was copied");
      }
      report += std::string(table) + ": " + std::to_string(there) + " rows\n";
    }
    if (target->engine() == Engine::kPostgres) {
      // New customer accounts continue after the highest id copied.
      target->Exec(
          "SELECT setval(pg_get_serial_sequence('cust_account', 'ac_id'),"
          " coalesce((SELECT max(ac_id) FROM cust_account), 0) + 1, false)");
    }
    target->Commit();
    source->Commit();
  } catch (...) {
    target->Rollback();
    source->Rollback();
    throw;
  }
  return report;
}

}  // namespace host

// The banks on a database server in the Windows build: there is none. The host library
// for Windows is the demonstration kit's, on the embedded bank file alone (libpq is not
// built for it), so every server bank is refused with a text that says so; the host
// library answers it as a bank it cannot open, and tavro-bank prints it.
#include <stdexcept>

#include "host/ServerBank.h"

namespace host {
namespace {

[[noreturn]] void Refuse() {
  // The URL itself is left out: it may hold a password.
  throw std::runtime_error(
      "this Windows build has no PostgreSQL engine; it opens the bank file TAVRO_BANK_DB "
      "names (unset TAVRO_BANK_URL)");
}

}  // namespace

std::unique_ptr<Db> OpenServerBank(const std::string& /*url*/, const DbSetup& /*setup*/) {
  Refuse();
}

std::unique_ptr<Db> OpenServerBankAsAdministrator(const std::string& /*url*/,
                                                  const DbSetup& /*setup*/) {
  Refuse();
}

void CreateServerDatabaseIfMissing(const std::string& /*url*/) {
  Refuse();
}

bool ServerHoldsBank(const std::string& /*url*/) {
  Refuse();
}

void EmptyServerDatabase(const std::string& /*url*/) {
  Refuse();
}

std::string ServerBankName(const std::string& /*url*/) {
  return "the PostgreSQL bank";
}

}  // namespace host

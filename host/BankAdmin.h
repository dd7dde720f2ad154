// What an administrator does to a bank with tavro-bank: create it (a file or a
// database on a PostgreSQL server), bring an older one up to this release, and copy a whole bank
// between engines.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/Database.h"

namespace host {

// Creates a bank at location with the schema and, with demo, the demonstration data.
// A location that holds a bank already is refused unless force is given; it is then
// emptied and set up anew. On PostgreSQL a database that does not exist is created
// (UTF-8); the connection must be the administrator's. Returns what was done, for
// the operator; throws std::runtime_error with a clear text.
std::string InitBank(const BankLocation& location, bool demo, bool force);

// A service login of a bank and what it may act for.
struct LoginGrant {
  std::string login;
  std::string corp;
  std::vector<std::string> operators;
};

// Brings a bank made by an earlier release up to this release's schema (opening it as
// its administrator runs the steps it lacks); the embedded bank is upgraded by any
// program that opens it. Returns what was done.
std::string UpgradeBank(const BankLocation& location);

// Copies every row of the bank at from into a new bank at to, in one transaction,
// and checks each table's row count; a target that holds data is refused. Returns
// one line per table ("customer: 6 rows").
std::string CopyBank(const BankLocation& from, const BankLocation& to);

}  // namespace host

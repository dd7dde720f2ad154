// The banks on a database server (PostgreSQL) as the engine-neutral code opens and
// administers them: the host library's connection, and what tavro-bank's init, upgrade
// and copy do to a server's database. The Linux build has them on libpq
// (ServerBank.cpp); the Windows build has no server engine and refuses every server
// bank with a clear text (ServerBankWin32.cpp), as the host refuses a bank it cannot open.
#pragma once

#include <memory>
#include <string>

#include "host/Database.h"

namespace host {

// A connection to the bank the PostgreSQL URL names, set up as setup says.
std::unique_ptr<Db> OpenServerBank(const std::string& url, const DbSetup& setup);

// The administrator's connection: the bank's owner, bound by no login; another login
// is refused.
std::unique_ptr<Db> OpenServerBankAsAdministrator(const std::string& url, const DbSetup& setup);

// Creates the database url names when the server has none of that name (UTF-8),
// connecting to the server's maintenance database with the same credentials.
void CreateServerDatabaseIfMissing(const std::string& url);

// Whether the database url names holds a bank already.
bool ServerHoldsBank(const std::string& url);

// Drops everything in the database url names, so that a bank can be set up anew.
void EmptyServerDatabase(const std::string& url);

// url without a password, for messages.
std::string ServerBankName(const std::string& url);

}  // namespace host

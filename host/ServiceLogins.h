// The logins of the bank's service and their sessions, kept in the bank itself so that
// the service holds nothing between requests: a login's password only as its
// Argon2id hash string (libsodium's crypto_pwhash_str), a session only as the hash of
// the random token the workstation holds, and what a login may act for in the same
// map (bank_login) the interpreter checks every command against.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/BankAdmin.h"
#include "host/Database.h"

namespace host {

// How long a session lasts after its sign-in.
inline constexpr std::int64_t kSessionSeconds = std::int64_t{8} * 3600;

// Lets grant.login act for grant.corp as each of grant.operators. A new login needs a
// password; an existing one keeps its password unless one is given. Runs in one write
// transaction on db; throws std::runtime_error with a clear text.
void AddServiceLogin(Db& db, const LoginGrant& grant, const std::optional<std::string>& password);

// Gives an existing login a new password and ends its sessions.
void SetServicePassword(Db& db, const std::string& login, const std::string& password);

// Takes the login, its map and its sessions out of the bank; throws when there is none.
void RemoveServiceLogin(Db& db, const std::string& login);

// Every service login, one grant per login and corporation (a login without a map has
// one grant with an empty corporation).
std::vector<LoginGrant> ListServiceLogins(Db& db);

// A session just made: the token to hand to the workstation, and when it expires
// (seconds since 1970).
struct Session {
  std::string token;
  std::int64_t expires = 0;
};

// Checks the password and opens a session; nullopt for a wrong password or an unknown
// login alike (the caller must not tell them apart). now is seconds since 1970.
std::optional<Session> SignIn(Db& db, const std::string& login, const std::string& password,
                              std::int64_t now);

// The login and what it may act for, for a token of a session that has not expired;
// nullopt for any other text.
std::optional<LoginScope> SessionScope(Db& db, const std::string& token, std::int64_t now);

// Ends the token's session; false when there was none.
bool SignOut(Db& db, const std::string& token);

}  // namespace host

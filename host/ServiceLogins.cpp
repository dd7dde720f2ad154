// Service logins, their password hashes and their sessions in the bank's own tables.
#include "host/ServiceLogins.h"

#include <sodium.h>

#include <array>
#include <stdexcept>

#include "host/SqlUtil.h"

namespace host {
namespace {

void NeedSodium() {
  static const bool ready = sodium_init() >= 0;
  if (!ready) {
    throw std::runtime_error("libsodium cannot start");
  }
}

// A login name goes into messages and the access log: letters, digits, '_', '-', '.'.
void CheckLoginName(const std::string& login) {
  bool good = !login.empty() && login.size() <= 64;
  for (const char c : login) {
    good = good && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '_' || c == '-' || c == '.');
  }
  if (!good) {
    throw std::runtime_error("a login name is 1 to 64 letters, digits, '_', '-' or '.'");
  }
}

std::string HashPassword(const std::string& password) {
  if (password.empty()) {
    throw std::runtime_error("the password is empty");
  }
  NeedSodium();
  std::array<char, crypto_pwhash_STRBYTES> hashed{};
  if (crypto_pwhash_str(hashed.data(), password.data(), password.size(),
                        crypto_pwhash_OPSLIMIT_INTERACTIVE,
                        crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
    throw std::runtime_error("cannot hash the password (out of memory)");
  }
  return hashed.data();
}

bool PasswordMatches(const std::string& hashed, const std::string& password) {
  return crypto_pwhash_str_verify(hashed.c_str(), password.data(), password.size()) == 0;
}

std::string Hex(const unsigned char* bytes, std::size_t size) {
  std::string hex(size * 2 + 1, '\0');
  sodium_bin2hex(hex.data(), hex.size(), bytes, size);
  hex.pop_back();
  return hex;
}

// The stored form of a token: its BLAKE2b hash, so that a copy of the bank holds no
// token that signs anybody in.
std::string TokenHash(const std::string& token) {
  std::array<unsigned char, crypto_generichash_BYTES> hash{};
  crypto_generichash(hash.data(), hash.size(), reinterpret_cast<const unsigned char*>(token.data()),
                     token.size(), nullptr, 0);
  return Hex(hash.data(), hash.size());
}

// Runs work in one write transaction, undone when it throws.
template <typename Work>
auto Writing(Db& db, Work work) {
  db.Begin(Access::Writes);
  try {
    if constexpr (std::is_void_v<decltype(work())>) {
      work();
      db.Commit();
    } else {
      auto result = work();
      db.Commit();
      return result;
    }
  } catch (...) {
    db.Rollback();
    throw;
  }
}

bool LoginExists(Db& db, const std::string& login) {
  return SelectInt(db, "SELECT 1 FROM service_login WHERE login_name = ?", 0, login) != 0;
}

}  // namespace

void AddServiceLogin(Db& db, const LoginGrant& grant, const std::optional<std::string>& password) {
  CheckLoginName(grant.login);
  const std::optional<std::string> hashed =
      password ? std::optional<std::string>(HashPassword(*password)) : std::nullopt;
  Writing(db, [&] {
    if (!LoginExists(db, grant.login)) {
      if (!hashed) {
        throw std::runtime_error("login " + grant.login + " is new and needs a password");
      }
      Execute(db, "INSERT INTO service_login(login_name, password_hash) VALUES (?, ?)", grant.login,
              *hashed);
    } else if (hashed) {
      Execute(db, "UPDATE service_login SET password_hash = ? WHERE login_name = ?", *hashed,
              grant.login);
      Execute(db, "DELETE FROM service_session WHERE login_name = ?", grant.login);
    }
    for (const std::string& user : grant.operators) {
      if (SelectInt(db, "SELECT 1 FROM user_corp WHERE corp_id = ? AND user_id = ?", 0, grant.corp,
                    user) == 0) {
        throw std::runtime_error("user " + user + " does not work for corporation " + grant.corp);
      }
      if (SelectInt(db,
                    "SELECT 1 FROM bank_login WHERE login_name = ? AND corp_id = ? AND user_id = ?",
                    0, grant.login, grant.corp, user) == 0) {
        Execute(db, "INSERT INTO bank_login(login_name, corp_id, user_id) VALUES (?, ?, ?)",
                grant.login, grant.corp, user);
      }
    }
  });
}

void SetServicePassword(Db& db, const std::string& login, const std::string& password) {
  const std::string hashed = HashPassword(password);
  Writing(db, [&] {
    if (Execute(db, "UPDATE service_login SET password_hash = ? WHERE login_name = ?", hashed,
                login) == 0) {
      throw std::runtime_error("the bank has no service login " + login);
    }
    // Whoever knew the old password signs in anew.
    Execute(db, "DELETE FROM service_session WHERE login_name = ?", login);
  });
}

void RemoveServiceLogin(Db& db, const std::string& login) {
  Writing(db, [&] {
    if (!LoginExists(db, login)) {
      throw std::runtime_error("the bank has no service login " + login);
    }
    Execute(db, "DELETE FROM service_session WHERE login_name = ?", login);
    Execute(db, "DELETE FROM service_ledger WHERE login_name = ?", login);
    Execute(db, "DELETE FROM bank_login WHERE login_name = ?", login);
    Execute(db, "DELETE FROM service_login WHERE login_name = ?", login);
  });
}

std::vector<LoginGrant> ListServiceLogins(Db& db) {
  db.Begin(Access::Reads);
  std::vector<LoginGrant> out;
  try {
    Query q(db,
            "SELECT s.login_name, coalesce(m.corp_id, ''), coalesce(m.user_id, '')"
            " FROM service_login s LEFT JOIN bank_login m ON m.login_name = s.login_name"
            " ORDER BY 1, 2, 3");
    while (q.Next()) {
      if (out.empty() || out.back().login != q.Text(0) || out.back().corp != q.Text(1)) {
        out.push_back(LoginGrant{q.Text(0), q.Text(1), {}});
      }
      if (!q.Text(2).empty()) {
        out.back().operators.push_back(q.Text(2));
      }
    }
  } catch (...) {
    db.Rollback();
    throw;
  }
  db.Commit();
  return out;
}

std::optional<Session> SignIn(Db& db, const std::string& login, const std::string& password,
                              std::int64_t now) {
  NeedSodium();
  // An unknown login costs the same hash check as a known one, so that the time of
  // the answer does not tell which logins exist.
  static const std::string decoy = HashPassword("decoy password of no login");
  std::string hashed;
  db.Begin(Access::Reads);
  try {
    Query q(db, "SELECT password_hash FROM service_login WHERE login_name = ?");
    q.Bind(login);
    if (q.Next()) {
      hashed = q.Text(0);
    }
  } catch (...) {
    db.Rollback();
    throw;
  }
  db.Commit();
  if (hashed.empty()) {
    PasswordMatches(decoy, password);
    return std::nullopt;
  }
  if (!PasswordMatches(hashed, password)) {
    return std::nullopt;
  }
  std::array<unsigned char, 32> random{};
  randombytes_buf(random.data(), random.size());
  Session session{Hex(random.data(), random.size()), now + kSessionSeconds};
  Writing(db, [&] {
    // Expired sessions go when somebody signs in; nobody needs them.
    Execute(db, "DELETE FROM service_session WHERE expires_at <= ?", now);
    Execute(db, "INSERT INTO service_session(token_hash, login_name, expires_at) VALUES (?, ?, ?)",
            TokenHash(session.token), login, session.expires);
  });
  return session;
}

std::optional<LoginScope> SessionScope(Db& db, const std::string& token, std::int64_t now) {
  NeedSodium();
  std::optional<LoginScope> scope;
  db.Begin(Access::Reads);
  try {
    // The session and its login's map in one statement: this runs before every command.
    Query q(db,
            "SELECT s.login_name, m.corp_id, m.user_id FROM service_session s"
            " LEFT JOIN bank_login m ON m.login_name = s.login_name"
            " WHERE s.token_hash = ? AND s.expires_at > ?");
    q.Bind(TokenHash(token)).Bind(now);
    while (q.Next()) {
      if (!scope) {
        scope = LoginScope{};
        scope->login = q.Text(0);
      }
      if (!q.IsNull(1)) {
        scope->corps.insert(q.Text(1));
        scope->operators.emplace(q.Text(1), q.Text(2));
      }
    }
  } catch (...) {
    db.Rollback();
    throw;
  }
  db.Commit();
  return scope;
}

bool SignOut(Db& db, const std::string& token) {
  NeedSodium();
  return Writing(db, [&] {
    return Execute(db, "DELETE FROM service_session WHERE token_hash = ?", TokenHash(token)) != 0;
  });
}

}  // namespace host

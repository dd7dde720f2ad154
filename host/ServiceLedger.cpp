// The ledger of answers in the bank's table service_ledger; answers are stored as
// base64 so that their GBK bytes pass a text column on either engine unchanged.
#include "host/ServiceLedger.h"

#include <sodium.h>

#include "host/SqlUtil.h"

namespace host {
namespace {

constexpr int kVariant = sodium_base64_VARIANT_ORIGINAL;

std::string ToBase64(const std::string& bytes) {
  std::string text(sodium_base64_ENCODED_LEN(bytes.size(), kVariant), '\0');
  sodium_bin2base64(text.data(), text.size(), reinterpret_cast<const unsigned char*>(bytes.data()),
                    bytes.size(), kVariant);
  text.resize(text.size() - 1);  // the terminating zero
  return text;
}

std::string FromBase64(const std::string& text) {
  std::string bytes(text.size() / 4 * 3 + 3, '\0');
  std::size_t size = 0;
  if (sodium_base642bin(reinterpret_cast<unsigned char*>(bytes.data()), bytes.size(), text.data(),
                        text.size(), nullptr, &size, nullptr, kVariant) != 0) {
    throw ProcedureError("the ledger holds an answer that is no base64");
  }
  bytes.resize(size);
  return bytes;
}

}  // namespace

std::string CommandDigest(std::string_view command) {
  unsigned char hash[crypto_generichash_BYTES];
  crypto_generichash(hash, sizeof hash, reinterpret_cast<const unsigned char*>(command.data()),
                     command.size(), nullptr, 0);
  char hex[2 * sizeof hash + 1];
  sodium_bin2hex(hex, sizeof hex, hash, sizeof hash);
  return hex;
}

std::optional<LedgerEntry> FindAnswer(Db& db, const std::string& login,
                                      const std::string& requestId) {
  std::optional<LedgerEntry> entry;
  db.Begin(Access::Reads);
  try {
    Query q(db,
            "SELECT status, answer, command FROM service_ledger"
            " WHERE login_name = ? AND request_id = ?");
    q.Bind(login).Bind(requestId);
    if (q.Next()) {
      entry = LedgerEntry{static_cast<int>(q.Int(0)), FromBase64(q.Text(1)), q.Text(2)};
    }
  } catch (...) {
    db.Rollback();
    throw;
  }
  db.Commit();
  return entry;
}

void KeepAnswer(Db& db, const std::string& login, const std::string& requestId,
                const LedgerEntry& entry, std::int64_t now) {
  Execute(db,
          "INSERT INTO service_ledger(login_name, request_id, status, answer, command, at)"
          " VALUES (?, ?, ?, ?, ?, ?)",
          login, requestId, std::int64_t{entry.status}, ToBase64(entry.answer), entry.command, now);
}

void PruneLedger(Db& db, std::int64_t now) {
  db.Begin(Access::Writes);
  try {
    Execute(db, "DELETE FROM service_ledger WHERE at < ?", now - kLedgerSeconds);
    db.Commit();
  } catch (...) {
    db.Rollback();
    throw;
  }
}

}  // namespace host

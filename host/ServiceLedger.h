// The ledger of the service's answers: every write's answer is kept under the login
// and the request id the workstation gave it, stored in the same transaction as the
// write, so that a retry after a lost answer is answered from here and nothing runs
// twice.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host/Database.h"

namespace host {

// How long an answer is kept for a retry.
inline constexpr std::int64_t kLedgerSeconds = std::int64_t{24} * 3600;

struct LedgerEntry {
  int status = 0;
  std::string answer;   // the GBK bytes as they went out
  std::string command;  // CommandDigest of the command it answered
};

// A short, fixed-length digest of a command's bytes (BLAKE2b, hex), so that a request
// id sent again with another command is told apart from a retry.
std::string CommandDigest(std::string_view command);

// The answer kept for the request, if any (a read transaction of its own).
std::optional<LedgerEntry> FindAnswer(Db& db, const std::string& login,
                                      const std::string& requestId);

// Keeps the answer inside the caller's open write transaction; a second answer for
// the same request raises, which undoes that transaction.
void KeepAnswer(Db& db, const std::string& login, const std::string& requestId,
                const LedgerEntry& entry, std::int64_t now);

// Removes the answers older than kLedgerSeconds (a write transaction of its own).
void PruneLedger(Db& db, std::int64_t now);

}  // namespace host

// tavro-bank serve: the bank's procedures behind an HTTPS service. Workstations sign
// in with a service login and send the module's command texts; each runs through the
// command interpreter over the bank, checked against the login's map of corporations
// and operators, and a write's answer is kept in the ledger in the same transaction
// as the write. Sessions and the ledger live in the bank, so the service holds
// nothing between requests that a restart could lose. docs/bank-service.md describes
// the protocol.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <ostream>
#include <string>

#include "host/Database.h"

namespace host {

struct ServiceOptions {
  BankLocation bank;
  std::string host = "127.0.0.1";
  int port = 0;  // 0: any free port (tests)
  std::string certFile;
  std::string keyFile;
  std::ostream* accessLog = nullptr;  // one line per command; none when null
  // At most this many connections to the bank at once; a request waits for a free one
  // at most connectionWait, then is refused with 503 before anything is done.
  std::size_t connections = 16;
  std::chrono::milliseconds connectionWait{10000};
};

class BankService {
 public:
  // Opens the bank once (so that a wrong --bank fails at once), loads the certificate
  // and binds the address; throws std::runtime_error with a clear text.
  explicit BankService(const ServiceOptions& options);
  ~BankService();
  BankService(const BankService&) = delete;
  BankService& operator=(const BankService&) = delete;

  // The port bound.
  int port() const;
  // The bank, as its connection names it (never with a password).
  const std::string& bank() const;
  // Serves until Stop; returns false when serving failed.
  bool Run();
  // Ends Run from another thread (or a signal's watcher).
  void Stop();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace host

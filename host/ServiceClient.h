// The workstation's side of the bank's service: with TAVRO_BANK_URL naming an
// https:// service, the host library signs in with a service login and sends each
// command to the service instead of opening a bank. The login's name comes from
// TAVRO_SERVICE_LOGIN, its password from the file TAVRO_SERVICE_PASSWORD_FILE names
// (readable by its owner only), a bank's own CA from TAVRO_SERVICE_CA; the service's
// certificate is always checked. Every command carries a request id and is sent again
// under the same id when its answer was lost, so that a write is never done twice.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "host/Interpreter.h"

namespace host {

// True when url names the bank's service rather than a database.
bool IsServiceUrl(const std::string& url);

class ServiceClient {
 public:
  // url: https://HOST:PORT/ (the port defaults to 443). Reads the settings from the
  // environment; throws std::runtime_error with a clear text when they are wrong.
  explicit ServiceClient(const std::string& url);
  ~ServiceClient();
  ServiceClient(const ServiceClient&) = delete;
  ServiceClient& operator=(const ServiceClient&) = delete;

  // qelCommand through the service: the answer into result (at most capacity bytes
  // and a zero), empty after any failure. raw holds the channel prefix.
  Outcome IntoBuffer(std::string_view raw, char* result, std::int32_t capacity);
  // qelFileGet through the service: the answer into file, created here and never
  // there before; removed after any failure.
  Outcome IntoFile(std::string_view raw, const char* file);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace host

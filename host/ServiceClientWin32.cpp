// The client of the bank's service in the Windows build: there is none. The service
// speaks HTTPS (cpp-httplib on OpenSSL), which the demonstration kit for Windows does not
// carry, so a TAVRO_BANK_URL naming a service is refused with a text that says so, as a
// bank the host cannot reach, never by opening some other bank instead.
#include <stdexcept>

#include "host/ServiceClient.h"

namespace host {
namespace {

constexpr const char* kNoServiceText =
    "this Windows build has no client of the bank's service (https://); it opens the bank "
    "file TAVRO_BANK_DB names";

Outcome Refused() {
  Outcome outcome;
  outcome.status = Status::NoDatabase;
  outcome.error = kNoServiceText;
  return outcome;
}

}  // namespace

bool IsServiceUrl(const std::string& url) {
  return url.rfind("https://", 0) == 0;
}

struct ServiceClient::State {};

ServiceClient::ServiceClient(const std::string& /*url*/) {
  throw std::runtime_error(kNoServiceText);
}

ServiceClient::~ServiceClient() = default;

Outcome ServiceClient::IntoBuffer(std::string_view /*raw*/, char* result, std::int32_t capacity) {
  if (result != nullptr && capacity >= 0) {
    result[0] = '\0';
  }
  return Refused();
}

Outcome ServiceClient::IntoFile(std::string_view /*raw*/, const char* /*file*/) {
  return Refused();
}

}  // namespace host

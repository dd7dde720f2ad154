// What the workstation's client of the bank's service does the same on every platform:
// its settings (the URL, the login, the password file and a bank's own CA, read from
// the environment), the sign-in, a request id per command, the answer frames read as
// they come, the sends again after a lost answer and the failure texts that say
// whether the command may have been stored (docs/bank-service.md). A platform's client
// only moves bytes: it implements ServiceTransport (cpp-httplib on Linux, WinHTTP on
// Windows) and checks the password file's owner and readers its own way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/Interpreter.h"

namespace host {

// The client's settings, from TAVRO_BANK_URL and the TAVRO_SERVICE_* variables.
struct ServiceSettings {
  std::string host;
  int port = 443;
  std::string where;  // host:port, for messages
  std::string login;
  std::string passwordFile;
  std::string caFile;  // empty: the system's roots
};

// Reads one variable of the environment; empty when it is not set.
using EnvironmentReader = std::string (*)(const char* name);

// url: https://HOST:PORT/ (the port defaults to 443). Throws std::runtime_error with
// a clear text when the URL or the login is wrong.
ServiceSettings ServiceSettingsFrom(const std::string& url, EnvironmentReader setting);

// The password in the text of its file (its first line); throws when there is none.
std::string PasswordFromFileText(std::string_view text, const std::string& path);

// A request id of 16 random bytes, as 32 hexadecimal digits.
std::string RequestIdFrom(std::span<const unsigned char, 16> random);

// One POST as the platform's client sends it.
struct ServiceRequest {
  std::string path;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string_view body;
};

// What became of one POST.
struct ServiceReply {
  bool complete = false;  // the answer came whole (its status and all of its body)
  int status = 0;         // the HTTP status, 0 when none came
  // Nothing reached the service: no connection, or a service whose certificate was
  // refused before anything was sent.
  bool unsent = false;
  std::string why;  // why the answer did not come whole, in the operator's words
};

// Takes the answer's body as it comes, with the HTTP status; false stops reading.
using ServiceBodyReader = std::function<bool(int status, std::string_view data)>;

// The platform's side: sends requests over its kept-alive connection.
class ServiceTransport {
 public:
  virtual ~ServiceTransport() = default;
  virtual ServiceReply Post(const ServiceRequest& request, const ServiceBodyReader& body) = 0;
  // 16 bytes from the system's cryptographic random source; throws when there is none.
  virtual void Random(std::span<unsigned char, 16> bytes) = 0;
};

// A client's session with its service: the settings, the password, the token of the
// signed-in session (empty before the first command and after the service forgot it).
struct ServiceSession {
  ServiceSettings settings;
  std::string password;
  std::string token;
};

// Where the answer goes: the caller's buffer or file. Start begins the answer again
// (a send after a lost answer); Part takes the next part.
class AnswerReceiver {
 public:
  virtual ~AnswerReceiver() = default;
  virtual Status Start(std::string& error) = 0;
  virtual Status Part(std::string_view part, std::string& error) = 0;
};

// Reads the frames of a command's answer as they arrive; parts go to the receiver
// once whole, the closing frame sets the status.
class FrameReader {
 public:
  explicit FrameReader(AnswerReceiver& receiver) : receiver_(receiver) {}
  // False when reading must stop: the receiver refused a part, or the bytes are no
  // frames.
  bool Feed(std::string_view data);
  bool ended() const { return ended_; }
  Status status() const { return status_; }
  const std::string& serviceError() const { return serviceError_; }  // GBK
  Status taken() const { return taken_; }
  const std::string& error() const { return error_; }

 private:
  bool Hex8(std::size_t at, std::size_t& value) const;
  bool Garbled();

  AnswerReceiver& receiver_;
  std::string pending_;
  bool ended_ = false;
  Status status_ = Status::Ok;
  std::string serviceError_;
  Status taken_ = Status::Ok;
  std::string error_;
};

// The command raw (channel prefix and GBK text) through the service, sent again under
// its request id after a lost answer; capacity is the caller's buffer, none for a file.
Outcome SendCommand(ServiceTransport& transport, ServiceSession& session, std::string_view raw,
                    std::optional<std::size_t> capacity, AnswerReceiver& receiver);

// qelCommand through the service: the answer into result (at most capacity bytes and
// a zero), empty after any failure.
Outcome CommandIntoBuffer(ServiceTransport& transport, ServiceSession& session,
                          std::string_view raw, char* result, std::int32_t capacity);

// qelFileGet through the service: the answer into file, created here and never there
// before; removed after any failure.
Outcome CommandIntoFile(ServiceTransport& transport, ServiceSession& session, std::string_view raw,
                        const char* file);

}  // namespace host

// The service's client: one kept-alive HTTPS connection per service, a session signed
// in on first use (and again when the service forgets it), and the command's answer
// read frame by frame as it comes (docs/bank-service.md, "The answer frames").
#include "host/ServiceClient.h"

#include <fcntl.h>
#include <httplib.h>
#include <pthread.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <stdexcept>
#include <thread>

#include "host/AnswerFile.h"
#include "sys/CodePage.h"

namespace host {
namespace {

// How often a command whose answer was lost is sent again under its request id.
constexpr int kSends = 3;
// How long the first wait is before a command the service lost the bank's server for
// is sent again (then twice as long): a server restarting is back within seconds.
constexpr int kLostBankWaitMs = 1000;

std::string Setting(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The password's file must be the user's own and unreadable by anybody else: a
// password others can read is no password.
std::string ReadPasswordFile(const std::string& path) {
  if (path.empty()) {
    throw std::runtime_error("TAVRO_SERVICE_PASSWORD_FILE names no file with the password");
  }
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    throw std::runtime_error("cannot read the password file " + path + ": " + std::strerror(errno));
  }
  struct stat info {};
  std::string text;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid() &&
      (info.st_mode & 077) == 0) {
    std::array<char, 512> buffer{};
    const ssize_t n = read(fd, buffer.data(), buffer.size());
    text.assign(buffer.data(), n > 0 ? static_cast<std::size_t>(n) : 0);
  } else {
    close(fd);
    throw std::runtime_error("the password file " + path +
                             " must be a file of yours readable by you only (chmod 600)");
  }
  close(fd);
  text = text.substr(0, text.find_first_of("\r\n"));
  if (text.empty()) {
    throw std::runtime_error("the password file " + path + " holds no password");
  }
  return text;
}

// Why a request got no answer, in the operator's words.
std::string TransportText(httplib::Error error) {
  switch (error) {
    case httplib::Error::Connection:
      return "cannot connect";
    case httplib::Error::SSLServerVerification:
      return "its certificate is not trusted (TAVRO_SERVICE_CA names a bank's own CA)";
    case httplib::Error::SSLConnection:
      return "no TLS connection";
    case httplib::Error::Read:
      return "the connection broke while reading";
    case httplib::Error::Write:
      return "the connection broke while sending";
    default:
      return httplib::to_string(error);
  }
}

std::string NewRequestId() {
  std::array<unsigned char, 16> random{};
  std::size_t got = 0;
  while (got < random.size()) {
    const ssize_t n = getrandom(random.data() + got, random.size() - got, 0);
    if (n < 0 && errno != EINTR) {
      throw std::runtime_error("no random request id: " + std::string(std::strerror(errno)));
    }
    got += n > 0 ? static_cast<std::size_t>(n) : 0;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string id;
  for (const unsigned char byte : random) {
    id += kHex[byte >> 4];
    id += kHex[byte & 15];
  }
  return id;
}

// Where the answer goes: the caller's buffer or file. Start begins the answer again
// (a send after a lost answer); Part takes the next part.
class Receiver {
 public:
  virtual ~Receiver() = default;
  virtual Status Start(std::string& error) = 0;
  virtual Status Part(std::string_view part, std::string& error) = 0;
};

// Reads the frames of a command's answer as they arrive; parts go to the receiver
// once whole, the closing frame sets the status.
class FrameReader {
 public:
  explicit FrameReader(Receiver& receiver) : receiver_(receiver) {}
  bool Feed(const char* data, std::size_t size) {
    pending_.append(data, size);
    while (!ended_ && pending_.size() >= 9) {
      std::size_t length = 0;
      if (pending_[0] == 'D' && Hex8(1, length)) {
        if (pending_.size() < 9 + length) {
          return true;
        }
        taken_ = receiver_.Part(std::string_view(pending_).substr(9, length), error_);
        pending_.erase(0, 9 + length);
        if (taken_ != Status::Ok) {
          return false;  // the caller cannot take it: stop reading
        }
      } else if (pending_[0] == 'E' && pending_[1] >= '0' && pending_[1] <= '6') {
        if (pending_.size() < 10) {
          return true;
        }
        if (!Hex8(2, length)) {
          return Garbled();
        }
        if (pending_.size() < 10 + length) {
          return true;
        }
        status_ = static_cast<Status>(pending_[1] - '0');
        serviceError_ = pending_.substr(10, length);
        ended_ = true;
      } else {
        return Garbled();
      }
    }
    return true;
  }
  bool ended() const { return ended_; }
  Status status() const { return status_; }
  const std::string& serviceError() const { return serviceError_; }  // GBK
  Status taken() const { return taken_; }
  const std::string& error() const { return error_; }

 private:
  // The 8 hexadecimal digits at pending_[at] as a length.
  bool Hex8(std::size_t at, std::size_t& value) const {
    value = 0;
    for (std::size_t i = at; i < at + 8; ++i) {
      const char c = pending_[i];
      const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
      if (digit < 0) {
        return false;
      }
      value = value * 16 + static_cast<std::size_t>(digit);
    }
    return true;
  }
  bool Garbled() {
    error_ = "the bank service answered something else than answer frames";
    return false;
  }

  Receiver& receiver_;
  std::string pending_;
  bool ended_ = false;
  Status status_ = Status::Ok;
  std::string serviceError_;
  Status taken_ = Status::Ok;
  std::string error_;
};

class BufferReceiver : public Receiver {
 public:
  Status Start(std::string& /*error*/) override {
    answer.clear();
    return Status::Ok;
  }
  Status Part(std::string_view part, std::string& /*error*/) override {
    answer.append(part);
    return Status::Ok;
  }
  std::string answer;
};

class FileReceiver : public Receiver {
 public:
  explicit FileReceiver(AnswerFile& file) : file_(file) {}
  Status Start(std::string& error) override { return file_.Restart(error); }
  Status Part(std::string_view part, std::string& error) override {
    return file_.Append(part, error);
  }

 private:
  AnswerFile& file_;
};

// Writing to a connection the service closed (killed, restarted) raises SIGPIPE, which
// ends the workstation's whole process unless the program ignores it, and the TLS
// layer writes with plain write(). While this lives the calling thread blocks the
// signal, and one raised meanwhile is taken before the thread's mask is restored (the
// write itself fails with EPIPE, which the caller sees as a lost connection).
class QuietPipe {
 public:
  QuietPipe() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    sigset_t pending;
    sigemptyset(&pending);
    sigpending(&pending);
    pendingBefore_ = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
  }
  ~QuietPipe() {
    if (!pendingBefore_) {
      sigset_t pending;
      sigemptyset(&pending);
      sigpending(&pending);
      if (sigismember(&pending, SIGPIPE) == 1) {
        const timespec none{};
        sigtimedwait(&pipe_, nullptr, &none);
      }
    }
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
  }
  QuietPipe(const QuietPipe&) = delete;
  QuietPipe& operator=(const QuietPipe&) = delete;

 private:
  sigset_t pipe_{};
  sigset_t old_{};
  bool pendingBefore_ = false;
};

// What a failed command may have left in the bank, said first: the operator's error
// text holds 127 bytes, and the reason after it may be cut.
std::string Stored(bool reached) {
  return reached ? "the command may have been stored: " : "nothing of the command was stored: ";
}

Outcome Failed(Status status, std::string error) {
  Outcome outcome;
  outcome.status = status;
  outcome.error = std::move(error);
  return outcome;
}

}  // namespace

bool IsServiceUrl(const std::string& url) {
  return url.rfind("https://", 0) == 0;
}

struct ServiceClient::State {
  std::string where;  // host:port, for messages
  std::string login;
  std::string password;
  std::unique_ptr<httplib::SSLClient> http;
  std::string token;

  // Signs in; an empty text on success, else why not.
  std::string SignIn() {
    token.clear();
    auto result = http->Post("/v1/signin", login + "\n" + password, "text/plain");
    if (!result) {
      return "cannot reach the bank service " + where + ": " + TransportText(result.error());
    }
    if (result->status != 200) {
      return "the bank service " + where + " refused the sign-in of login " + login + " (" +
             result->body.substr(0, result->body.find('\n')) + ")";
    }
    token = result->body.substr(0, result->body.find('\n'));
    return {};
  }

  Outcome Send(std::string_view raw, std::optional<std::size_t> capacity, Receiver& receiver);
};

Outcome ServiceClient::State::Send(std::string_view raw, std::optional<std::size_t> capacity,
                                   Receiver& receiver) {
  const QuietPipe quiet;
  const std::string requestId = NewRequestId();
  bool reached = false;  // a send got through to the service at least once
  bool signedInAgain = false;
  std::string lost;
  for (int send = 1; send <= kSends; ++send) {
    if (token.empty()) {
      const std::string why = SignIn();
      if (!why.empty()) {
        return Failed(Status::NoDatabase, Stored(reached) + why);
      }
    }
    std::string startError;
    if (receiver.Start(startError) != Status::Ok) {
      return Failed(Status::FileError, startError);
    }
    httplib::Request request;
    request.method = "POST";
    request.path = "/v1/command";
    request.headers = {{"Authorization", "Bearer " + token},
                       {"Tavro-Request-Id", requestId},
                       {"Content-Type", "application/octet-stream"}};
    if (capacity) {
      request.headers.emplace("Tavro-Capacity", std::to_string(*capacity));
    }
    request.body = std::string(raw);
    FrameReader frames(receiver);
    int answeredWith = 0;
    std::string refusal;
    request.response_handler = [&](const httplib::Response& response) {
      answeredWith = response.status;
      return true;
    };
    request.content_receiver = [&](const char* data, std::size_t size, std::uint64_t,
                                   std::uint64_t) {
      if (answeredWith != 200) {
        refusal.append(data, std::min<std::size_t>(size, 200));
        return true;
      }
      return frames.Feed(data, size);
    };
    httplib::Response response;
    httplib::Error error = httplib::Error::Success;
    const bool sent = http->send(request, response, error);
    if (frames.taken() != Status::Ok) {
      return Failed(frames.taken(), frames.error());
    }
    if (!frames.error().empty()) {
      return Failed(Status::NoDatabase, frames.error() + " (" + where + ")");
    }
    const bool bankLost =
        sent && answeredWith == 200 && frames.ended() && frames.status() == Status::NoDatabase;
    if (bankLost || (sent && answeredWith == 503)) {
      // The service lost the bank's server during the command (perhaps while it
      // committed), or could not reach it before running anything: sent again under
      // the same id, a committed write answers from the ledger, one undone runs again.
      reached = reached || bankLost;
      lost =
          bankLost ? sys::GbkToUtf8(frames.serviceError()) : refusal.substr(0, refusal.find('\n'));
      if (send < kSends) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kLostBankWaitMs * send));
      }
      continue;
    }
    if (sent && answeredWith == 200 && frames.ended()) {
      if (frames.status() != Status::Ok) {
        return Failed(frames.status(), sys::GbkToUtf8(frames.serviceError()));
      }
      return Outcome{};
    }
    if (sent && answeredWith == 401 && !signedInAgain) {
      // The service no longer knows the session (it expired): nothing ran.
      token.clear();
      signedInAgain = true;
      --send;
      continue;
    }
    if (sent && answeredWith != 200) {
      // The service ran nothing of a refused request, but an earlier send of it may
      // have committed before its answer was lost.
      const std::string why = Stored(reached) + "the bank service " + where +
                              " refused the command: " + refusal.substr(0, refusal.find('\n'));
      return Failed(answeredWith == 429 ? Status::Busy
                    : answeredWith == 400 || answeredWith == 409 || answeredWith == 413
                        ? Status::Refused
                        : Status::NoDatabase,
                    why);
    }
    // No answer, or one cut short: send it again under the same request id; a write
    // that committed answers its first answer and runs nothing again.
    reached = reached || error != httplib::Error::Connection;
    lost = sent ? std::string("the answer was cut short") : TransportText(error);
    std::this_thread::sleep_for(std::chrono::milliseconds(200 * send));
  }
  return Failed(Status::NoDatabase,
                Stored(reached) + "no answer from the bank service " + where + " (" + lost + ")");
}

ServiceClient::ServiceClient(const std::string& url) : state_(std::make_unique<State>()) {
  std::string rest = url.substr(std::strlen("https://"));
  rest = rest.substr(0, rest.find('/'));
  std::string host = rest;
  int port = 443;
  const std::size_t colon = rest.rfind(':');
  if (colon != std::string::npos && rest.find(']') == std::string::npos) {
    host = rest.substr(0, colon);
    const std::string digits = rest.substr(colon + 1);
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
      throw std::runtime_error("TAVRO_BANK_URL " + url + " has no valid port");
    }
    port = std::stoi(digits);
  }
  if (host.empty()) {
    throw std::runtime_error("TAVRO_BANK_URL " + url + " names no host");
  }
  State& state = *state_;
  state.where = host + ":" + std::to_string(port);
  state.login = Setting("TAVRO_SERVICE_LOGIN");
  if (state.login.empty()) {
    throw std::runtime_error("TAVRO_SERVICE_LOGIN names no login for the bank service " +
                             state.where);
  }
  state.password = ReadPasswordFile(Setting("TAVRO_SERVICE_PASSWORD_FILE"));
  state.http = std::make_unique<httplib::SSLClient>(host, port);
  const std::string ca = Setting("TAVRO_SERVICE_CA");
  if (!ca.empty()) {
    state.http->set_ca_cert_path(ca.c_str());
  }
  state.http->enable_server_certificate_verification(true);
  state.http->set_keep_alive(true);
  state.http->set_tcp_nodelay(true);
  state.http->set_connection_timeout(5);
  state.http->set_read_timeout(120);
  state.http->set_write_timeout(30);
}

ServiceClient::~ServiceClient() {
  // Closing the TLS session writes to a connection the service may have closed.
  const QuietPipe quiet;
  state_.reset();
}

Outcome ServiceClient::IntoBuffer(std::string_view raw, char* result, std::int32_t capacity) {
  if (result == nullptr || capacity < 0) {
    return Failed(Status::Refused, "no result buffer");
  }
  result[0] = '\0';
  BufferReceiver answer;
  Outcome outcome = state_->Send(raw, static_cast<std::size_t>(capacity), answer);
  if (outcome.ok()) {
    if (answer.answer.size() > static_cast<std::size_t>(capacity)) {
      return Failed(Status::NoRoom, "the answer does not fit the buffer");
    }
    std::memcpy(result, answer.answer.data(), answer.answer.size());
    result[answer.answer.size()] = '\0';
  }
  return outcome;
}

Outcome ServiceClient::IntoFile(std::string_view raw, const char* file) {
  if (file == nullptr || *file == '\0') {
    return Failed(Status::Refused, "no answer file named");
  }
  AnswerFile out(file);
  if (!out.Created()) {
    return Failed(Status::FileError, out.CreateError());
  }
  FileReceiver answer(out);
  Outcome outcome = state_->Send(raw, std::nullopt, answer);
  if (outcome.ok()) {
    outcome.status = out.Close(outcome.error);
  }
  if (!outcome.ok()) {
    out.Remove();
  }
  return outcome;
}

}  // namespace host

// The service's client on Linux: cpp-httplib on OpenSSL over one kept-alive HTTPS
// connection; what is the same on every platform is host/ServiceExchange's.
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
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include "host/ServiceExchange.h"

namespace host {
namespace {

std::string Setting(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The password's file must be the user's own and unreadable by anybody else: a
// password others can read is no password.
std::string ReadPasswordFile(const std::string& path) {
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
  return PasswordFromFileText(text, path);
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

// Moves the requests' bytes through cpp-httplib.
class HttplibTransport : public ServiceTransport {
 public:
  explicit HttplibTransport(const ServiceSettings& settings) : http_(settings.host, settings.port) {
    if (!settings.caFile.empty()) {
      http_.set_ca_cert_path(settings.caFile.c_str());
    }
    http_.enable_server_certificate_verification(true);
    http_.set_keep_alive(true);
    http_.set_tcp_nodelay(true);
    http_.set_connection_timeout(5);
    http_.set_read_timeout(120);
    http_.set_write_timeout(30);
  }

  ServiceReply Post(const ServiceRequest& request, const ServiceBodyReader& body) override {
    httplib::Request sent;
    sent.method = "POST";
    sent.path = request.path;
    for (const auto& [name, value] : request.headers) {
      sent.headers.emplace(name, value);
    }
    sent.body = std::string(request.body);
    int status = 0;
    sent.response_handler = [&](const httplib::Response& response) {
      status = response.status;
      return true;
    };
    sent.content_receiver = [&](const char* data, std::size_t size, std::uint64_t, std::uint64_t) {
      return body(status, std::string_view(data, size));
    };
    httplib::Response response;
    httplib::Error error = httplib::Error::Success;
    ServiceReply reply;
    reply.complete = http_.send(sent, response, error);
    reply.status = status;
    reply.unsent = error == httplib::Error::Connection;
    if (!reply.complete) {
      reply.why = TransportText(error);
    }
    return reply;
  }

  void Random(std::span<unsigned char, 16> bytes) override {
    std::size_t got = 0;
    while (got < bytes.size()) {
      const ssize_t n = getrandom(bytes.data() + got, bytes.size() - got, 0);
      if (n < 0 && errno != EINTR) {
        throw std::runtime_error("no random request id: " + std::string(std::strerror(errno)));
      }
      got += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
  }

 private:
  httplib::SSLClient http_;
};

}  // namespace

struct ServiceClient::State {
  ServiceSession session;
  std::unique_ptr<HttplibTransport> transport;
};

ServiceClient::ServiceClient(const std::string& url) : state_(std::make_unique<State>()) {
  State& state = *state_;
  state.session.settings = ServiceSettingsFrom(url, Setting);
  state.session.password = ReadPasswordFile(state.session.settings.passwordFile);
  state.transport = std::make_unique<HttplibTransport>(state.session.settings);
}

ServiceClient::~ServiceClient() {
  // Closing the TLS session writes to a connection the service may have closed.
  const QuietPipe quiet;
  state_.reset();
}

Outcome ServiceClient::IntoBuffer(std::string_view raw, char* result, std::int32_t capacity) {
  const QuietPipe quiet;
  return CommandIntoBuffer(*state_->transport, state_->session, raw, result, capacity);
}

Outcome ServiceClient::IntoFile(std::string_view raw, const char* file) {
  const QuietPipe quiet;
  return CommandIntoFile(*state_->transport, state_->session, raw, file);
}

}  // namespace host

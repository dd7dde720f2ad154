// The answer-losing relay. It decrypts nothing: a request is a TLS application-data record
// of over 200 bytes (no handshake record nor Finished is); the service's next bytes answer.
#include "LossyRelay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <future>
#include <stdexcept>

namespace hosttest {
namespace {

constexpr unsigned char kApplicationData = 23;
constexpr std::size_t kRequestAtLeast = 200;

// Reads on the loopback hold whole records.
bool CarriesRequest(const char* data, std::size_t size) {
  std::size_t at = 0;
  while (at + 5 <= size) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(data[at + i]); };
    const std::size_t length = static_cast<std::size_t>(byte(3)) << 8 | byte(4);
    if (byte(0) == kApplicationData && length > kRequestAtLeast) {
      return true;
    }
    at += 5 + length;
  }
  return false;
}

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  return address;
}

}  // namespace

LossyRelay::LossyRelay(int target, int everyNth) : target_(target), everyNth_(everyNth) {
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(0);
  socklen_t size = sizeof address;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      listen(listener_, 64) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    close(listener_);
    throw std::runtime_error("the relay cannot listen");
  }
  port_ = ntohs(address.sin_port);
  // A thread still starting allocates: a workstation forked then would inherit the
  // sanitizer allocator's lock held and hang.
  std::promise<void> started;
  std::future<void> running = started.get_future();
  thread_ = std::thread([this, &started] {
    started.set_value();
    Serve();
  });
  running.wait();
}

LossyRelay::~LossyRelay() {
  over_ = true;
  thread_.join();
  for (std::thread& connection : connections_) {
    connection.join();
  }
  close(listener_);
}

bool LossyRelay::CutThisOne() {
  const int n = ++requests_;
  if (everyNth_ > 0 && n % everyNth_ == 0) {
    return true;
  }
  for (int asked = cuts; asked > 0;) {
    if (cuts.compare_exchange_weak(asked, asked - 1)) {
      return true;
    }
  }
  return false;
}

void LossyRelay::Serve() {
  while (!over_) {
    pollfd ready{listener_, POLLIN, 0};
    if (poll(&ready, 1, 100) <= 0) {
      continue;
    }
    const int client = accept(listener_, nullptr, nullptr);
    if (client < 0) {
      continue;
    }
    const int server = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = Loopback(target_);
    if (connect(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      close(server);
      close(client);
      continue;
    }
    const int on = 1;  // no Nagle: it would add a delayed acknowledgement to every answer
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    const std::lock_guard<std::mutex> lock(mutex_);
    connections_.emplace_back([this, client, server] {
      Pump(client, server);
      close(server);
      close(client);
    });
  }
}

// Relays one connection until either side closes. A picked request's answer is read to
// its end (a second of silence) and dropped, the workstation's side closed.
void LossyRelay::Pump(int client, int server) {
  std::array<char, 16384> buffer{};
  bool cutting = false;
  while (!over_) {
    pollfd ends[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
    if (poll(ends, 2, 100) <= 0) {
      continue;
    }
    for (int i = 0; i < 2; ++i) {
      if ((ends[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
        continue;
      }
      const ssize_t n = read(ends[i].fd, buffer.data(), buffer.size());
      if (n <= 0) {
        return;
      }
      if (i == 0 && !cutting && CarriesRequest(buffer.data(), static_cast<std::size_t>(n))) {
        cutting = CutThisOne();
      }
      if (i == 1 && cutting) {
        ++lost_;
        shutdown(client, SHUT_RDWR);
        pollfd answer{server, POLLIN, 0};
        while (!over_ && poll(&answer, 1, 1000) > 0 &&
               read(server, buffer.data(), buffer.size()) > 0) {
        }
        return;
      }
      if (write(ends[1 - i].fd, buffer.data(), static_cast<std::size_t>(n)) != n) {
        return;
      }
    }
  }
}

}  // namespace hosttest

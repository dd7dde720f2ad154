// The exchange with the bank's service, the same on every platform: a session signed
// in on first use (and again when the service forgets it), and the command's answer
// read frame by frame as it comes (docs/bank-service.md, "The answer frames").
#include "host/ServiceExchange.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "host/AnswerFile.h"
#include "host/ServiceClient.h"
#include "sys/CodePage.h"

namespace host {

bool IsServiceUrl(const std::string& url) {
  return url.rfind("https://", 0) == 0;
}
namespace {

// How often a command whose answer was lost is sent again under its request id.
constexpr int kSends = 3;
// How long the first wait is before a command the service lost the bank's server for
// is sent again (then twice as long): a server restarting is back within seconds.
constexpr int kLostBankWaitMs = 1000;
// The most of a refusal's or a sign-in's answer kept: one line of text, or a token.
constexpr std::size_t kShortAnswer = 512;

std::string FirstLine(std::string_view text) {
  return std::string(text.substr(0, text.find_first_of("\r\n")));
}

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

// Keeps the start of a short answer, whatever its status.
ServiceBodyReader ShortAnswer(std::string& into) {
  return [&into](int /*status*/, std::string_view data) {
    into.append(data.substr(0, kShortAnswer - std::min(kShortAnswer, into.size())));
    return true;
  };
}

// Signs in; an empty text on success, else why not. unanswered: no whole answer came,
// so the sign-in may be sent again.
std::string SignIn(ServiceTransport& transport, ServiceSession& session, bool& unanswered) {
  session.token.clear();
  const ServiceSettings& settings = session.settings;
  const std::string body = settings.login + "\n" + session.password;
  std::string answer;
  const ServiceReply reply = transport.Post(
      ServiceRequest{"/v1/signin", {{"Content-Type", "text/plain"}}, body}, ShortAnswer(answer));
  unanswered = !reply.complete;
  if (!reply.complete) {
    return "cannot reach the bank service " + settings.where + ": " + reply.why;
  }
  if (reply.status != 200) {
    return "the bank service " + settings.where + " refused the sign-in of login " +
           settings.login + " (" + FirstLine(answer) + ")";
  }
  session.token = FirstLine(answer);
  if (session.token.empty()) {
    return "the bank service " + settings.where + " answered the sign-in without a session";
  }
  return {};
}

class BufferReceiver : public AnswerReceiver {
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

class FileReceiver : public AnswerReceiver {
 public:
  explicit FileReceiver(AnswerFile& file) : file_(file) {}
  Status Start(std::string& error) override { return file_.Restart(error); }
  Status Part(std::string_view part, std::string& error) override {
    return file_.Append(part, error);
  }

 private:
  AnswerFile& file_;
};

}  // namespace

ServiceSettings ServiceSettingsFrom(const std::string& url, EnvironmentReader setting) {
  std::string rest = url.substr(std::strlen("https://"));
  rest = rest.substr(0, rest.find('/'));
  ServiceSettings settings;
  settings.host = rest;
  const std::size_t colon = rest.rfind(':');
  if (colon != std::string::npos && rest.find(']') == std::string::npos) {
    settings.host = rest.substr(0, colon);
    const std::string digits = rest.substr(colon + 1);
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string::npos || std::stoi(digits) == 0 ||
        std::stoi(digits) > 65535) {
      throw std::runtime_error("TAVRO_BANK_URL " + url + " has no valid port");
    }
    settings.port = std::stoi(digits);
  }
  if (settings.host.empty()) {
    throw std::runtime_error("TAVRO_BANK_URL " + url + " names no host");
  }
  settings.where = settings.host + ":" + std::to_string(settings.port);
  settings.login = setting("TAVRO_SERVICE_LOGIN");
  if (settings.login.empty()) {
    throw std::runtime_error("TAVRO_SERVICE_LOGIN names no login for the bank service " +
                             settings.where);
  }
  settings.passwordFile = setting("TAVRO_SERVICE_PASSWORD_FILE");
  if (settings.passwordFile.empty()) {
    throw std::runtime_error("TAVRO_SERVICE_PASSWORD_FILE names no file with the password");
  }
  settings.caFile = setting("TAVRO_SERVICE_CA");
  return settings;
}

std::string PasswordFromFileText(std::string_view text, const std::string& path) {
  std::string password = FirstLine(text);
  if (password.empty()) {
    throw std::runtime_error("the password file " + path + " holds no password");
  }
  return password;
}

std::string RequestIdFrom(std::span<const unsigned char, 16> random) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string id;
  for (const unsigned char byte : random) {
    id += kHex[byte >> 4];
    id += kHex[byte & 15];
  }
  return id;
}

bool FrameReader::Feed(std::string_view data) {
  pending_.append(data);
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

// The 8 hexadecimal digits at pending_[at] as a length.
bool FrameReader::Hex8(std::size_t at, std::size_t& value) const {
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

bool FrameReader::Garbled() {
  error_ = "the bank service answered something else than answer frames";
  return false;
}

Outcome SendCommand(ServiceTransport& transport, ServiceSession& session, std::string_view raw,
                    std::optional<std::size_t> capacity, AnswerReceiver& receiver) {
  std::array<unsigned char, 16> random{};
  transport.Random(random);
  const std::string requestId = RequestIdFrom(random);
  const std::string& where = session.settings.where;
  bool reached = false;  // a send got through to the service at least once
  bool signedInAgain = false;
  std::string lost;
  for (int send = 1; send <= kSends; ++send) {
    if (session.token.empty()) {
      bool unanswered = false;
      const std::string why = SignIn(transport, session, unanswered);
      if (!why.empty() && unanswered && send < kSends) {
        // Sent again like a command whose answer was lost: the sign-in ran nothing of
        // the command, and a session it may have made expires unused.
        lost = why;
        std::this_thread::sleep_for(std::chrono::milliseconds(200 * send));
        continue;
      }
      if (!why.empty()) {
        return Failed(Status::NoDatabase, Stored(reached) + why);
      }
    }
    std::string startError;
    if (receiver.Start(startError) != Status::Ok) {
      return Failed(Status::FileError, startError);
    }
    ServiceRequest request{"/v1/command",
                           {{"Authorization", "Bearer " + session.token},
                            {"Tavro-Request-Id", requestId},
                            {"Content-Type", "application/octet-stream"}},
                           raw};
    if (capacity) {
      request.headers.emplace_back("Tavro-Capacity", std::to_string(*capacity));
    }
    FrameReader frames(receiver);
    std::string refusal;
    const ServiceReply reply = transport.Post(request, [&](int status, std::string_view data) {
      if (status != 200) {
        refusal.append(data.substr(0, kShortAnswer - std::min(kShortAnswer, refusal.size())));
        return true;
      }
      return frames.Feed(data);
    });
    if (frames.taken() != Status::Ok) {
      return Failed(frames.taken(), frames.error());
    }
    if (!frames.error().empty()) {
      return Failed(Status::NoDatabase, frames.error() + " (" + where + ")");
    }
    const bool sent = reply.complete;
    const int answeredWith = reply.status;
    const bool bankLost =
        sent && answeredWith == 200 && frames.ended() && frames.status() == Status::NoDatabase;
    if (bankLost || (sent && answeredWith == 503)) {
      // The service lost the bank's server during the command (perhaps while it
      // committed), or could not reach it before running anything: sent again under
      // the same id, a committed write answers from the ledger, one undone runs again.
      reached = reached || bankLost;
      lost = bankLost ? sys::GbkToUtf8(frames.serviceError()) : FirstLine(refusal);
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
      session.token.clear();
      signedInAgain = true;
      --send;
      continue;
    }
    if (sent && answeredWith != 200) {
      // The service ran nothing of a refused request, but an earlier send of it may
      // have committed before its answer was lost.
      const std::string why = Stored(reached) + "the bank service " + where +
                              " refused the command: " + FirstLine(refusal);
      return Failed(answeredWith == 429 ? Status::Busy
                    : answeredWith == 400 || answeredWith == 409 || answeredWith == 413
                        ? Status::Refused
                        : Status::NoDatabase,
                    why);
    }
    // No answer, or one cut short: send it again under the same request id; a write
    // that committed answers its first answer and runs nothing again.
    reached = reached || !reply.unsent;
    lost = sent ? std::string("the answer was cut short") : reply.why;
    std::this_thread::sleep_for(std::chrono::milliseconds(200 * send));
  }
  return Failed(Status::NoDatabase,
                Stored(reached) + "no answer from the bank service " + where + " (" + lost + ")");
}

Outcome CommandIntoBuffer(ServiceTransport& transport, ServiceSession& session,
                          std::string_view raw, char* result, std::int32_t capacity) {
  if (result == nullptr || capacity < 0) {
    return Failed(Status::Refused, "no result buffer");
  }
  result[0] = '\0';
  BufferReceiver answer;
  Outcome outcome =
      SendCommand(transport, session, raw, static_cast<std::size_t>(capacity), answer);
  if (outcome.ok()) {
    if (answer.answer.size() > static_cast<std::size_t>(capacity)) {
      return Failed(Status::NoRoom, "the answer does not fit the buffer");
    }
    std::memcpy(result, answer.answer.data(), answer.answer.size());
    result[answer.answer.size()] = '\0';
  }
  return outcome;
}

Outcome CommandIntoFile(ServiceTransport& transport, ServiceSession& session, std::string_view raw,
                        const char* file) {
  if (file == nullptr || *file == '\0') {
    return Failed(Status::Refused, "no answer file named");
  }
  AnswerFile out(file);
  if (!out.Created()) {
    return Failed(Status::FileError, out.CreateError());
  }
  FileReceiver answer(out);
  Outcome outcome = SendCommand(transport, session, raw, std::nullopt, answer);
  if (outcome.ok()) {
    outcome.status = out.Close(outcome.error);
  }
  if (!outcome.ok()) {
    out.Remove();
  }
  return outcome;
}

}  // namespace host

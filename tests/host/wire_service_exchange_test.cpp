// The workstation's side of the service protocol against a scripted transport: what
// the host library sends again, and tells the operator, when the sign-in's answer does
// not come whole (the service's own side is in service_test.cpp).
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "host/ServiceExchange.h"

namespace {

// One reply the scripted service gives, in the order the requests come.
struct Scripted {
  bool complete;
  int status;
  std::string body;
  bool unsent = false;
};

class ScriptedTransport : public host::ServiceTransport {
 public:
  explicit ScriptedTransport(std::deque<Scripted> replies) : replies_(std::move(replies)) {}
  host::ServiceReply Post(const host::ServiceRequest& request,
                          const host::ServiceBodyReader& body) override {
    paths.push_back(request.path);
    if (replies_.empty()) {
      ADD_FAILURE() << "a request the script does not expect: " << request.path;
      return host::ServiceReply{false, 0, true, "no more replies"};
    }
    const Scripted next = replies_.front();
    replies_.pop_front();
    if (!next.body.empty()) {
      body(next.status, next.body);
    }
    return host::ServiceReply{next.complete, next.complete ? next.status : 0, next.unsent,
                              next.complete ? "" : "the connection was reset"};
  }
  void Random(std::span<unsigned char, 16> bytes) override { std::memset(bytes.data(), 7, 16); }

  std::vector<std::string> paths;

 private:
  std::deque<Scripted> replies_;
};

// A command's answer as the service frames it: one part, then the end with status 0.
const Scripted kAnswered{true, 200, "D00000005helloE000000000"};
const Scripted kToken{true, 200, std::string(64, 'a') + "\n"};
const Scripted kLost{false, 0, ""};
const Scripted kRefused{true, 401, "wrong login or password\n"};
const Scripted kNoService{false, 0, "", true};

TEST(ServiceExchange, ASignInWhoseAnswerIsLostIsSentAgainAndOnlyARefusalEndsTheCommand) {
  struct Case {
    const char* what;
    std::deque<Scripted> replies;
    int status;
    const char* says;  // in the error; empty when the command is answered
    std::vector<std::string> paths;
  } const cases[] = {
      {"sign-in answer lost once",
       {kLost, kToken, kAnswered},
       0,
       "",
       {"/v1/signin", "/v1/signin", "/v1/command"}},
      {"sign-in refused",
       {kRefused},
       4,
       "nothing of the command was stored: the bank service 127.0.0.1:4433 refused the "
       "sign-in of login ws12 (wrong login or password)",
       {"/v1/signin"}},
      {"service never reached",
       {kNoService, kNoService, kNoService},
       4,
       "nothing of the command was stored: cannot reach the bank service 127.0.0.1:4433",
       {"/v1/signin", "/v1/signin", "/v1/signin"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedTransport transport(c.replies);
    host::ServiceSession session;
    session.settings.where = "127.0.0.1:4433";
    session.settings.login = "ws12";
    session.password = "pw twelve";
    char result[64] = {};
    const host::Outcome outcome =
        host::CommandIntoBuffer(transport, session, "A01\x07MN_GetCorpName '0012'", result,
                                static_cast<std::int32_t>(sizeof result));
    EXPECT_EQ(static_cast<int>(outcome.status), c.status) << outcome.error;
    if (c.status == 0) {
      EXPECT_STREQ(result, "hello");
    } else {
      EXPECT_EQ(outcome.error.rfind(c.says, 0), 0u) << outcome.error;
    }
    EXPECT_EQ(transport.paths, c.paths);
  }
}

}  // namespace

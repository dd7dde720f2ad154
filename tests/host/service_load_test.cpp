// tavro-bank serve under load: sixteen workstations, eight on each of two logins (the
// most one may have in flight), send the workload for TAVRO_TEST_LOAD_SECONDS (60 by
// default); prints throughput and each kind's p50 and p99, then checks bank and ledger.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "Workstations.h"

namespace {

using hosttest::Sent;

class ServiceLoad : public hosttest::ServiceOnBank {};

TEST_F(ServiceLoad, SixteenWorkstationsThroughOneServiceAreAllServedAndTheBankAddsUp) {
  const char* wanted = std::getenv("TAVRO_TEST_LOAD_SECONDS");
  const int seconds = wanted != nullptr && std::atoi(wanted) > 0 ? std::atoi(wanted) : 60;
  constexpr int kWorkstations = 16;
  const std::vector<Sent> sent =
      hosttest::RunWorkstations(Url(), {kWorkstations, 1000000, 41, seconds, {"ws12", "ws13"}});
  const std::map<char, const char*> kinds = {{'c', "create"}, {'r', "rename"}, {'d', "delete"},
                                             {'i', "import"}, {'s', "rights"}, {'x', "refused"}};
  std::map<char, std::vector<double>> times;
  int done = 0;
  int busy = 0;
  double spent = 0;  // ms in commands, all workstations together
  for (const Sent& s : sent) {
    times[s.kind].push_back(s.ms);
    done += s.status == 0 ? 1 : 0;
    busy += s.status == 3 ? 1 : 0;
    spent += s.ms;
  }
  // Over the time the workstations spent in commands (after signing in).
  const double rate = static_cast<double>(sent.size()) / (spent / 1000 / kWorkstations);
  std::printf("%s bank, %d workstations, %d s: %zu commands (%d done, %d busy), %.0f commands/s\n",
              pg_ ? "PostgreSQL" : "embedded", kWorkstations, seconds, sent.size(), done, busy,
              rate);
  for (auto& [kind, ms] : times) {
    std::sort(ms.begin(), ms.end());
    const auto name = kinds.find(kind);
    const auto quantile = [&sorted = ms](double q) {
      return sorted[std::min(static_cast<std::size_t>(q * static_cast<double>(sorted.size())),
                             sorted.size() - 1)];
    };
    std::printf("  %-8s %6zu  p50 %7.1f ms  p99 %7.1f ms\n",
                name != kinds.end() ? name->second : "?", ms.size(), quantile(0.5), quantile(0.99));
  }
  EXPECT_EQ(times.size(), kinds.size()) << "a kind of command was never sent";
  hosttest::CheckBank(*Open(), sent, false, !pg_);
}

}  // namespace

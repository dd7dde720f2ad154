// tavro-bank serve under load: sixteen workstation processes, eight on each of two
// logins (a login has at most eight commands in flight), send the mixed workload
// through one service for TAVRO_TEST_LOAD_SECONDS (60 by default). The run prints
// its throughput and each kind of command's p50 and p99, then checks that the bank
// holds exactly what the workstations were told and the ledger one answer per
// command that was done. On the embedded bank, and on PostgreSQL when the run asks
// for that engine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "HostTestSupport.h"
#include "ServiceProcess.h"
#include "Workstations.h"

namespace {

using hosttest::Sent;

int LoadSeconds() {
  const char* text = std::getenv("TAVRO_TEST_LOAD_SECONDS");
  return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : 60;
}

// The q-quantile of sorted times (nearest rank).
double Quantile(const std::vector<double>& sorted, double q) {
  const auto rank = static_cast<std::size_t>(q * static_cast<double>(sorted.size()));
  return sorted[std::min(rank, sorted.size() - 1)];
}

class ServiceLoad : public hosttest::ServiceOnBank {};

TEST_F(ServiceLoad, SixteenWorkstationsThroughOneServiceAreAllServedAndTheBankAddsUp) {
  const int seconds = LoadSeconds();
  constexpr int kWorkstations = 16;
  const std::vector<Sent> sent = hosttest::RunWorkstations(
      {service_->Url(), ""}, {kWorkstations, 1000000, 41, seconds, {"ws12", "ws13"}});

  const std::map<char, const char*> kinds = {{'c', "create"}, {'r', "rename"}, {'d', "delete"},
                                             {'i', "import"}, {'s', "rights"}, {'x', "refused"}};
  std::map<char, std::vector<double>> times;
  int done = 0;
  int busyAnswers = 0;
  double spent = 0;  // ms in commands, all workstations together
  for (const Sent& s : sent) {
    times[s.kind].push_back(s.ms);
    done += s.status == 0 ? 1 : 0;
    busyAnswers += s.status == 3 ? 1 : 0;
    spent += s.ms;
  }
  // Throughput over the time the workstations spent in commands (after signing in).
  const double window = spent / 1000 / kWorkstations;
  const double rate = static_cast<double>(sent.size()) / window;
  const char* engine = pg_ ? "PostgreSQL" : "embedded";
  std::printf("%s bank, %d workstations, %d s: %zu commands (%d done, %d busy), %.0f commands/s\n",
              engine, kWorkstations, seconds, sent.size(), done, busyAnswers, rate);
  for (auto& [kind, ms] : times) {
    std::sort(ms.begin(), ms.end());
    const auto name = kinds.find(kind);
    std::printf("  %-8s %6zu  p50 %7.1f ms  p99 %7.1f ms\n",
                name != kinds.end() ? name->second : "?", ms.size(), Quantile(ms, 0.5),
                Quantile(ms, 0.99));
    RecordProperty(std::string(1, kind) + "_p50_ms", static_cast<int>(Quantile(ms, 0.5)));
    RecordProperty(std::string(1, kind) + "_p99_ms", static_cast<int>(Quantile(ms, 0.99)));
  }
  RecordProperty("commands_per_s", static_cast<int>(rate));
  EXPECT_EQ(times.size(), kinds.size()) << "a kind of command was never sent";

  // No fault: every command but those refused by design was done (on the embedded
  // bank a writer may still find the one write lock taken for 5 s: busy, nothing
  // stored), and each done command left one answer in the ledger.
  const std::unique_ptr<host::Db> admin = Open();
  hosttest::CheckBank(*admin, sent, false, !pg_);
  EXPECT_EQ(hosttest::Scalar(*admin, "SELECT count(*) FROM service_ledger"), std::to_string(done));
}

}  // namespace

// A TCP relay to the bank's service that loses answers: a picked request is passed on
// whole and the workstation's side closed once the service answers, so the command runs
// and the workstation never learns how it ended.
#pragma once

#include <atomic>
#include <list>
#include <mutex>
#include <string>
#include <thread>

namespace hosttest {

class LossyRelay {
 public:
  // Relays 127.0.0.1:port() to 127.0.0.1:target, losing every everyNth answer (0: only
  // those asked for through cuts); returns once its thread waits for connections.
  explicit LossyRelay(int target, int everyNth = 0);
  ~LossyRelay();
  LossyRelay(const LossyRelay&) = delete;
  LossyRelay& operator=(const LossyRelay&) = delete;
  std::string Url() const { return "https://127.0.0.1:" + std::to_string(port_) + "/"; }
  int lost() const { return lost_; }

  std::atomic<int> cuts{0};  // the next cuts requests lose their answers too

 private:
  void Serve();
  void Pump(int client, int server);
  bool CutThisOne();

  int target_;
  int everyNth_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> over_{false};
  std::atomic<int> requests_{0};
  std::atomic<int> lost_{0};
  std::mutex mutex_;  // guards connections_
  std::list<std::thread> connections_;
  std::thread thread_;
};

}  // namespace hosttest

// The signal handler that removes a call's private files. A handler may only use
// functions that are safe in it (unlink, signal, raise) and data it can reach without
// the program's help, so the paths are kept in fixed, process-wide buffers: the one
// piece of global state of the shell, as a handler cannot be given anything else.
#include "shell/SignalCleanup.h"

#include <unistd.h>

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>

namespace shell {
namespace {

constexpr int kSlots = 4;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

char gPaths[kSlots][PATH_MAX];
volatile std::sig_atomic_t gKept[kSlots] = {};

void RemoveAndEnd(int signal) {
  std::atomic_signal_fence(std::memory_order_acquire);
  for (int i = 0; i < kSlots; ++i) {
    if (gKept[i] != 0) {
      unlink(gPaths[i]);
    }
  }
  // Ended by the signal itself, not by exit: the parent learns what ended the call.
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

void InstallSignalCleanup() {
  for (const int signal : kSignals) {
    struct sigaction old {};
    if (sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) {
      continue;
    }
    struct sigaction action {};
    action.sa_handler = RemoveAndEnd;
    sigemptyset(&action.sa_mask);
    for (const int other : kSignals) {
      sigaddset(&action.sa_mask, other);
    }
    sigaction(signal, &action, nullptr);
  }
}

RemovedOnSignal::RemovedOnSignal(const std::string& path) {
  if (path.empty() || path.size() >= PATH_MAX) {
    return;
  }
  for (int i = 0; i < kSlots; ++i) {
    if (gKept[i] == 0) {
      std::memcpy(gPaths[i], path.c_str(), path.size() + 1);
      // The path is whole before the handler may read it.
      std::atomic_signal_fence(std::memory_order_release);
      gKept[i] = 1;
      slot_ = i;
      return;
    }
  }
}

RemovedOnSignal::~RemovedOnSignal() {
  if (slot_ >= 0) {
    gKept[slot_] = 0;
  }
}

}  // namespace shell

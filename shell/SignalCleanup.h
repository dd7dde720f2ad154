// The files of a running call that an interrupt must not leave behind: on SIGINT,
// SIGTERM or SIGHUP they are removed and the process ends by that same signal, so
// its parent sees the usual status (128 + the signal).
#pragma once

#include <string>

namespace shell {

// Installs the handler for the three signals; one the process was started with
// ignored stays ignored (a job run with nohup or in the background).
void InstallSignalCleanup();

// Keeps path for the handler to remove while the object lives; the object never
// removes it itself. A path longer than the handler's fixed room is not kept (no
// file of such a name can have been made).
class RemovedOnSignal {
 public:
  explicit RemovedOnSignal(const std::string& path);
  ~RemovedOnSignal();
  RemovedOnSignal(const RemovedOnSignal&) = delete;
  RemovedOnSignal& operator=(const RemovedOnSignal&) = delete;

 private:
  int slot_ = -1;
};

}  // namespace shell

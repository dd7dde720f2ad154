// A disk that fills up: for the object's life, writes beyond a file size fail with EFBIG
// (SIGXFSZ ignored). Header only, for the host's own tests too.
#pragma once

#include <signal.h>
#include <sys/resource.h>

namespace tavro_test {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    oldSignal_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit lower = old_;
    lower.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &lower);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    ::signal(SIGXFSZ, oldSignal_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
  sighandler_t oldSignal_;
};

}  // namespace tavro_test

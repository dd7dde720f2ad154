#include "sys/TickCount.h"

#include <time.h>

namespace sys {

std::uint64_t TickCount() {
  struct timespec ts {};
  if (::clock_gettime(CLOCK_BOOTTIME, &ts) != 0) {
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
  }
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
         static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
}

}  // namespace sys

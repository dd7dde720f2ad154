// The tick count on Windows: GetTickCount64, since GetTickCount's 32 bits wrap after
// 49.7 days and the header promises a count that never decreases.
#include "sys/TickCount.h"

#include "sys/Win32Api.h"

namespace sys {

std::uint64_t TickCount() {
  return ::GetTickCount64();
}

}  // namespace sys

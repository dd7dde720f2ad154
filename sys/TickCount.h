// Milliseconds since the system started, as the platform's tick count.
#pragma once

#include <cstdint>

namespace sys {

// From the boot-time clock (it keeps counting through suspend); never decreases.
std::uint64_t TickCount();

}  // namespace sys

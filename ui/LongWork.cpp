// Long work and the platform's turns.
#include "ui/LongWork.h"

#include "sys/TickCount.h"

namespace ui {

LongWork::LongWork(std::uint64_t turnMs) : turnMs_(turnMs), lastTurn_(sys::TickCount()) {}

LongWork::~LongWork() {
  try {
    CurrentPlatform().ProcessPendingEvents();
  } catch (...) {
    // Ending the work must not fail: at worst the input is handled after it.
  }
}

bool LongWork::Due() const {
  return sys::TickCount() - lastTurn_ >= turnMs_;
}

void LongWork::GiveTurn() {
  CurrentPlatform().ProcessPendingEvents();
  lastTurn_ = sys::TickCount();
}

void LongWork::Finish(const std::string& summary) {
  GiveTurn();
  CurrentPlatform().WorkSummary(summary);
}

}  // namespace ui

// Long work run by an event handler, such as an import of many lines: the hourglass
// shows while it runs, and the platform gets its turn (Platform::ProcessPendingEvents)
// at a bounded rate, so that the window keeps painting the progress and answering its
// window system while no input reaches the dialog.
//
//   ui::LongWork work;
//   while (more) {
//     ... one piece of the work, its log line ...
//     if (work.Due()) {
//       ... bring what shows the progress up to date ...
//       work.GiveTurn();
//     }
//   }
//   work.Finish(summary);  // the closing line, for whoever ran the dialog
#pragma once

#include <cstdint>
#include <string>

#include "ui/Platform.h"

namespace ui {

// The longest time between two turns of the platform, in milliseconds: often enough for
// a window to feel alive, seldom enough to cost the work nothing worth measuring.
inline constexpr std::uint64_t kLongWorkTurnMs = 200;

class LongWork {
 public:
  // turnMs: the time between two turns; 0 gives one at every Due().
  explicit LongWork(std::uint64_t turnMs = kLongWorkTurnMs);
  // The platform has a last turn before the hourglass goes, so that input given since
  // the one before is dropped too rather than played once the work has ended.
  ~LongWork();
  LongWork(const LongWork&) = delete;
  LongWork& operator=(const LongWork&) = delete;

  // True once turnMs have passed since the platform's last turn (or the work's start).
  bool Due() const;
  // The platform's turn; the next one is due turnMs later.
  void GiveTurn();
  // The work's closing line (GBK), told to the platform (Platform::WorkSummary) after a
  // last turn, so that the screen shows it as the transcript records it.
  void Finish(const std::string& summary);

 private:
  HourglassScope hourglass_;
  std::uint64_t turnMs_;
  std::uint64_t lastTurn_;
};

}  // namespace ui

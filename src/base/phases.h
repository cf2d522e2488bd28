#pragma once
// Where a start spends its time, for the start-up benchmark: wall-clock time summed per
// phase. Off unless switched on (then a timer costs two clock reads).
// Phases nest (a composition holds its captures), so the figures do not add up to the start.
namespace tessara {

enum class Phase {
  LoadWindows,     // settings and tile data of every window
  LayerCaches,     // reading the cached layer images
  Composing,       // whole compositions, everything below included
  Captures,        // transparent backgrounds: stepping aside, repaint wait, copy
  RepaintWaits,    // the part of the captures spent waiting for windows to repaint
  Pictures,        // reading background pictures
  IconExtraction,  // icons from their files
  IconDrawing,     // drawing tiles into the layers
  PixelPasses,     // fills, effects, edges, layer copies and cell shading
  Showing,         // showing windows and painting them from their layers
  Count
};

void StartPhaseClock();
bool PhaseClockOn();
const char* PhaseName(Phase phase);
double PhaseMilliseconds(Phase phase);

class PhaseTimer {
 public:
  explicit PhaseTimer(Phase phase);
  ~PhaseTimer();
  PhaseTimer(const PhaseTimer&) = delete;
  PhaseTimer& operator=(const PhaseTimer&) = delete;

 private:
  Phase phase_;
  long long start_ = -1;  // nanoseconds; -1 while the clock is off
};

}  // namespace tessara

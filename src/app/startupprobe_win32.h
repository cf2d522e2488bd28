#pragma once
// An opt-in measurement of start-up for the start-up benchmark: "/startup-probe[:file]" on
// the command line. Once the program has started and shown itself, the probe lets every
// pending paint run, writes the milliseconds since the process was created, and ends the
// process without saving, so the next measured start finds the same files. Below that
// first line the file holds "name=value" lines: the process's private memory in KB, its
// processor time, the time WinMain was reached and the time of each start-up phase.
// "/probe-redraw" beside it has the program redraw every window before the figures are taken.
#include <string>

namespace tessara {

class StartupProbe {
 public:
  explicit StartupProbe(const char* commandLine);
  bool Requested() const { return requested_; }
  bool RedrawRequested() const { return requested_ && redraw_; }
  // Does nothing unless requested; otherwise never returns.
  void FinishIfRequested() const;

 private:
  bool requested_ = false;
  bool redraw_ = false;
  double winmain_ms_ = 0;
  std::string file_;  // empty: "startup-ms.txt" in the current folder
};

// Milliseconds from this process's creation to now.
double MillisecondsSinceProcessStart();

// Dispatches messages until no window of this thread has a paint pending, or until a quit
// message, which it leaves in the queue.
void PumpUntilPainted();

}  // namespace tessara

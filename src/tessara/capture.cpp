#include "tessara/capture.h"

#include <algorithm>

namespace tessara {

CapturePlan PlanCapture(const CaptureSystem& system) {
  if (!system.Composition) return {0, Aside::MoveAway, true, kRepaintWaitMs, false};
  CapturePlan plan{0, Aside::MoveAway, false, 0, true};
  if (system.Exclusion && system.Build >= kExclusionBuild)
    plan.HowAside = Aside::ExcludeFromCapture;
  else if (system.Cloaking)
    plan.HowAside = Aside::Cloak;
  // What fades out lies above the window, where no flush waits for it: a capture that a menu
  // command or a dialog started would copy it into the background.
  const unsigned since = system.SelectionFade ? std::min(system.SinceMenuClosedMs, system.SinceDialogClosedMs)
                                              : system.SinceDialogClosedMs;
  if (since < kFadeOutMs) plan.FadeWaitMs = kFadeOutMs - since;
  return plan;
}

Repaint RepaintBelow(const WindowBelow& window) {
  if (window.Cloaked) return Repaint::PassOver;
  if (window.Hung) return Repaint::Leave;
  return window.OwnThread ? Repaint::Now : Repaint::Ask;
}

}  // namespace tessara

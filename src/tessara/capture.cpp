#include "tessara/capture.h"

namespace tessara {

CapturePlan PlanCapture(const CaptureSystem& system) {
  if (!system.Composition) return {Aside::MoveAway, true, kRepaintWaitMs, false};
  CapturePlan plan{Aside::MoveAway, false, 0, true};
  if (system.Exclusion && system.Build >= kExclusionBuild)
    plan.HowAside = Aside::ExcludeFromCapture;
  else if (system.Cloaking)
    plan.HowAside = Aside::Cloak;
  // The fading item is a window of its own, above ours: a capture its command started would
  // copy it into the background.
  if (system.SelectionFade && system.SinceMenuClosedMs < kMenuFadeMs)
    plan.WaitMs = kMenuFadeMs - system.SinceMenuClosedMs;
  return plan;
}

Repaint RepaintBelow(const WindowBelow& window) {
  if (window.Cloaked) return Repaint::PassOver;
  if (window.Hung) return Repaint::Leave;
  return window.OwnThread ? Repaint::Now : Repaint::Ask;
}

}  // namespace tessara

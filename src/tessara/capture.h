#pragma once
// How a transparent window takes the screen behind it. Without a desktop compositor the
// screen holds only what windows painted: the window moves away and what lay below must
// repaint before the copy. With one, every window keeps its own image and a screen copy shows
// the last frame presented: the window leaves the copy without leaving the screen, and the
// wait is for the compositor's next frames.
namespace tessara {

// How a window leaves the screen copy for a capture.
enum class Aside {
  MoveAway,            // far off the screen: without a compositor, or where nothing better exists
  ExcludeFromCapture,  // still on screen for the user, absent from every copy
  Cloak,               // hidden by the compositor, its place kept
};

// What the system offers for one capture.
struct CaptureSystem {
  bool Composition = false;    // the desktop compositor presents the screen
  unsigned Build = 0;          // the system's build number
  bool Exclusion = true;       // excluding a window from copies has not been refused
  bool Cloaking = true;        // cloaking has not been refused
  bool SelectionFade = false;  // a chosen menu item fades out after its menu closes
  unsigned SinceMenuClosedMs = ~0u;    // since a menu of the program last closed
  unsigned SinceDialogClosedMs = ~0u;  // since a dialog or message box of the program closed
};

struct CapturePlan {
  // First, so that a fading menu item or dialog is gone, this long passes.
  unsigned FadeWaitMs = 0;
  Aside HowAside = Aside::MoveAway;
  // The windows below are asked to repaint the part they show.
  bool Walk = true;
  // Then paint messages of the program's own windows are let through for this long,
  unsigned RepaintWaitMs = 0;
  // or the copy waits for the compositor to present the screen as it now is.
  bool Flush = false;
};

// The first build that can exclude a window from copies (Windows 10 version 2004); earlier
// ones take the request as one to copy the window black.
inline constexpr unsigned kExclusionBuild = 19041;
// How long the windows below get to repaint when nothing composes the screen.
inline constexpr unsigned kRepaintWaitMs = 40;
// How long a chosen menu item, or a closed dialog, may still show: the compositor fades both
// out, and says for how long nowhere.
inline constexpr unsigned kFadeOutMs = 200;

CapturePlan PlanCapture(const CaptureSystem& system);

// A window below a capture, as the walk finds it.
struct WindowBelow {
  bool OwnThread = false;  // its messages are handled by this very thread
  bool Hung = false;       // its thread has not read its messages for a while
  bool Cloaked = false;    // the compositor hides it: it shows nothing
};

enum class Repaint {
  PassOver,  // it shows nothing: what lies below it shows through
  Leave,     // asked nothing: it still covers what lies below it
  Now,       // painted before the walk goes on
  Ask,       // invalidated only: its own thread paints it when it can, the walk never waits
};

// What the walk asks of a window below: only this thread's windows are painted at once,
// since painting another program's window now would wait for that program.
Repaint RepaintBelow(const WindowBelow& window);

}  // namespace tessara

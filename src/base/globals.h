#pragma once
// Program-wide state shared by the control panel and the tessaras.

namespace tessara {

// True from program load until the control panel is first shown; every save returns at
// once while it is set, so a start that fails half way never overwrites good files.
extern bool Starting;

}  // namespace tessara

#pragma once
// Where the main window goes and how it shrinks away: plain arithmetic over
// the work area, the taskbar and the window's size.
#include <optional>
#include <vector>

#include "app/Settings.h"
#include "util/Seams.h"

namespace qv {

struct TPlace {
  int Left = 0;
  int Top = 0;
};

struct TSize {
  int Width = 0;
  int Height = 0;
};

// The place each showing gives the window. The top is measured from the
// work area's height, so a taskbar at the top leaves the window that much
// higher than the work area's bottom.
TPlace ShowPlace(const TScreenRect& workArea, TSize window);

// Beside the taskbar; nothing when the shell names no known edge.
std::optional<TPlace> PlaceNearTaskbar(const TScreenRect& workArea, const TTaskbarPosition& taskbar,
                                       TSize window);

// The sizes of the shrinking picture, one per animation step: the steps
// grow by a hundredth of the start size each time, so the shrinking speeds up.
std::vector<TSize> ShrinkSteps(TSize start);

}  // namespace qv

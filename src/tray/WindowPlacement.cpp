#include "tray/WindowPlacement.h"

namespace qv {

TPlace ShowPlace(const TScreenRect& workArea, TSize window) {
  return {workArea.Right - window.Width - 4, workArea.Bottom - workArea.Top - window.Height - 4};
}

std::optional<TPlace> PlaceNearTaskbar(const TScreenRect& workArea, const TTaskbarPosition& taskbar,
                                       TSize window) {
  constexpr int kGap = 10;
  int left = workArea.Right - window.Width - kGap;
  int top = workArea.Bottom - window.Height - kGap;
  switch (taskbar.Edge) {
    case TTaskbarEdge::Left:
    case TTaskbarEdge::Top:
      return TPlace{left, top};
    case TTaskbarEdge::Right:
      return TPlace{left - (taskbar.Right - taskbar.Left), top};
    case TTaskbarEdge::Bottom:
      return TPlace{left, taskbar.Top - window.Height - kGap};
    default:
      return std::nullopt;
  }
}

std::vector<TSize> ShrinkSteps(TSize start) {
  std::vector<TSize> steps;
  TSize size = start;
  int dH = start.Height / 100, dW = start.Width / 100;
  for (int i = 0; i < 100; ++i) {
    if (size.Height - dH <= 0) break;
    size.Height -= dH;
    if (size.Width - dW <= 0) break;
    size.Width -= dW;
    steps.push_back(size);
    dH += start.Height / 100;
    dW += start.Width / 100;
  }
  return steps;
}

}  // namespace qv

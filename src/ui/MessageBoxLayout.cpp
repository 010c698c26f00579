#include "ui/MessageBoxLayout.h"

#include <algorithm>

#include "ui/Dpi.h"

namespace qv::ui {
namespace {

constexpr int kClientWidth = 406;
constexpr int kPanelHeight = 35;
constexpr int kPanelGap = 2;
constexpr int kHelpPanelExtra = 5;
constexpr TRect kImage{5, 5, 29, 29};
constexpr TRect kHelpButton{93, 4, 187, 29};
constexpr int kButtonTop = 4;
constexpr int kButtonHeight = 25;

TRect Scaled(const TMessageBoxMetrics& s, const TRect& r, int dy) {
  return TRect{s.Scale(r.Left), s.Scale(r.Top) + dy, s.Scale(r.Right), s.Scale(r.Bottom) + dy};
}

}  // namespace

int TMessageBoxMetrics::Scale(int size96) const { return ScaleToDpi(size96, Dpi); }

int PointsToPixels(int points, int dpi) { return (points * dpi + 36) / 72; }

TMessageBoxMetrics MakeMessageBoxMetrics(int screenWidth, int dpi) {
  TMessageBoxMetrics s;
  s.Dpi = dpi;
  bool large = screenWidth > 800;
  s.MessageFontPx = PointsToPixels(large ? 10 : 8, dpi);
  s.FormFontPx = PointsToPixels(large ? 9 : 8, dpi);
  s.ClientWidth = s.Scale(kClientWidth);
  // 89 × 1.1 rounds to 98; the button then fills it but for 2 pixels each side.
  int panel96 = large ? 98 : 89;
  s.CloseAreaWidth = s.Scale(panel96);
  s.CloseLeft = s.Scale(large ? 2 : 7);
  s.CloseWidth = large ? s.CloseAreaWidth - s.Scale(4) : s.Scale(77);
  return s;
}

TBoxGeometry LayoutBox(const TMessageBoxMetrics& s, int messageHeight,
                       std::optional<int> helpHeight, int maxClientHeight) {
  TBoxGeometry g;
  int panel = s.Scale(kPanelHeight);
  int gap = s.Scale(kPanelGap);
  int helpPanel = helpHeight ? *helpHeight + s.Scale(kHelpPanelExtra) : 0;
  g.ClientHeight = messageHeight + gap + panel + helpPanel;
  if (maxClientHeight > 0) g.ClientHeight = std::min(g.ClientHeight, maxClientHeight);
  int buttonBarTop = g.ClientHeight - helpPanel - panel;
  g.Message = TRect{0, 0, s.ClientWidth, std::max(0, std::min(messageHeight, buttonBarTop - gap))};
  g.ButtonBar = TRect{0, buttonBarTop, s.ClientWidth, buttonBarTop + panel};
  g.Image = Scaled(s, kImage, buttonBarTop);
  g.HelpButton = Scaled(s, kHelpButton, buttonBarTop);
  int closeLeft = s.ClientWidth - s.CloseAreaWidth + s.CloseLeft;
  int buttonTop = buttonBarTop + s.Scale(kButtonTop);
  g.CloseButton =
      TRect{closeLeft, buttonTop, closeLeft + s.CloseWidth, buttonTop + s.Scale(kButtonHeight)};
  if (helpHeight) {
    g.HelpPanel = TRect{0, g.ButtonBar.Bottom, s.ClientWidth, g.ButtonBar.Bottom + helpPanel};
    g.HelpView = TRect{0, g.ButtonBar.Bottom, s.ClientWidth, g.ButtonBar.Bottom + *helpHeight};
  }
  return g;
}

int BoxHeightLimit(int screenHeight) { return (screenHeight * 7 + 5) / 10; }

std::size_t ChooseBoxMonitor(const std::vector<TMonitor>& monitors,
                             const std::optional<TRect>& window,
                             std::optional<std::size_t> monitorOfWindow) {
  if (window && window->Width() > 0 && window->Height() > 0) {
    for (std::size_t i = 0; i < monitors.size(); ++i) {
      const TRect& m = monitors[i].Bounds;
      int w = std::min(m.Right, window->Right) - std::max(m.Left, window->Left);
      int h = std::min(m.Bottom, window->Bottom) - std::max(m.Top, window->Top);
      if (2 * w > window->Width() && 2 * h > window->Height()) return i;
    }
  }
  if (monitorOfWindow && *monitorOfWindow < monitors.size()) return *monitorOfWindow;
  for (std::size_t i = 0; i < monitors.size(); ++i)
    if (monitors[i].Primary) return i;
  return 0;
}

TRect CenterIn(const TRect& area, int width, int height) {
  int left = area.Left + (area.Width() - width) / 2;
  int top = area.Top + (area.Height() - height) / 2;
  return TRect{left, top, left + width, top + height};
}

}  // namespace qv::ui

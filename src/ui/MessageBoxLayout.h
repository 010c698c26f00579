#pragma once
// Where the message box and its parts go: sizes designed at 96 DPI, the
// larger set-up on wide screens, the height limit and the monitor choice.
#include <cstddef>
#include <optional>
#include <vector>

namespace qv::ui {

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TRect&) const = default;
};

// Fonts and button sizes of one box, already scaled to the screen's DPI.
struct TMessageBoxMetrics {
  int Dpi = 96;
  int MessageFontPx = 0;  // message and help views
  int FormFontPx = 0;     // buttons
  int ClientWidth = 0;
  int CloseAreaWidth = 0;
  int CloseLeft = 0;  // within the close area
  int CloseWidth = 0;
  int Scale(int size96) const;
};

// screenWidth in pixels decides the larger set-up (wider than 800).
TMessageBoxMetrics MakeMessageBoxMetrics(int screenWidth, int dpi);

// Font height in pixels of a point size at dpi.
int PointsToPixels(int points, int dpi);

struct TBoxGeometry {
  int ClientHeight = 0;
  TRect Message;  // the visible part of the message view
  TRect ButtonBar;
  TRect Image;  // within the client area
  TRect HelpButton;
  TRect CloseButton;
  std::optional<TRect> HelpPanel;  // when unfolded
  TRect HelpView;
};

// messageHeight/helpHeight: heights the views' texts need (helpHeight only
// when the help is unfolded); maxClientHeight cuts the message view.
TBoxGeometry LayoutBox(const TMessageBoxMetrics& setup, int messageHeight,
                       std::optional<int> helpHeight, int maxClientHeight);

// The box's height limit: 70 % of the screen height, rounded.
int BoxHeightLimit(int screenHeight);

struct TMonitor {
  TRect Bounds;
  TRect WorkArea;
  bool Primary = false;
};

// The first monitor that covers more than half of the window's width and
// height; else the window's own monitor; else the primary one.
std::size_t ChooseBoxMonitor(const std::vector<TMonitor>& monitors,
                             const std::optional<TRect>& window,
                             std::optional<std::size_t> monitorOfWindow);

TRect CenterIn(const TRect& area, int width, int height);

}  // namespace qv::ui

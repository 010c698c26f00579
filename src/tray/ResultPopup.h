#pragma once
// The result popup: a small window that slides up at the bottom right of the
// screen with "Erfolgreich!" (white) or "Fehler!" (red), rests five seconds
// and slides down again. It never takes the focus and cannot be clicked.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "ui/GdiHandles.h"
#include "ui/HtmlView.h"
#include "util/Seams.h"

namespace qv {

inline constexpr wchar_t kResultPopupClassName[] = L"TSignal";
inline constexpr UINT_PTR kSlideOutTimerId = 1;
inline constexpr UINT kSlideOutDelayMs = 5000;
inline constexpr char kResultFailed[] = "Quorvel:<b> Fehler!";
inline constexpr char kResultSucceeded[] = "Quorvel:<b> Erfolgreich!";

class TResultPopup {
 public:
  TResultPopup();
  ~TResultPopup();
  TResultPopup(const TResultPopup&) = delete;
  TResultPopup& operator=(const TResultPopup&) = delete;

  HWND Handle() const { return window_; }

  // Shows the outcome of a run; a new call in any state starts over.
  void ShowResult(bool failed);
  // Five seconds after resting: slides out and hides.
  void SlideOut();

  bool SlideOutPending() const { return slideOutPending_; }
  int TargetTop() const { return targetTop_; }
  COLORREF PanelColor() const { return panelColor_; }
  COLORREF BorderColor() const { return borderColor_; }
  const ui::THtmlView& ResultLabel() const { return *resultLabel_; }

  // For the window procedure.
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  void PaintBuffered(HDC dc);
  void PaintFlatPanel(HDC dc);
  void MoveTo(int top);
  void StartSlideOutTimer();
  void StopSlideOutTimer();
  // False when the program is ending or a newer slide has started.
  bool KeepSliding(unsigned generation);

  HWND window_ = nullptr;
  int dpi_ = 96;
  std::unique_ptr<ui::THtmlView> resultLabel_;
  COLORREF panelColor_ = RGB(255, 255, 255);
  COLORREF borderColor_ = RGB(157, 191, 225);
  bool slideOutPending_ = false;
  int targetTop_ = 0;
  int position_ = 0;
  unsigned generation_ = 0;
  bool quitting_ = false;
};

// Gives the window a constant opacity (0 to 255) as a layered window.
void SetWindowAlpha(HWND window, BYTE alpha);

// Busy-waits n milliseconds on the performance counter, painting meanwhile.
void WaitMs(unsigned ms);

// Where the taskbar is.
TTaskbarEdge TaskbarEdge();
int TaskbarHeight();

}  // namespace qv

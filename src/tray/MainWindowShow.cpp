// Showing, placing, shrinking away and the keys of the main window.
#include <utility>

#include "tray/MainWindow.h"
#include "tray/WindowPlacement.h"
#include "ui/controls/WindowPicture.h"
#include "util/Messages.h"

namespace qv {
namespace {

TSize WindowSize(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

void MoveTo(HWND window, TPlace place) {
  SetWindowPos(window, nullptr, place.Left, place.Top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TScreenRect ScreenRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

void TMainWindow::OnShown() {
  MoveTo(window_, ShowPlace(ScreenRect(workAreaAtStart_), WindowSize(window_)));
  if (!shownBefore_) shrinkPosted_ = PostMessageW(window_, WM_SHRINKAWAY, 0, 0) != FALSE;
  shownBefore_ = true;
}

void TMainWindow::OnHidden() {
  if (trayIcon_) trayIcon_->Refresh();
}

void TMainWindow::ShowOnRequest() {
  // While the window is about to shrink away or shrinking, showing it now
  // would be undone at once: the request is served when it has gone.
  if (shrinkPosted_ || shrinking_) {
    showAfterShrink_ = true;
    return;
  }
  if (IsWindowVisible(window_)) {
    PlaceNearTaskbar();
    return;
  }
  LONG_PTR exStyle = GetWindowLongPtrW(window_, GWL_EXSTYLE);
  SetWindowLongPtrW(window_, GWL_EXSTYLE, exStyle | WS_EX_TOOLWINDOW);
  PlaceNearTaskbar();
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
}

void TMainWindow::ShowToStay() {
  shownBefore_ = true;
  ShowOnRequest();
}

void TMainWindow::PlaceNearTaskbar() {
  TTaskbarPosition taskbar;
  if (!Shell().TaskbarPosition(taskbar)) return;
  if (auto place = qv::PlaceNearTaskbar(ScreenRect(workAreaAtStart_), taskbar, WindowSize(window_)))
    MoveTo(window_, *place);
}

void TMainWindow::ShrinkAway() {
  // Messages are dispatched while the picture shrinks; a second request
  // (Escape pressed again) must not start a second animation.
  if (shrinking_) return;
  shrinking_ = true;
  RECT place;
  GetWindowRect(window_, &place);
  {
    ui::TBitmap picture = ui::CaptureWindow(window_);
    ui::TPictureWindow shrink(place, picture.get());
    ShowWindow(shrink.Handle(), SW_SHOWNOACTIVATE);
    ProcessPaintMessages();
    SetWindowPos(window_, nullptr, -30000, -30000, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (TSize size : ShrinkSteps({place.right - place.left, place.bottom - place.top})) {
      shrink.Resize(size.Width, size.Height);
      ProcessPaintMessages();
      if (!ProcessMessagesFor(5) || !window_) break;  // the program ends, or closed meanwhile
    }
  }
  shrinking_ = false;
  if (window_) {
    ShowWindow(window_, SW_HIDE);
    SetWindowPos(window_, nullptr, place.left, place.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (std::exchange(showAfterShrink_, false) && window_) ShowOnRequest();
}

void TMainWindow::OnKeyDown(WPARAM key) {
  if (key == VK_ESCAPE) ShrinkAway();
}

bool TMainWindow::PreviewKey(const MSG& message) {
  if (message.message != WM_KEYDOWN || !window_) return false;
  if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;
  if (message.wParam != VK_ESCAPE) return false;
  OnKeyDown(message.wParam);
  return true;
}

}  // namespace qv

#include "tray/MainWindowRunView.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tray/GreyPicture.h"
#include "tray/MainWindow.h"
#include "tray/MainWindowLayout.h"
#include "ui/HtmlMessageBox.h"
#include "ui/controls/Panel.h"
#include "ui/controls/WindowPicture.h"

namespace qv {
namespace {

// The picture made grey in place (24-bit rows, bottom-up as GDI keeps them).
void Grey(HBITMAP picture) {
  BITMAP info = {};
  if (!picture || !GetObjectW(picture, sizeof info, &info) || info.bmWidth <= 0) return;
  BITMAPINFO format = ui::Rgb24Format(info.bmWidth, info.bmHeight);
  std::size_t stride = (static_cast<std::size_t>(info.bmWidth) * 3 + 3) & ~std::size_t{3};
  std::vector<std::uint8_t> bits(stride * static_cast<std::size_t>(info.bmHeight));
  HDC screen = GetDC(nullptr);
  if (GetDIBits(screen, picture, 0, info.bmHeight, bits.data(), &format, DIB_RGB_COLORS)) {
    GreyPixelRows(bits.data(), info.bmWidth, info.bmHeight, stride);
    SetDIBits(screen, picture, 0, info.bmHeight, bits.data(), &format, DIB_RGB_COLORS);
  }
  ReleaseDC(nullptr, screen);
}

// The panel as it stands on the screen: window printing leaves out the
// controls on it, so a shown panel is copied from its own surface.
ui::TBitmap PanelPicture(HWND panel) {
  if (!IsWindowVisible(panel)) return ui::CaptureWindow(panel);
  RECT r;
  GetClientRect(panel, &r);
  BITMAPINFO format = ui::Rgb24Format(r.right, r.bottom);
  void* bits = nullptr;
  HDC source = GetDC(panel);
  ui::TBitmap picture(CreateDIBSection(source, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (picture.valid()) {
    HDC target = CreateCompatibleDC(source);
    HGDIOBJ old = SelectObject(target, picture.get());
    BitBlt(target, 0, 0, r.right, r.bottom, source, 0, 0, SRCCOPY);
    SelectObject(target, old);
    DeleteDC(target);
  }
  ReleaseDC(panel, source);
  return picture;
}

}  // namespace

std::string TMainWindowRunView::TargetText() { return w_.TargetText(); }

TStringList TMainWindowRunView::Databases() { return SplitLines(w_.DatabaseListText()); }

std::string TMainWindowRunView::DatabaseListProblem() { return w_.UserListError(); }

void TMainWindowRunView::ShowTargetState(bool exists) { w_.SetTargetState(exists); }

// Remembered beside the settings, for the hours missed while the PC is off.
void TMainWindowRunView::RunBegun(const TLocalTime& start) { w_.RememberRunStart(start); }

void TMainWindowRunView::RunLocked(TRunTrigger) {
  ShowBalloon(kBalloonTitle, kRunLockedText, TBalloonIcon::Warning);
}

void TMainWindowRunView::RunStarted(const std::string&) {
  ShowScrollBar(w_.Controls().databaseList, SB_VERT, FALSE);
  snapshot_ = PanelPicture(w_.Controls().mainPanel);
  Grey(snapshot_.get());
  SendMessageW(w_.Controls().greyedSnapshot, STM_SETIMAGE, IMAGE_BITMAP,
               reinterpret_cast<LPARAM>(snapshot_.get()));
  SetWindowPos(w_.Controls().greyedSnapshot, HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ShowWindow(w_.Controls().runStatusPanel, SW_SHOW);
  SetWindowPos(w_.Controls().runStatusPanel, HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ui::SetPanelColor(w_.Controls().runStatusPanel, kRunPanelColor);
  w_.RunStatusView().SetBackground(kRunPanelColor);
  ShowWindow(w_.Controls().mainPanel, SW_HIDE);
  ShowWindow(w_.Controls().greyedSnapshot, SW_SHOW);
  // The status panel stays over the picture when both paint.
  SetWindowPos(w_.Controls().runStatusPanel, HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  TTrayIcon& tray = w_.TrayIcon();
  hintBeforeRun_ = tray.Hint();
  tray.SetHint(kRunningHint);
  EnableWindow(w_.Handle(), FALSE);
  w_.ShowRunningTrayIcon();
}

void TMainWindowRunView::SetStatus(const std::string& html) { w_.RunStatusView().SetHtml(html); }

void TMainWindowRunView::RestoreAfterRun() {
  w_.ShowIdleTrayIcon();
  w_.RefreshDatabaseList();
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  ShowWindow(w_.Controls().mainPanel, SW_SHOW);
  SendMessageW(w_.Controls().greyedSnapshot, STM_SETIMAGE, IMAGE_BITMAP, 0);
  snapshot_.reset();
  ShowWindow(w_.Controls().greyedSnapshot, SW_HIDE);
  ShowWindow(w_.Controls().runStatusPanel, SW_HIDE);
  w_.TrayIcon().SetHint(hintBeforeRun_);
}

void TMainWindowRunView::RefreshDatabases() { w_.RefreshDatabaseList(); }

void TMainWindowRunView::RunFinished() {
  EnableWindow(w_.Handle(), TRUE);
  w_.UpdateScheduleHint();
}

void TMainWindowRunView::SetBlink(bool on) { w_.SetErrorBlink(on); }

void TMainWindowRunView::PlayErrorSound() { w_.PlayErrorSound(); }

void TMainWindowRunView::OpenProtocol() { w_.Commands().OpenProtocolPage(); }

void TMainWindowRunView::ShowResult(const TRunResult& result) {
  LONG_PTR exStyle = GetWindowLongPtrW(w_.Handle(), GWL_EXSTYLE);
  SetWindowLongPtrW(w_.Handle(), GWL_EXSTYLE, exStyle | WS_EX_TOOLWINDOW);
  if (TResultPopup* popup = w_.ResultPopup()) popup->ShowResult(result.Failed);
}

void TMainWindowRunView::AfterResult() {
  // Filled again, the list keeps the scroll bar only when it needs one.
  ShowScrollBar(w_.Controls().databaseList, SB_VERT, TRUE);
  w_.SetDatabaseList(SplitLines(w_.DatabaseListText()));
}

void TMainWindowRunView::ShowMessage(const std::string& html) { ui::ShowHtmlMessage(html, "", ""); }

void TMainWindowRunView::ShowMainWindow() { w_.ShowToStay(); }

void TMainWindowRunView::ShowBalloon(const std::string& title, const std::string& text,
                                     TBalloonIcon icon) {
  w_.TrayIcon().ShowBalloon(title, text, icon, kBalloonTimeoutMs);
}

std::string TMainWindowRunView::TrayHint() { return w_.TrayIcon().Hint(); }

}  // namespace qv

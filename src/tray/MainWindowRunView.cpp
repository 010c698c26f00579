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

std::string TMainWindowRunView::TargetText() { return window_.TargetText(); }

TStringList TMainWindowRunView::Databases() { return SplitLines(window_.DatabaseListText()); }

std::string TMainWindowRunView::DatabaseListProblem() { return window_.UserListError(); }

void TMainWindowRunView::ShowTargetState(bool exists) { window_.SetTargetState(exists); }

// Remembered beside the settings, for the hours missed while the PC is off.
void TMainWindowRunView::RunBegun(const TLocalTime& start) { window_.RememberRunStart(start); }

void TMainWindowRunView::RunLocked(TRunTrigger) {
  ShowBalloon(kBalloonTitle, kRunLockedText, TBalloonIcon::Warning);
}

void TMainWindowRunView::RunStarted(const std::string&) {
  ShowScrollBar(window_.Controls().databaseList, SB_VERT, FALSE);
  snapshot_ = PanelPicture(window_.Controls().mainPanel);
  Grey(snapshot_.get());
  SendMessageW(window_.Controls().greyedSnapshot, STM_SETIMAGE, IMAGE_BITMAP,
               reinterpret_cast<LPARAM>(snapshot_.get()));
  SetWindowPos(window_.Controls().greyedSnapshot, HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ShowWindow(window_.Controls().runStatusPanel, SW_SHOW);
  SetWindowPos(window_.Controls().runStatusPanel, HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ui::SetPanelColor(window_.Controls().runStatusPanel, kRunPanelColor);
  window_.RunStatusView().SetBackground(kRunPanelColor);
  ShowWindow(window_.Controls().mainPanel, SW_HIDE);
  ShowWindow(window_.Controls().greyedSnapshot, SW_SHOW);
  // The status panel stays over the picture when both paint.
  SetWindowPos(window_.Controls().runStatusPanel, HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  TTrayIcon& tray = window_.TrayIcon();
  hintBeforeRun_ = tray.Hint();
  tray.SetHint(kRunningHint);
  EnableWindow(window_.Handle(), FALSE);
  window_.ShowRunningTrayIcon();
}

void TMainWindowRunView::SetStatus(const std::string& html) {
  window_.RunStatusView().SetHtml(html);
}

void TMainWindowRunView::RestoreAfterRun() {
  window_.ShowIdleTrayIcon();
  window_.RefreshDatabaseList();
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  ShowWindow(window_.Controls().mainPanel, SW_SHOW);
  SendMessageW(window_.Controls().greyedSnapshot, STM_SETIMAGE, IMAGE_BITMAP, 0);
  snapshot_.reset();
  ShowWindow(window_.Controls().greyedSnapshot, SW_HIDE);
  ShowWindow(window_.Controls().runStatusPanel, SW_HIDE);
  window_.TrayIcon().SetHint(hintBeforeRun_);
}

void TMainWindowRunView::RefreshDatabases() { window_.RefreshDatabaseList(); }

void TMainWindowRunView::RunFinished() {
  EnableWindow(window_.Handle(), TRUE);
  window_.UpdateScheduleHint();
}

void TMainWindowRunView::SetBlink(bool on) { window_.SetErrorBlink(on); }

void TMainWindowRunView::PlayErrorSound() { window_.PlayErrorSound(); }

void TMainWindowRunView::OpenProtocol() { window_.Commands().OpenProtocolPage(); }

void TMainWindowRunView::ShowResult(const TRunResult& result) {
  LONG_PTR exStyle = GetWindowLongPtrW(window_.Handle(), GWL_EXSTYLE);
  SetWindowLongPtrW(window_.Handle(), GWL_EXSTYLE, exStyle | WS_EX_TOOLWINDOW);
  if (TResultPopup* popup = window_.ResultPopup()) popup->ShowResult(result.Failed);
}

void TMainWindowRunView::AfterResult() {
  // Filled again, the list keeps the scroll bar only when it needs one.
  ShowScrollBar(window_.Controls().databaseList, SB_VERT, TRUE);
  window_.SetDatabaseList(SplitLines(window_.DatabaseListText()));
}

void TMainWindowRunView::ShowMessage(const std::string& html) { ui::ShowHtmlMessage(html, "", ""); }

void TMainWindowRunView::ShowMainWindow() { window_.ShowToStay(); }

void TMainWindowRunView::ShowBalloon(const std::string& title, const std::string& text,
                                     TBalloonIcon icon) {
  window_.TrayIcon().ShowBalloon(title, text, icon, kBalloonTimeoutMs);
}

std::string TMainWindowRunView::TrayHint() { return window_.TrayIcon().Hint(); }

}  // namespace qv

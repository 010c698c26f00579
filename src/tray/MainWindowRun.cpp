// The run controller on the main window: schedules, the hours list, the
// target directory, runs and their results, the error blink.
#include <vector>

#include "app/DatabaseList.h"
#include "tray/GreyPicture.h"
#include "tray/MainWindow.h"
#include "app/UserMode.h"
#include "ui/HtmlMessageBox.h"
#include "ui/controls/CheckListCombo.h"
#include "ui/controls/Panel.h"
#include "ui/controls/WindowPicture.h"
#include "util/FileUtils.h"
#include "util/WinText.h"

namespace qv {

namespace {

constexpr COLORREF kRunPanelColor = RGB(255, 225, 121);
constexpr unsigned kErrorBlinkIntervalMs = 1000;
constexpr unsigned kWorkCycleMs = 200;
// Places in the idle and error icons.
constexpr int kFirstErrorIcon = 1;
constexpr int kSecondErrorIcon = 2;
constexpr char kFolderDialogTitle[] = "Zielverzeichnis";

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

// What the user sees of a run, on the main window and its tray icon.
class TWindowRunView final : public IRunView {
 public:
  explicit TWindowRunView(TMainWindow& w) : w_(w) {}

  std::string TargetText() override { return w_.TargetText(); }
  TStringList Databases() override { return SplitLines(w_.DatabaseListText()); }
  std::string DatabaseListProblem() override { return w_.userListError_; }
  void ShowTargetState(bool exists) override { w_.SetTargetState(exists); }
  void RunningChanged(bool running) override { w_.running = running; }
  void RunLocked(TRunTrigger) override {
    ShowBalloon(kBalloonTitle, kRunLockedText, TBalloonIcon::Warning);
  }
  void RunStarted(const std::string&) override {
    ShowScrollBar(w_.databaseList, SB_VERT, FALSE);
    w_.snapshot_ = PanelPicture(w_.mainPanel);
    Grey(w_.snapshot_.get());
    SendMessageW(w_.greyedSnapshot, STM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(w_.snapshot_.get()));
    SetWindowPos(w_.greyedSnapshot, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(w_.runStatusPanel, SW_SHOW);
    SetWindowPos(w_.runStatusPanel, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ui::SetPanelColor(w_.runStatusPanel, kRunPanelColor);
    w_.runStatusView_->SetBackground(kRunPanelColor);
    ShowWindow(w_.mainPanel, SW_HIDE);
    ShowWindow(w_.greyedSnapshot, SW_SHOW);
    // The status panel stays over the picture when both paint.
    SetWindowPos(w_.runStatusPanel, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    TTrayIcon& tray = *w_.trayIcon_;
    w_.hintBeforeRun_ = tray.Hint();
    tray.SetHint(kRunningHint);
    EnableWindow(w_.Handle(), FALSE);
    tray.SetCycleInterval(kWorkCycleMs);
    tray.SetCycling(true);
    tray.SetImages(&w_.runningIcons);
    tray.SetIconIndex(0);
    tray.Refresh();
  }
  void SetStatus(const std::string& html) override { w_.runStatusView_->SetHtml(html); }
  void RestoreAfterRun() override {
    TTrayIcon& tray = *w_.trayIcon_;
    tray.SetImages(&w_.idleAndErrorIcons);
    tray.SetCycling(false);
    tray.SetIconIndex(0);
    tray.Refresh();
    w_.errorBlinkSecond_ = false;
    w_.RefreshDatabaseList();
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    ShowWindow(w_.mainPanel, SW_SHOW);
    SendMessageW(w_.greyedSnapshot, STM_SETIMAGE, IMAGE_BITMAP, 0);
    w_.snapshot_.reset();
    ShowWindow(w_.greyedSnapshot, SW_HIDE);
    ShowWindow(w_.runStatusPanel, SW_HIDE);
    tray.SetHint(w_.hintBeforeRun_);
  }
  void RefreshDatabases() override { w_.RefreshDatabaseList(); }
  void RunFinished() override {
    EnableWindow(w_.Handle(), TRUE);
    w_.UpdateScheduleHint();
  }
  void SetBlink(bool on) override { w_.SetErrorBlink(on); }
  void PlayErrorSound() override { w_.errorSound_.Play(); }
  void OpenProtocol() override { w_.OpenProtocolPage(); }
  void ShowResult(const TRunResult& result) override {
    LONG_PTR exStyle = GetWindowLongPtrW(w_.Handle(), GWL_EXSTYLE);
    SetWindowLongPtrW(w_.Handle(), GWL_EXSTYLE, exStyle | WS_EX_TOOLWINDOW);
    if (w_.resultPopup) w_.resultPopup->ShowResult(result.Failed);
  }
  void AfterResult() override {
    // Filled again, the list keeps the scroll bar only when it needs one.
    ShowScrollBar(w_.databaseList, SB_VERT, TRUE);
    w_.SetDatabaseList(SplitLines(w_.DatabaseListText()));
  }
  void ShowMessage(const std::string& html) override { ui::ShowHtmlMessage(html, "", ""); }
  void ShowMainWindow() override {
    // Shown for the user to act: it does not shrink away after its first showing.
    w_.shownBefore = true;
    w_.ShowOnRequest();
  }
  void ShowBalloon(const std::string& title, const std::string& text, TBalloonIcon icon) override {
    w_.trayIcon_->ShowBalloon(title, text, icon, kBalloonTimeoutMs);
  }
  std::string TrayHint() override { return w_.trayIcon_->Hint(); }

 private:
  TMainWindow& w_;
};

void TMainWindow::CreateRunController() {
  runSystem_ = std::make_unique<TPoolRunSystem>(*jobPool_);
  runView_ = std::make_unique<TWindowRunView>(*this);
  run_ = std::make_unique<TRunController>(*runSystem_, *runView_);
}

void TMainWindow::StartRun(TRunTrigger trigger) {
  CallRunController([&] {
    // A user list that could not be read is tried again before every run (only
    // then: its reading may wait ten seconds).
    if (!userListError_.empty() && !running) FillDatabaseList();
    run_->StartRun(trigger);
  });
}

TMainWindow::TRunCall::TRunCall(TMainWindow& window) : window_(window) { ++window_.runCallDepth_; }

TMainWindow::TRunCall::~TRunCall() {
  if (--window_.runCallDepth_ == 0 && window_.closeDeferred_) {
    window_.closeDeferred_ = false;
    PostMessageW(window_.window_, WM_CLOSE, 0, 0);
  }
}

void TMainWindow::CallRunController(const std::function<void()>& call) {
  TRunCall scope(*this);
  try {
    call();
  } catch (const std::exception& error) {
    ShowFailure(error);
  }
}

void TMainWindow::ShowFailure(const std::exception& error) {
  // The window stays usable; the user learns why a run or a step of theirs
  // did not complete (a settings file held by another program, say).
  trayIcon_->ShowBalloon(kErrorBalloonTitle, error.what(), TBalloonIcon::Error, kBalloonTimeoutMs);
}

void TMainWindow::ScheduledRun() { StartRun(TRunTrigger::Schedule); }

void TMainWindow::OnRunNowClick() { StartRun(TRunTrigger::Manual); }

void TMainWindow::JobReported(const TBackupItem* report, int activeBackups) {
  CallRunController([&] { run_->JobReported(report, activeBackups); });
}

void TMainWindow::CacheTick() { run_->CacheTick(); }

void TMainWindow::NetworkTick() { run_->NetworkTick(); }

THourSet TMainWindow::CheckedHours() const {
  THourSet hours{};
  for (int hour = 0; hour < 24; ++hour) hours[hour] = ui::IsCheckListItemChecked(hoursCombo, hour);
  return hours;
}

void TMainWindow::LoadHours() {
  hoursLoaded_ = false;
  THourSet hours = ParseHoursText(ReadModeString(kCronKey));
  for (int hour = 0; hour < 24; ++hour) ui::SetCheckListItemChecked(hoursCombo, hour, hours[hour]);
  schedules_->Backup().SetExpression(HoursExpression(CheckedHours()));
  UpdateScheduleHint();
  hoursLoaded_ = true;
}

void TMainWindow::OnHoursChanged() {
  if (!hoursLoaded_) return;
  THourSet hours = CheckedHours();
  schedules_->Backup().SetExpression(HoursExpression(hours));
  StoreSetting(kCronKey, HoursText(hours));
  UpdateScheduleHint();
}

void TMainWindow::StoreSetting(const std::string& key, const std::string& value) {
  // The choice holds until the program ends; the user learns that it will
  // not outlive it (the settings file is held or write-protected, say).
  if (WriteModeString(key, value)) return;
  trayIcon_->ShowBalloon(kErrorBalloonTitle,
                         "Die Einstellung kann nicht in " + UserModeFileName() +
                             " gespeichert werden. Sie gilt nur bis zum Programmende.",
                         TBalloonIcon::Error, kBalloonTimeoutMs);
}

void TMainWindow::UpdateScheduleHint() { trayIcon_->SetHint(ScheduleHint(CheckedHours())); }

void TMainWindow::ChooseTargetFolder() {
  std::string chosen = Shell().ChooseFolder(TargetText(), kFolderDialogTitle,
                                            reinterpret_cast<std::uintptr_t>(window_));
  if (!chosen.empty()) SetWindowTextW(targetEdit, Widen(chosen).c_str());
  std::string target = ExpandUncFileName(TargetText());
  SetWindowTextW(targetEdit, Widen(target).c_str());
  bool exists = !target.empty() && IsExistingFolder(target);
  if (exists) StoreSetting(kTargetKey, target);
  run_->TargetChosen(exists);
}

void TMainWindow::SetErrorBlink(bool enabled) {
  if (enabled)
    SetTimer(window_, kErrorBlinkTimerId, kErrorBlinkIntervalMs, nullptr);
  else
    KillTimer(window_, kErrorBlinkTimerId);
  errorBlinkEnabled_ = enabled;
  trayIcon_->SetIconIndex(0);
  trayIcon_->Refresh();
  errorBlinkSecond_ = false;
}

void TMainWindow::OnErrorBlinkTimer() {
  TTrayIcon& tray = *trayIcon_;
  tray.SetIconIndex(errorBlinkSecond_ ? kSecondErrorIcon : kFirstErrorIcon);
  errorBlinkSecond_ = !errorBlinkSecond_;
  tray.Refresh();
}

}  // namespace qv

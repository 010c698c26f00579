#include "tray/MainWindow.h"

#include <stdexcept>
#include <utility>

#include "tray/TrayResources.h"
#include "tray/DatabaseListBox.h"
#include "tray/MainWindowLayout.h"
#include "app/Settings.h"
#include "ui/WindowDpi.h"
#include "ui/WindowObject.h"
#include "ui/controls/CheckListCombo.h"
#include "ui/controls/Panel.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace qv {
namespace {

constexpr BYTE kWindowAlpha = 200;

}  // namespace

TMainWindow::TMainWindow(TMainWindowOptions options) : options_(options) {
  ui::RegisterObjectClass(kMainWindowClass,
                          ui::ObjectWindowProc<TMainWindow, &TMainWindow::window_>,
                          CS_SAVEBITS | CS_DBLCLKS,
                          LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUORVEL)));
  // Popup with a thin border and no caption; a tool window, so that it never
  // gets a taskbar button.
  CreateWindowExW(WS_EX_TOOLWINDOW, kMainWindowClass, L"Quorvel",
                  WS_POPUP | WS_BORDER | WS_CLIPCHILDREN, 0, 0, kDesignClientWidth + 2,
                  kDesignClientHeight + 2, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (!window_) throw std::runtime_error("Das Hauptfenster kann nicht erstellt werden");
  dpi_ = options_.Dpi > 0 ? options_.Dpi : ui::WindowDpi(window_);
  CreateControls();
  Initialize();
  resultPopup_ = std::make_unique<TResultPopup>();
  // The window is shown once at start and then shrinks away.
  ShowWindow(window_, SW_SHOWNOACTIVATE);
}

TMainWindow::~TMainWindow() {
  if (window_) DestroyWindow(window_);
}

LRESULT TMainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCDESTROY:
      return OnNcDestroy(message, wParam, lParam);
    case WM_COMMAND:
      OnCommandSafely(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_MEASUREITEM:
      OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_DRAWITEM:
      OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return OnControlColor(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_COPYDATA:
      return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_SHRINKAWAY:
      shrinkPosted_ = false;
      ShrinkAway();
      return 0;
    case WM_POWERBROADCAST:
      if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) NoticeMissedRun();
      return TRUE;
    case WM_QUERYENDSESSION:
      // Agree at once; the close query is not asked at session end.
      sessionEnding_ = true;
      return TRUE;
    case WM_ENDSESSION:
      if (wParam && trayIcon_) trayIcon_->Remove();
      return 0;
    case WM_SHOWWINDOW:
      if (wParam)
        OnShown();
      else
        OnHidden();
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(wParam);
      return 0;
    case WM_CLOSE:
      OnCloseRequest();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      if (options_.EndsProgram) PostQuitMessage(0);
      return 0;
    case WM_TIMER:
      if (wParam == kErrorBlinkTimerId) OnErrorBlinkTimer();
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    default:
      return DefWindowProcW(window_, message, wParam, lParam);
  }
}

LRESULT TMainWindow::OnNcDestroy(UINT message, WPARAM wParam, LPARAM lParam) {
  // The object outlives its window: later messages must not reach it.
  HWND window = std::exchange(window_, nullptr);
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  return DefWindowProcW(window, message, wParam, lParam);
}

void TMainWindow::OnCommandSafely(WORD id, WORD code) {
  // A failure must not cross the window procedure: it would end the program.
  try {
    if (commands_) commands_->Execute(id, code);
  } catch (const std::exception& error) {
    ShowFailure(error);
  } catch (...) {
    ShowFailure(std::runtime_error("unbekannter Fehler"));
  }
}

void TMainWindow::OnMeasureItem(MEASUREITEMSTRUCT& item) {
  if (commands_ && commands_->TrayMenu().Measure(item)) return;
  if (item.CtlID == ID_DATABASE_LIST) MeasureDatabaseItem(controls_.databaseList, item);
}

void TMainWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (commands_ && commands_->TrayMenu().Draw(item)) return;
  if (item.CtlID == ID_DATABASE_LIST) DrawDatabaseItem(item);
  if (item.CtlID == ID_HOURS_COMBO) ui::DrawCheckListItem(item);
}

void TMainWindow::OnCloseRequest() {
  // A second request while the window goes (its pool still ending, with
  // messages let through) changes nothing.
  if (!destroying_ && CanClose()) {
    destroying_ = true;
    DestroyWindow(window_);
  }
}

bool TMainWindow::CanClose() {
  if (runCallDepth_ > 0) {
    closeDeferred_ = true;
    return false;
  }
  bool wasClosing = jobPool_->Closing;
  jobPool_->Closing = true;
  schedules_->Pause();
  bool canClose = jobPool_->ActiveBackups() == 0;
  if (sessionEnding_) trayIcon_->Remove();
  if (!canClose) {
    // A refused close changes nothing: the pool takes work again and the
    // schedules run on, so the run that is active ends as usual.
    jobPool_->Closing = wasClosing;
    schedules_->Resume();
  }
  return canClose;
}

void TMainWindow::Initialize() {
  jobPool_ = std::make_unique<TBackupJobPool>(
      [this](const TJobReport* report, int activeBackups) { JobReported(report, activeBackups); });
  CreateRunController();
  userDatabaseList_.clear();
  errorSound_ = qv::LoadErrorSound();
  RECT workArea = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
  workAreaAtStart_ = workArea;
  ui::SetPanelColor(controls_.mainPanel, GetSysColor(COLOR_GRADIENTINACTIVECAPTION));
  SetWindowAlpha(window_, kWindowAlpha);
  CreateSchedules();

  RECT r;
  GetWindowRect(window_, &r);
  TFormGeometry form;
  form.Name = kPlacementSettingsName;
  form.Width = r.right - r.left;
  form.Height = r.bottom - r.top;
  TScreenRect area = {workAreaAtStart_.left, workAreaAtStart_.top, workAreaAtStart_.right,
                      workAreaAtStart_.bottom};
  // Stored in the program's folder; the ".Add0" value is not used.
  RestoreFormPlacement(form, area, "", kPlacementSettingsName, -1, PlaceBottomRight);
  SetWindowPos(window_, nullptr, form.Left, form.Top, form.Width, form.Height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyRegion();

  FillDatabaseList();
  LoadTarget();
  Layout();
  UpdateScheduleHint();
  TRunCall scope(*this);  // its message box may outlast a close request
  run_->StartUpChecks(!TargetShownMissing());
  NoticeMissedRun();
}

void TMainWindow::CreateSchedules() {
  schedules_ = std::make_unique<TMainWindowSchedules>(TScheduleActions{
      [this] { ScheduledRun(); }, [this] { CacheTick(); }, [this] { NetworkTick(); }});
  LoadHours();
}

void TMainWindow::ApplyRegion() {
  RECT r;
  GetWindowRect(window_, &r);
  int cut = Scaled(kRegionCut);
  // The outer pixels on the left and at the top are cut away, the corners rounded.
  HRGN region = CreateRoundRectRgn(cut, cut, r.right - r.left, r.bottom - r.top, cut, cut);
  if (!SetWindowRgn(window_, region, TRUE)) DeleteObject(region);
}

void TMainWindow::OnDestroy() {
  userDatabaseList_.clear();
  schedules_.reset();
  // Reports of jobs still running are not shown by a window that is gone.
  jobPool_->OnReport = nullptr;
  jobPool_.reset();
  run_.reset();
  runView_.reset();
  runSystem_.reset();
  trayIcon_.reset();
}

LRESULT TMainWindow::OnCopyData(const COPYDATASTRUCT* data) {
  if (data && data->dwData == kShowRequestTag && commands_->ShowAllowed()) ShowOnRequest();
  return 1;
}

}  // namespace qv

#pragma once
// The tray program's main window: a small borderless tool window near the
// taskbar that shows on request and shrinks away, with the database list,
// the hours list, the target directory, the buttons and the tray icon.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/MissedRun.h"
#include "app/PoolRunSystem.h"
#include "app/RunController.h"
#include "app/RunHours.h"
#include "tray/MainWindowCommands.h"
#include "tray/MainWindowControls.h"
#include "tray/MainWindowSchedules.h"
#include "tray/TrayIcon.h"
#include "tray/ResultPopup.h"
#include "tray/Sound.h"
#include "backup/BackupJobPool.h"
#include "ui/HtmlView.h"
#include "ui/GdiHandles.h"
#include "util/Handles.h"
#include "util/StrUtils.h"

namespace qv {

inline constexpr wchar_t kMainWindowClass[] = L"TVEZivavuvIdazadide";
inline constexpr char kPlacementSettingsName[] = "TVEZivavuvIdazadide";
inline constexpr UINT WM_SHRINKAWAY = 0x7E8;
inline constexpr ULONG_PTR kShowRequestTag = 5446;
inline constexpr UINT_PTR kErrorBlinkTimerId = 1;  // every second while the icon blinks

// Child control and menu command numbers.
enum : int {
  ID_MAIN_PANEL = 100,
  ID_PROGRAM_ICON,
  ID_TITLE,
  ID_DATABASE_LIST,
  ID_HOURS_COMBO,
  ID_TARGET_EDIT,
  ID_TARGET_BROWSE,
  ID_RUN_NOW,
  ID_PROTOCOL_BUTTON,
  ID_RUN_STATUS_PANEL,
  ID_RUN_STATUS_TEXT,
  ID_SHRINK_BUTTON,
  ID_GREYED_SNAPSHOT,
};
enum : UINT {
  ID_MENU_PROTOCOL = 200,
  ID_MENU_RUN_NOW,
  ID_MENU_SHOW,
  ID_MENU_EXIT,
  ID_MENU_VERSION
};

struct TMainWindowOptions {
  int Dpi = 0;              // 0: the DPI of the window's monitor
  bool EndsProgram = true;  // destroying the window ends the message loop
};

class TMainWindow {
 public:
  explicit TMainWindow(TMainWindowOptions options = {});
  ~TMainWindow();
  TMainWindow(const TMainWindow&) = delete;
  TMainWindow& operator=(const TMainWindow&) = delete;

  HWND Handle() const { return window_; }
  int Dpi() const { return dpi_; }
  const TMainWindowControls& Controls() const { return controls_; }
  TMainWindowCommands& Commands() { return *commands_; }
  TTrayIcon& TrayIcon() { return *trayIcon_; }
  TBackupJobPool& JobPool() { return *jobPool_; }
  // The tray icon's pictures: idle and the error blink's two; a run's two.
  const std::vector<HICON>& IdleAndErrorIcons() const { return idleAndErrorIcons_; }
  const std::vector<HICON>& RunningIcons() const { return runningIcons_; }
  // Made right after the window: null while it is built.
  TResultPopup* ResultPopup() { return resultPopup_.get(); }
  bool Running() const { return run_ && run_->Running(); }
  // The list from UserDefined.txt; empty when the office application's is shown.
  const TStringList& UserDatabaseList() const { return userDatabaseList_; }
  bool SessionEnding() const { return sessionEnding_; }
  // Once shown, the window no longer shrinks away by itself.
  bool ShownBefore() const { return shownBefore_; }

  // Showing and hiding.
  void ShowOnRequest();
  // Shown for the user to act: it does not shrink away after its first showing.
  void ShowToStay();
  void OnKeyDown(WPARAM key);
  bool CanClose();
  // The window shrinks to nothing and hides.
  void ShrinkAway();
  void PlaceNearTaskbar();
  // Every message of the window (through the shared object window procedure).
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Key preview for the message loop: true when the key was handled.
  bool PreviewKey(const MSG& message);

  // The run controller (schedules, runs, results).
  void StartRun(TRunTrigger trigger = TRunTrigger::Manual);
  void ScheduledRun();
  void OnRunNowClick();
  void JobReported(const TJobReport* report, int activeBackups);
  void CacheTick();
  void NetworkTick();
  // Hours missed while the PC was off or asleep: looked for at the start and
  // after a wake-up, made up a little later (see TMissedRunPlanner).
  void NoticeMissedRun();
  void MakeUpMissedRunWhenDue();
  void RememberRunStart(const TLocalTime& start);
  bool MadeUpRunPending() const { return missedRuns_.Pending(); }
  void UpdateScheduleHint();
  void OnHoursChanged();
  void ChooseTargetFolder();
  void OnErrorBlinkTimer();
  bool ErrorBlinkEnabled() const { return errorBlinkEnabled_; }
  THourSet CheckedHours() const;
  std::string TargetText() const;
  bool TargetShownMissing() const;
  TRunController& RunController() { return *run_; }
  TMainWindowSchedules& Schedules() { return *schedules_; }

  // For the run view.
  const std::string& UserListError() const { return userListError_; }
  ui::THtmlView& RunStatusView() { return *runStatusView_; }
  void SetTargetState(bool exists);
  void SetErrorBlink(bool enabled);
  // The idle icon, still, with the error blink's phase from its start.
  void ShowIdleTrayIcon();
  // A run's two icons in turn.
  void ShowRunningTrayIcon();
  void PlayErrorSound() { errorSound_.Play(); }

  // The database list (from UserDefined.txt or the office application).
  void FillDatabaseList();
  void RefreshDatabaseList();
  TStringList DatabaseListLines() const;
  std::string DatabaseListText() const;
  void SetDatabaseList(const TStringList& lines);

 private:
  void Initialize();
  void OnShown();
  void OnHidden();
  void OnDestroy();
  LRESULT OnNcDestroy(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommandSafely(WORD id, WORD code);
  void OnMeasureItem(MEASUREITEMSTRUCT& item);
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  void OnCloseRequest();
  LRESULT OnCopyData(const COPYDATASTRUCT* data);
  LRESULT OnControlColor(UINT message, HDC dc, HWND control);
  void OnDpiChanged(int dpi, const RECT* suggested);
  void CreateControls();
  void CreateSchedules();
  void CreateRunController();
  void LoadHours();
  void ShowFailure(const std::exception& error);
  // While the run controller is called, it may pump messages (the result pops
  // up, a message box waits): a close asked for meanwhile would take its pool
  // and view from under it, so the close follows when the call returns.
  class TRunCall {
   public:
    explicit TRunCall(TMainWindow& window);
    ~TRunCall();
    TRunCall(const TRunCall&) = delete;
    TRunCall& operator=(const TRunCall&) = delete;

   private:
    TMainWindow& window_;
  };
  // Calls the run controller inside a TRunCall; its failures become a balloon.
  void CallRunController(const std::function<void()>& call);
  void StoreSetting(const std::string& key, const std::string& value);
  void LoadImages();
  void LoadTarget();
  void Layout();
  void FitTitle();
  void ApplyRegion();
  int Scaled(int value) const;

  TMainWindowControls controls_;
  std::unique_ptr<TMainWindowCommands> commands_;
  std::vector<HICON> idleAndErrorIcons_;
  std::vector<HICON> runningIcons_;
  std::unique_ptr<TResultPopup> resultPopup_;
  TStringList userDatabaseList_;
  bool sessionEnding_ = false;
  bool shownBefore_ = false;
  std::unique_ptr<TBackupJobPool> jobPool_;
  TMissedRunPlanner missedRuns_;
  // Why UserDefined.txt could not be read (empty when it could).
  std::string userListError_;
  TSound errorSound_;
  RECT workAreaAtStart_ = {};

  TMainWindowOptions options_;
  HWND window_ = nullptr;
  int dpi_ = 96;
  bool shrinking_ = false;
  bool shrinkPosted_ = false;     // the first showing's shrink is still to come
  bool showAfterShrink_ = false;  // a show request came while shrinking
  std::unique_ptr<TTrayIcon> trayIcon_;
  std::unique_ptr<ui::THtmlView> runStatusView_;
  std::unique_ptr<TPoolRunSystem> runSystem_;
  std::unique_ptr<IRunView> runView_;
  std::unique_ptr<TRunController> run_;
  int runCallDepth_ = 0;
  bool closeDeferred_ = false;
  bool destroying_ = false;
  bool hoursLoaded_ = false;  // changes while loading are not the user's
  bool errorBlinkEnabled_ = false;
  // Which of the two error icons the blink shows next.
  bool errorBlinkSecond_ = false;
  std::unique_ptr<TMainWindowSchedules> schedules_;
  std::vector<TIconHandle> icons_;
  TIconHandle programIcon_, protocolGlyph_, runNowGlyph_, shrinkGlyph_;
  ui::TFont font_, titleFont_;
  ui::TBrush targetBrush_;
  COLORREF targetColor_ = RGB(255, 255, 255);
};

}  // namespace qv

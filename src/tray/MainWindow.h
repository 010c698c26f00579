#pragma once
// The tray program's main window: a small borderless tool window near the
// taskbar that shows on request and shrinks away, with the database list,
// the hours list, the target directory, the buttons and the tray icon.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/PoolRunSystem.h"
#include "app/RunController.h"
#include "app/RunHours.h"
#include "tray/TrayIcon.h"
#include "tray/USignal.h"
#include "tray/UWave.h"
#include "backup/BackupPooled.h"
#include "sched/acTimer.h"
#include "ui/HtmlView.h"
#include "ui/controls/OwnerMenu.h"
#include "ui/GdiHandles.h"
#include "util/Handles.h"
#include "util/StrUtils.h"

namespace qv {

inline constexpr wchar_t kMainWindowClass[] = L"TVEZivavuvIdazadide";
inline constexpr char kMainWindowName[] = "TVEZivavuvIdazadide";
inline constexpr UINT WM_SHRINKAWAY = 0x7E8;
inline constexpr ULONG_PTR kShowRequestTag = 5446;
inline constexpr UINT_PTR kTimerErrorId = 1;  // TimerError, every 1000 ms

// Child control and menu command numbers.
enum : int {
  ID_PANEL1 = 100,
  ID_IMAGE2,
  ID_LABEL4,
  ID_LBDATABASES,
  ID_DCLISTCRON,
  ID_DGLOBALPATH,
  ID_DGLOBALPATH_BUTTON,
  ID_FMA,
  ID_FLATBUTTON1,
  ID_FLATPANEL1,
  ID_STATUSLABEL,
  ID_FLATSPEEDBUTTON1,
  ID_SNAPSHOT,
};
enum : UINT { ID_MNU_PRO = 200, ID_AUSFHREN1, ID_MNU_SHOW, ID_BEENDEN2, ID_MNU_VER };

struct TMainWindowOptions {
  int Dpi = 0;              // 0: the DPI of the window's monitor
  bool EndsProgram = true;  // destroying the window ends the message loop
};

class TVEZivavuvIdazadide {
 public:
  explicit TVEZivavuvIdazadide(TMainWindowOptions options = {});
  ~TVEZivavuvIdazadide();
  TVEZivavuvIdazadide(const TVEZivavuvIdazadide&) = delete;
  TVEZivavuvIdazadide& operator=(const TVEZivavuvIdazadide&) = delete;

  HWND Handle() const { return window_; }
  int Dpi() const { return dpi_; }

  // Components.
  HWND Panel1 = nullptr, Image2 = nullptr, Label4 = nullptr, LBDataBases = nullptr;
  HWND DCListCron = nullptr, dglobalpath = nullptr, dglobalpathButton = nullptr;
  HWND fma = nullptr, FlatButton1 = nullptr, FlatPanel1 = nullptr, StatusLabel = nullptr;
  HWND FlatSpeedButton1 = nullptr, FSnapshot = nullptr;
  TTrayIcon& TrayIcon() { return *trayIcon_; }
  ui::TOwnerMenu& PopupMenu() { return *popupMenu_; }
  TBackupPooled& Pool() { return *FPool; }
  std::vector<HICON> ImageList1;
  std::vector<HICON> ImagesListWork;
  // The result popup, made right after the window.
  std::unique_ptr<TSignal> Signal;

  // State shared with the run controller.
  std::unique_ptr<TBackupPooled> FPool;
  TacCronJob* FBackupSchedule = nullptr;
  TacCronJob* FCacheSchedule = nullptr;
  TacCronJob* FNetSchedule = nullptr;
  bool FRunning = false;
  TStringList FUserDefined;
  // Why UserDefined.txt could not be read (empty when it could).
  std::string FUserListProblem;
  std::string FSavedHint;
  TWave Wave1;
  RECT FWorkArea = {};
  bool SessionEnding = false;
  int Tag = 0;  // 1 once the window has been shown

  // Handlers.
  void TrayIconClick();
  void PopupMenuPopup();
  void Anzeigen1Click();
  void beenden1Click();
  void MNU_PROClick();
  void FlatButton1Click();
  void Ausfhren1Click();
  void LBDataBasesDblClick();
  void FormKeyDown(WPARAM key);
  bool FormCloseQuery();
  void ShrinkAway(bool hide);
  void PlaceNearTaskbar();
  // Shows the tray menu at the cursor (modal until it closes).
  void ShowTrayMenu();
  // Every message of the window (through the shared object window procedure).
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Key preview for the message loop: true when the key was handled.
  bool PreviewKey(const MSG& message);

  // The run controller (schedules, runs, results).
  void StartRun(TRunTrigger trigger = TRunTrigger::Manual);
  void ScheduledRun();
  void fmaClick();
  void JobReported(const TBackupItem* report, int activeBackups);
  void CacheTick();
  void NetworkTick();
  void UpdateScheduleHint();
  void DCListCronChange();
  void dglobalpathButtonClick();
  void TimerErrorTimer();
  bool TimerErrorEnabled() const { return timerErrorEnabled_; }
  THourSet CheckedHours() const;
  std::string TargetText() const;
  bool TargetShownMissing() const;
  TRunController& RunController() { return *run_; }

  // The database list (from UserDefined.txt or the office application).
  void FillDatabaseList();
  void RefreshDatabaseList();
  std::string DatabaseListText() const;
  void SetDatabaseList(const TStringList& lines);

 private:
  void FormCreate();
  void FormShow();
  void FormHide();
  void FormDestroy();
  void OnCommand(WORD id, WORD code);
  LRESULT OnCopyData(const COPYDATASTRUCT* data);
  LRESULT OnControlColor(UINT message, HDC dc, HWND control);
  void OnDpiChanged(int dpi, const RECT* suggested);
  void CreateComponents();
  void CreateMenu();
  void CreateSchedules();
  void CreateRunController();
  void LoadHours();
  void SetTargetState(bool exists);
  void SetTimerError(bool enabled);
  void ShowFailure(const std::exception& error);
  // While the run controller is called, it may pump messages (the result pops
  // up, a message box waits): a close asked for meanwhile would take its pool
  // and view from under it, so the close follows when the call returns.
  class TRunCall {
   public:
    explicit TRunCall(TVEZivavuvIdazadide& window);
    ~TRunCall();
    TRunCall(const TRunCall&) = delete;
    TRunCall& operator=(const TRunCall&) = delete;

   private:
    TVEZivavuvIdazadide& window_;
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
  HICON Glyph(int id) const;

  friend class TWindowRunView;

  TMainWindowOptions options_;
  HWND window_ = nullptr;
  int dpi_ = 96;
  bool shrinking_ = false;
  bool shrinkPosted_ = false;     // the first showing's shrink is still to come
  bool showAfterShrink_ = false;  // a show request came while shrinking
  std::unique_ptr<TTrayIcon> trayIcon_;
  std::unique_ptr<ui::TOwnerMenu> popupMenu_;
  std::unique_ptr<ui::THtmlView> statusLabel_;
  std::unique_ptr<TPoolRunSystem> runSystem_;
  std::unique_ptr<IRunView> runView_;
  std::unique_ptr<TRunController> run_;
  int runCallDepth_ = 0;
  bool closeDeferred_ = false;
  bool destroying_ = false;
  ui::TBitmap snapshot_;
  bool cronListReady_ = false;  // DCListCron's tag
  bool timerErrorEnabled_ = false;
  std::vector<std::unique_ptr<TacCronJob>> ownedSchedules_;  // only without a timer manager
  std::vector<TIconHandle> icons_;
  TIconHandle programIcon_, protokollGlyph_, ausfuehrenGlyph_, shrinkGlyph_;
  ui::TFont font_, titleFont_;
  ui::TBrush targetBrush_, listBrush_;
  COLORREF targetColor_ = RGB(255, 255, 255);
};

}  // namespace qv

#pragma once
// What the user sees of a run, on the main window and its tray icon: the
// greyed picture with the status panel over it, the busy tray icon, the
// balloons, the result popup and the error sound.
#include <windows.h>

#include <string>

#include "app/RunController.h"
#include "ui/GdiHandles.h"

namespace qv {

class TMainWindow;

class TMainWindowRunView final : public IRunView {
 public:
  explicit TMainWindowRunView(TMainWindow& window) : window_(window) {}

  std::string TargetText() override;
  TStringList Databases() override;
  std::string DatabaseListProblem() override;
  void ShowTargetState(bool exists) override;
  void RunLocked(TRunTrigger) override;
  void RunBegun(const TLocalTime& start) override;
  void RunStarted(const std::string&) override;
  void SetStatus(const std::string& html) override;
  void RestoreAfterRun() override;
  void RefreshDatabases() override;
  void RunFinished() override;
  void SetBlink(bool on) override;
  void PlayErrorSound() override;
  void OpenProtocol() override;
  void ShowResult(const TRunResult& result) override;
  void AfterResult() override;
  void ShowMessage(const std::string& html) override;
  void ShowMainWindow() override;
  void ShowBalloon(const std::string& title, const std::string& text, TBalloonIcon icon) override;
  std::string TrayHint() override;

 private:
  TMainWindow& window_;
  ui::TBitmap snapshot_;       // the greyed picture shown during a run
  std::string hintBeforeRun_;  // the tray hint to restore after it
};

}  // namespace qv

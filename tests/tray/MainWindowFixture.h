#pragma once
// The main window made as the program makes it, over a test folder of its
// own that stands for the program's folder, and driven by the program's
// message loop.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "WinPump.h"
#include "WinTestSupport.h"
#include "tray/MainWindow.h"
#include "util/Seams.h"

namespace qv::test {

class TMainWindowFixture : public testing::Test {
 protected:
  TMainWindowFixture(TPumpCheck check, DWORD pumpTimeoutMs)
      : pumpCheck_(check), pumpTimeoutMs_(pumpTimeoutMs) {}

  void SetUp() override { SetProgramFolderForTest(dir_.Path()); }
  void TearDown() override {
    window_.reset();
    SetProgramFolderForTest("");
  }

  // Shown once at start, then it shrinks away by itself. dpi 0: the monitor's.
  TMainWindow& CreateAt(int dpi) {
    TMainWindowOptions options;
    options.Dpi = dpi;
    options.EndsProgram = false;
    window_ = std::make_unique<TMainWindow>(options);
    EXPECT_TRUE(Pump([&] { return window_->ShownBefore() && !Visible(); }));
    return *window_;
  }

  // The program's message loop, key preview first, until pred holds.
  template <class Pred>
  bool Pump(Pred pred) {
    auto preview = [&](const MSG& msg) { return window_ && window_->PreviewKey(msg); };
    return PumpMessagesUntil(pred, pumpCheck_, preview, pumpTimeoutMs_);
  }

  bool Visible() const { return IsWindowVisible(window_->Handle()) != FALSE; }

  TTempDir dir_;
  std::unique_ptr<TMainWindow> window_;

 private:
  TPumpCheck pumpCheck_;
  DWORD pumpTimeoutMs_;
};

}  // namespace qv::test

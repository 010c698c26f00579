#pragma once
// Drives a modal message box from inside its own message loop: each step
// runs on a timer tick of the test's thread, after the messages that the
// step before posted were handled. Steps that remain when the box has closed
// do not run; a box still open after the last step is closed and reported.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/HtmlMessageBox.h"

namespace qv::test {

class TBoxScript {
 public:
  using TStep = std::function<void(HWND box)>;

  explicit TBoxScript(std::vector<TStep> steps) : steps_(std::move(steps)) {}

  // Runs ShowHtmlMessage and the steps; returns when the box has closed.
  void Run(const std::string& html, const std::string& help, const std::string& caption) {
    current_ = this;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, &TBoxScript::Tick);
    ui::ShowHtmlMessage(html, help, caption);
    KillTimer(nullptr, timer);
    current_ = nullptr;
  }

  std::size_t StepsRun() const { return next_; }
  bool ClosedByScript() const { return forcedClose_; }
  int Ticks() const { return ticks_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (current_) current_->Step();
  }

  void Step() {
    ++ticks_;
    HWND box = FindWindowW(ui::kBoxClassName, nullptr);
    if (!box || !IsWindowVisible(box)) return;
    if (next_ < steps_.size()) {
      steps_[next_++](box);
    } else if (!forcedClose_) {
      forcedClose_ = true;
      PostMessageW(box, WM_CLOSE, 0, 0);
    }
  }

  static inline TBoxScript* current_ = nullptr;
  std::vector<TStep> steps_;
  std::size_t next_ = 0;
  bool forcedClose_ = false;
  int ticks_ = 0;
};

}  // namespace qv::test

#pragma once
// A shell that records what it was asked to do and answers the taskbar's
// position as the test sets it.
#include <string>
#include <vector>

#include "util/Seams.h"

namespace qv::test {

class TShellRecorder final : public IShell {
 public:
  struct TIconCall {
    TNotifyIconOp Op;
    TNotifyIconData Data;
  };
  struct TExecuteCall {
    std::string Verb;
    std::string Path;
  };

  TShellRecorder() { SetShellForTest(this); }
  ~TShellRecorder() override { SetShellForTest(nullptr); }
  TShellRecorder(const TShellRecorder&) = delete;
  TShellRecorder& operator=(const TShellRecorder&) = delete;

  bool NotifyIcon(TNotifyIconOp op, const TNotifyIconData& data) override {
    IconCalls.push_back({op, data});
    return !NoTaskbarYet;
  }
  bool Execute(const std::string& verb, const std::string& path, std::uintptr_t) override {
    ExecuteCalls.push_back({verb, path});
    return true;
  }
  bool TaskbarPosition(TTaskbarPosition& position) override {
    if (!HasTaskbar) return false;
    position = Taskbar;
    return true;
  }

  std::string ChooseFolder(const std::string& preset, const std::string& title,
                           std::uintptr_t) override {
    FolderDialogs.push_back({preset, title});
    return FolderAnswer;
  }

  int CountOf(TNotifyIconOp op) const {
    int n = 0;
    for (const auto& call : IconCalls) n += call.Op == op ? 1 : 0;
    return n;
  }

  std::vector<TIconCall> IconCalls;
  std::vector<TExecuteCall> ExecuteCalls;
  struct TFolderDialog {
    std::string Preset, Title;
  };
  std::vector<TFolderDialog> FolderDialogs;
  std::string FolderAnswer;  // what the user chooses ("" cancels)
  bool HasTaskbar = false;
  bool NoTaskbarYet = false;  // every icon call fails, as before the taskbar is there
  TTaskbarPosition Taskbar;
};

}  // namespace qv::test

#pragma once
// The program's icon in the notification area: hint, an icon list with the
// shown index, cycling through the list, balloons, clicks and the menu
// request. The icon comes back by itself when Explorer restarts.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "util/HiddenWindow.h"
#include "util/Seams.h"

namespace qv {

inline constexpr UINT WM_TRAYNOTIFY = WM_APP + 0x51;

class TTrayIcon {
 public:
  TTrayIcon();
  ~TTrayIcon();
  TTrayIcon(const TTrayIcon&) = delete;
  TTrayIcon& operator=(const TTrayIcon&) = delete;

  // The icons shown (owned by the caller); the index is kept.
  void SetImages(const std::vector<HICON>* images);
  const std::vector<HICON>* Images() const { return images_; }
  void SetIconIndex(int index) { index_ = index; }
  int IconIndex() const { return index_; }
  void SetHint(const std::string& hint);
  const std::string& Hint() const { return hint_; }
  // While cycling, the index steps through the list every interval.
  void SetCycleInterval(unsigned ms);
  void SetCycling(bool cycling);
  bool Cycling() const { return cycling_; }

  // Shows the icon as it stands now (adding it when it is not shown).
  void Refresh();
  void ShowBalloon(const std::string& title, const std::string& text, TBalloonIcon icon,
                   unsigned timeoutMs);
  // Takes the icon out of the notification area.
  void Remove();
  bool Shown() const { return shown_; }
  HWND Window() const { return window_; }

  std::function<void()> OnClick;
  std::function<void()> OnContextMenu;

 private:
  void WndProc(TMessage& message);
  TNotifyIconData Data() const;
  HICON CurrentIcon() const;
  void Add();
  void Step();

  HWND window_ = nullptr;
  UINT taskbarCreated_ = 0;
  const std::vector<HICON>* images_ = nullptr;
  int index_ = 0;
  std::string hint_;
  unsigned cycleInterval_ = 500;
  bool cycling_ = false;
  bool shown_ = false;
  bool wanted_ = false;  // asked for and not removed: shown again whenever the taskbar comes
};

}  // namespace qv

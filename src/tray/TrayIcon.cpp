#include "tray/TrayIcon.h"

namespace qv {
namespace {

constexpr UINT kTrayId = 1;
constexpr UINT_PTR kCycleTimer = 1;

}  // namespace

TTrayIcon::TTrayIcon() {
  window_ = AllocWnd(BindWndMethod<TTrayIcon, &TTrayIcon::WndProc>(this));
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
}

TTrayIcon::~TTrayIcon() {
  Remove();
  DeallocWnd(window_);
}

void TTrayIcon::SetImages(const std::vector<HICON>* images) { images_ = images; }

void TTrayIcon::SetHint(const std::string& hint) {
  hint_ = hint;
  if (shown_) Refresh();
}

void TTrayIcon::SetCycleInterval(unsigned ms) {
  cycleInterval_ = ms;
  if (cycling_) SetTimer(window_, kCycleTimer, cycleInterval_, nullptr);
}

void TTrayIcon::SetCycling(bool cycling) {
  cycling_ = cycling;
  if (cycling)
    SetTimer(window_, kCycleTimer, cycleInterval_, nullptr);
  else
    KillTimer(window_, kCycleTimer);
}

HICON TTrayIcon::CurrentIcon() const {
  if (!images_ || index_ < 0 || index_ >= static_cast<int>(images_->size())) return nullptr;
  return (*images_)[static_cast<size_t>(index_)];
}

TNotifyIconData TTrayIcon::Data() const {
  TNotifyIconData data;
  data.Window = reinterpret_cast<std::uintptr_t>(window_);
  data.Id = kTrayId;
  data.CallbackMessage = WM_TRAYNOTIFY;
  data.Icon = reinterpret_cast<std::uintptr_t>(CurrentIcon());
  data.Tip = hint_;
  return data;
}

void TTrayIcon::Add() {
  wanted_ = true;
  shown_ = Shell().NotifyIcon(TNotifyIconOp::Add, Data());
}

void TTrayIcon::Refresh() {
  if (!shown_ || !Shell().NotifyIcon(TNotifyIconOp::Modify, Data())) Add();
}

void TTrayIcon::ShowBalloon(const std::string& title, const std::string& text, TBalloonIcon icon,
                            unsigned timeoutMs) {
  if (!shown_) Add();
  TNotifyIconData data = Data();
  data.Balloon = true;
  data.BalloonTitle = title;
  data.BalloonText = text;
  data.BalloonIcon = icon;
  data.BalloonTimeoutMs = timeoutMs;
  Shell().NotifyIcon(TNotifyIconOp::Modify, data);
}

void TTrayIcon::Remove() {
  wanted_ = false;
  if (!shown_) return;
  Shell().NotifyIcon(TNotifyIconOp::Delete, Data());
  shown_ = false;
}

void TTrayIcon::Step() {
  int count = images_ ? static_cast<int>(images_->size()) : 0;
  if (count == 0) return;
  index_ = (index_ + 1) % count;
  Refresh();
}

void TTrayIcon::WndProc(TMessage& message) {
  if (message.Msg == WM_TRAYNOTIFY) {
    switch (LOWORD(message.LParam)) {
      case WM_LBUTTONUP:
        if (OnClick) OnClick();
        break;
      case WM_RBUTTONUP:
        if (OnContextMenu) OnContextMenu();
        break;
      default:
        break;
    }
  } else if (message.Msg == WM_TIMER && message.WParam == kCycleTimer) {
    Step();
  } else if (taskbarCreated_ != 0 && message.Msg == taskbarCreated_) {
    // Explorer (re)started and knows no icon: ours goes in, also when the
    // taskbar was not there yet to take it at the program's start.
    if (wanted_) Add();
  } else {
    message.Result = DefWindowProcW(window_, message.Msg, message.WParam, message.LParam);
  }
}

}  // namespace qv

#include "tray/ResultPopup.h"

#include "ui/Dpi.h"
#include "ui/UiSeams.h"
#include "ui/WindowObject.h"
#include "util/Messages.h"

namespace qv {
namespace {

constexpr int kClientWidth = 195;
constexpr int kClientHeight = 35;
constexpr int kLabelLeft = 7;
constexpr int kLabelTop = 8;
constexpr int kLabelWidth = 156;
constexpr int kLabelHeight = 22;
constexpr int kLabelFontPx = 13;
constexpr DWORD kStyle = WS_POPUP | WS_DISABLED | WS_BORDER;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
constexpr int kResultLabelId = 1;

}  // namespace

void SetWindowAlpha(HWND window, BYTE alpha) {
  SetWindowLongW(window, GWL_EXSTYLE, GetWindowLongW(window, GWL_EXSTYLE) | WS_EX_LAYERED);
  SetLayeredWindowAttributes(window, 0, alpha, LWA_ALPHA);
}

void WaitMs(unsigned ms) {
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  long long ticks = frequency.QuadPart * ms / 1000;
  MSG msg;
  do {
    while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageW(&msg);
    QueryPerformanceCounter(&now);
  } while (now.QuadPart - start.QuadPart < ticks);
}

TTaskbarEdge TaskbarEdge() { return ui::Taskbar().Edge(); }
int TaskbarHeight() { return ui::Taskbar().Height(); }

TResultPopup::TResultPopup() : dpi_(ui::ScreenDpi()) {
  // The program's own icon when it carries one.
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
  ui::RegisterObjectClass(kResultPopupClassName,
                          &ui::ObjectWindowProc<TResultPopup, &TResultPopup::window_>, CS_SAVEBITS,
                          icon ? icon : LoadIconW(nullptr, IDI_APPLICATION));
  RECT r{0, 0, ui::ScaleToDpi(kClientWidth, dpi_), ui::ScaleToDpi(kClientHeight, dpi_)};
  AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
  window_ = CreateWindowExW(kExStyle, kResultPopupClassName, L"Quorvel", kStyle, 0,
                            GetSystemMetrics(SM_CYSCREEN), r.right - r.left, r.bottom - r.top,
                            nullptr, nullptr, GetModuleHandleW(nullptr), this);
  auto s = [this](int size) { return ui::ScaleToDpi(size, dpi_); };
  resultLabel_ = std::make_unique<ui::THtmlView>(
      window_, kResultLabelId,
      RECT{s(kLabelLeft), s(kLabelTop), s(kLabelLeft + kLabelWidth), s(kLabelTop + kLabelHeight)},
      s(kLabelFontPx));
  resultLabel_->SetBackground(panelColor_);
  resultLabel_->SetHtml("Es sind Fehler aufgetreten");
  resultLabel_->FitSize();
}

TResultPopup::~TResultPopup() {
  ++generation_;  // a slide still running on the stack ends
  resultLabel_.reset();
  ui::DestroyObjectWindow(window_);
}

void TResultPopup::ShowResult(bool failed) {
  unsigned generation = ++generation_;
  borderColor_ = RGB(0, 0, 0);
  panelColor_ = failed ? RGB(255, 0, 0) : RGB(255, 255, 255);
  ui::THtmlColors colors;
  colors.Text = failed ? RGB(255, 255, 255) : RGB(0, 0, 0);
  resultLabel_->SetColors(colors);
  resultLabel_->SetBackground(panelColor_);
  resultLabel_->SetHtml(failed ? kResultFailed : kResultSucceeded);
  resultLabel_->FitSize();
  InvalidateRect(window_, nullptr, TRUE);
  UpdateWindow(window_);
  StopSlideOutTimer();
  SetWindowAlpha(window_, failed ? 255 : 180);

  int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  RECT r{};
  GetWindowRect(window_, &r);
  int width = r.right - r.left;
  int height = r.bottom - r.top;
  MoveTo(screenHeight);
  ShowWindow(window_, SW_SHOWNOACTIVATE);
  SetWindowPos(window_, HWND_TOPMOST, screenWidth - width - 2, screenHeight, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE);
  // Over a bottom taskbar (or one the shell does not tell of); else the screen's bottom.
  TTaskbarEdge edge = TaskbarEdge();
  bool aside =
      edge == TTaskbarEdge::Left || edge == TTaskbarEdge::Top || edge == TTaskbarEdge::Right;
  targetTop_ = aside ? screenHeight - height : screenHeight - height - TaskbarHeight();

  position_ = screenHeight;
  do {
    --position_;
    MoveTo(position_);
    UpdateWindow(window_);
    if (!KeepSliding(generation)) return;
    WaitMs(10);
  } while (position_ > targetTop_);
  StartSlideOutTimer();
}

void TResultPopup::SlideOut() {
  unsigned generation = ++generation_;
  StopSlideOutTimer();
  int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  position_ = 0;
  do {
    ++position_;
    MoveTo(targetTop_ + position_);
    UpdateWindow(window_);
    WaitMs(1);
    if (!KeepSliding(generation)) return;
  } while (position_ < screenHeight);
  ShowWindow(window_, SW_HIDE);
}

bool TResultPopup::KeepSliding(unsigned generation) {
  if (quitting_ || !ProcessPendingMessages()) {
    quitting_ = true;
    return false;
  }
  return generation == generation_;
}

void TResultPopup::MoveTo(int top) {
  RECT r{};
  GetWindowRect(window_, &r);
  SetWindowPos(window_, nullptr, r.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TResultPopup::StartSlideOutTimer() {
  SetTimer(window_, kSlideOutTimerId, kSlideOutDelayMs, nullptr);
  slideOutPending_ = true;
}

void TResultPopup::StopSlideOutTimer() {
  KillTimer(window_, kSlideOutTimerId);
  slideOutPending_ = false;
}

// Double-buffered: the panel is drawn off screen and copied in one go.
void TResultPopup::PaintBuffered(HDC dc) {
  RECT client{};
  GetClientRect(window_, &client);
  HDC memory = CreateCompatibleDC(dc);
  {
    ui::TBitmap bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
    ui::TSelectObject selected(memory, bitmap.get());
    PaintFlatPanel(memory);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  }
  DeleteDC(memory);
}

void TResultPopup::PaintFlatPanel(HDC dc) {
  RECT client{};
  GetClientRect(window_, &client);
  ui::TBrush panel(CreateSolidBrush(panelColor_));
  FillRect(dc, &client, panel.get());
  ui::TBrush border(CreateSolidBrush(borderColor_));
  FrameRect(dc, &client, border.get());
}

LRESULT TResultPopup::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (ui::HandlePaint(window_, msg, wParam, [this](HDC dc) { PaintBuffered(dc); })) return 0;
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_TIMER:
      if (wParam == kSlideOutTimerId) SlideOut();
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_ACTIVATE:
      DefWindowProcW(window_, msg, wParam, lParam);
      return 1;
  }
  return DefWindowProcW(window_, msg, wParam, lParam);
}

}  // namespace qv

#include "ui/HtmlMessageBox.h"

#include <vector>

#include "ui/MessageBoxText.h"
#include "ui/Dpi.h"
#include "ui/Fonts.h"
#include "ui/WindowObject.h"
#include "util/WinText.h"

namespace qv::ui {
namespace {

constexpr UINT kMsgReforeground = WM_APP + 0x51;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;
constexpr int kDesignClientHeight = 187;
constexpr int kViewPadding = 8;
constexpr int kGlyphSize = 14;

TRect FromRect(const RECT& r) { return TRect{r.left, r.top, r.right, r.bottom}; }

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info)) {
    auto* list = reinterpret_cast<std::vector<std::pair<HMONITOR, TMonitor>>*>(data);
    list->push_back({monitor, TMonitor{FromRect(info.rcMonitor), FromRect(info.rcWork),
                                       (info.dwFlags & MONITORINFOF_PRIMARY) != 0}});
  }
  return TRUE;
}

struct TMainSearch {
  HWND Except = nullptr;
  HWND Found = nullptr;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM data) {
  auto* s = reinterpret_cast<TMainSearch*>(data);
  if (window == s->Except || GetWindow(window, GW_OWNER)) return TRUE;
  if ((GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) != WS_CAPTION) return TRUE;
  s->Found = window;
  return FALSE;
}

// The program's main window: its first captioned top-level window.
HWND ProgramMainWindow(HWND except) {
  TMainSearch search{except};
  EnumThreadWindows(GetCurrentThreadId(), FindMainWindow, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

bool IsModifierKey(WPARAM key) {
  switch (key) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_LSHIFT:
    case VK_RSHIFT:
    case VK_LCONTROL:
    case VK_RCONTROL:
    case VK_LMENU:
    case VK_RMENU:
      return true;
    default:
      return false;
  }
}

bool ModifierOrButtonHeld() {
  for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LBUTTON, VK_RBUTTON, VK_MBUTTON})
    if (GetKeyState(key) < 0) return true;
  return false;
}

struct TEnabledWindows {
  HWND Except = nullptr;
  std::vector<HWND> Windows;
};

BOOL CALLBACK CollectEnabled(HWND window, LPARAM data) {
  auto* c = reinterpret_cast<TEnabledWindows*>(data);
  if (window != c->Except && IsWindowVisible(window) && IsWindowEnabled(window))
    c->Windows.push_back(window);
  return TRUE;
}

// Windows of this thread that a modal box disables while it is open.
std::vector<HWND> DisableThreadWindows(HWND except) {
  TEnabledWindows collect{except, {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&collect));
  for (HWND window : collect.Windows) EnableWindow(window, FALSE);
  return collect.Windows;
}

void SetBounds(HWND window, const TRect& r) {
  SetWindowPos(window, nullptr, r.Left, r.Top, r.Width(), r.Height(),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void ForceForeground(HWND window) {
  HWND foreground = GetForegroundWindow();
  DWORD own = GetCurrentThreadId();
  DWORD other = foreground ? GetWindowThreadProcessId(foreground, nullptr) : own;
  bool attach = other != own && AttachThreadInput(own, other, TRUE);
  SetForegroundWindow(window);
  BringWindowToTop(window);
  if (attach) AttachThreadInput(own, other, FALSE);
}

void ShowHtmlMessage(const std::string& htmlText, const std::string& helpText,
                     const std::string& caption) {
  THtmlMessageBox box;
  box.Prepare(htmlText, helpText, caption);
  box.Show();
  box.RunModal();
}

THtmlMessageBox::THtmlMessageBox() {
  RegisterObjectClass(kBoxClassName, &ObjectWindowProc<THtmlMessageBox, &THtmlMessageBox::window_>,
                      0, LoadIconW(nullptr, IDI_INFORMATION));
  metrics_ = MakeMessageBoxMetrics(GetSystemMetrics(SM_CXSCREEN), ScreenDpi());
  RECT r{0, 0, metrics_.ClientWidth, metrics_.Scale(kDesignClientHeight)};
  AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
  window_ = CreateWindowExW(kExStyle, kBoxClassName, L"", kStyle, 0, 0, r.right - r.left,
                            r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  CreateControls();
  Place();
}

THtmlMessageBox::~THtmlMessageBox() {
  message_.reset();
  help_.reset();
  DestroyObjectWindow(window_);
}

void THtmlMessageBox::CreateControls() {
  int width = metrics_.ClientWidth;
  message_ = std::make_unique<THtmlView>(window_, kIdMessageView, RECT{0, 0, width, 20},
                                         metrics_.MessageFontPx);
  help_ = std::make_unique<THtmlView>(window_, kIdHelpView, RECT{0, 0, width, 20},
                                      metrics_.MessageFontPx);
  for (THtmlView* view : {message_.get(), help_.get()}) {
    view->SetBackground(RGB(255, 255, 255));
    view->SetOnLinkClick([this](const std::string&) { LinkClick(); });
  }
  ShowWindow(help_->Handle(), SW_HIDE);
  DWORD buttonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  helpButton_ = CreateWindowExW(
      0, L"BUTTON", Widen(kHelpCaption).c_str(), buttonStyle | BS_PUSHBUTTON, 0, 0, 10, 10, window_,
      reinterpret_cast<HMENU>(kIdHelpButton), GetModuleHandleW(nullptr), nullptr);
  closeButton_ = CreateWindowExW(
      0, L"BUTTON", Widen(kCloseCaption).c_str(), buttonStyle | BS_DEFPUSHBUTTON, 0, 0, 10, 10,
      window_, reinterpret_cast<HMENU>(kIdCloseButton), GetModuleHandleW(nullptr), nullptr);
  ApplyMetrics();
}

// Fonts, room and glyphs of the current set-up (at creation and when the DPI changes).
void THtmlMessageBox::ApplyMetrics() {
  buttonFont_.reset(CreateTahoma(metrics_.FormFontPx, FW_NORMAL));
  for (HWND button : {helpButton_, closeButton_})
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(buttonFont_.get()), TRUE);
  for (THtmlView* view : {message_.get(), help_.get()}) {
    view->SetFontHeight(metrics_.MessageFontPx);
    view->SetPadding(metrics_.Scale(kViewPadding));
  }
  helpGlyph_ = SetButtonGlyph(helpButton_, TGlyph::Help, metrics_.Scale(kGlyphSize));
  closeGlyph_ = SetButtonGlyph(closeButton_, TGlyph::Close, metrics_.Scale(kGlyphSize));
}

// Moved to a monitor of another DPI: everything is laid out anew at the
// place the system suggests.
void THtmlMessageBox::DpiChanged(int dpi, const RECT& suggested) {
  metrics_ = MakeMessageBoxMetrics(GetSystemMetrics(SM_CXSCREEN), dpi);
  ApplyMetrics();
  SetWindowPos(window_, nullptr, suggested.left, suggested.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  FitHeight();
}

// Centred on the monitor that holds the program's active (else main) window.
void THtmlMessageBox::Place() {
  std::vector<std::pair<HMONITOR, TMonitor>> found;
  EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&found));
  if (found.empty()) return;
  std::vector<TMonitor> monitors;
  for (const auto& m : found) monitors.push_back(m.second);
  HWND reference = GetActiveWindow();
  if (!reference || reference == window_) reference = ProgramMainWindow(window_);
  std::optional<TRect> rect;
  std::optional<std::size_t> own;
  if (reference) {
    RECT r{};
    GetWindowRect(reference, &r);
    rect = FromRect(r);
    HMONITOR monitor = MonitorFromWindow(reference, MONITOR_DEFAULTTONULL);
    for (std::size_t i = 0; i < found.size(); ++i)
      if (found[i].first == monitor) own = i;
  }
  const TMonitor& chosen = monitors[ChooseBoxMonitor(monitors, rect, own)];
  RECT current{};
  GetWindowRect(window_, &current);
  SetBounds(window_,
            CenterIn(chosen.WorkArea, current.right - current.left, current.bottom - current.top));
}

void THtmlMessageBox::Prepare(const std::string& htmlText, const std::string& helpText,
                              const std::string& caption) {
  helpText_.clear();
  helpShown_ = false;
  ShowWindow(help_->Handle(), SW_HIDE);
  message_->SetHtml(FormatBoxText(htmlText));
  SetWindowTextW(window_, Widen(caption.empty() ? kApplicationTitle : caption).c_str());
  ShowWindow(helpButton_, helpText.empty() ? SW_HIDE : SW_SHOW);
  helpText_ = helpText;
  FitHeight();
}

void THtmlMessageBox::Show() {
  ShowWindow(window_, SW_SHOW);
  FitHeight();
  if (metrics_.Dpi != kDesignDpi) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT r{};
    GetWindowRect(window_, &r);
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    SetWindowPos(window_, nullptr, work.right / 2 - width / 2, work.bottom / 2 - height / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ForceForeground(window_);
  SetFocus(closeButton_);
}

int THtmlMessageBox::ClientHeightLimit() const {
  RECT frame{0, 0, 100, 100};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  int nonClient = (frame.bottom - frame.top) - 100;
  return BoxHeightLimit(GetSystemMetrics(SM_CYSCREEN)) - nonClient;
}

// Fits the client height to the texts; the top edge stays where it is.
void THtmlMessageBox::FitHeight() {
  std::optional<int> helpHeight;
  if (helpShown_) helpHeight = help_->TextHeight();
  geometry_ = LayoutBox(metrics_, message_->TextHeight(), helpHeight, ClientHeightLimit());
  RECT frame{0, 0, metrics_.ClientWidth, geometry_.ClientHeight};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Arrange();
}

void THtmlMessageBox::Arrange() {
  const TBoxGeometry& g = geometry_;
  SetBounds(message_->Handle(), g.Message);
  SetBounds(helpButton_, g.HelpButton);
  SetBounds(closeButton_, g.CloseButton);
  if (g.HelpPanel) SetBounds(help_->Handle(), g.HelpView);
  ShowWindow(help_->Handle(), g.HelpPanel ? SW_SHOW : SW_HIDE);
  InvalidateRect(window_, nullptr, TRUE);
}

void THtmlMessageBox::Paint(HDC dc) {
  RECT client{};
  GetClientRect(window_, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  RECT panel{geometry_.ButtonBar.Left, geometry_.ButtonBar.Top, geometry_.ButtonBar.Right,
             geometry_.ButtonBar.Bottom};
  FillRect(dc, &panel, GetSysColorBrush(COLOR_BTNFACE));
  const TRect& image = geometry_.Image;
  DrawIconEx(dc, image.Left, image.Top, LoadIconW(nullptr, IDI_INFORMATION), image.Width(),
             image.Height(), 0, nullptr, DI_NORMAL);
}

void THtmlMessageBox::UnfoldHelp() {
  if (helpText_.empty() || helpShown_) return;
  help_->SetHtml(FormatBoxText(helpText_));
  helpShown_ = true;
  SetFocus(closeButton_);
  EnableWindow(helpButton_, FALSE);
  FitHeight();
}

void THtmlMessageBox::LinkClick() {
  linkClicked_ = true;
  Close();
}

void THtmlMessageBox::OnDeactivated() {
  if (!linkClicked_ && !closed_) PostMessageW(window_, kMsgReforeground, 0, 0);
}

void THtmlMessageBox::Close() {
  if (closed_) return;
  closed_ = true;
  ShowWindow(window_, SW_HIDE);
}

bool THtmlMessageBox::PreviewKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  if (msg.hwnd != window_ && !IsChild(window_, msg.hwnd)) return false;
  if (msg.wParam == VK_F1) return true;
  if (IsModifierKey(msg.wParam) || ModifierOrButtonHeld()) return false;
  Close();
  return true;
}

void THtmlMessageBox::RunModal() {
  std::vector<HWND> disabled = DisableThreadWindows(window_);
  MSG msg;
  while (!closed_) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // the caller's loop must see it too
      break;
    }
    if (got == -1) break;
    if (PreviewKey(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  for (HWND window : disabled)
    if (IsWindow(window)) EnableWindow(window, TRUE);
}

LRESULT THtmlMessageBox::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (HandlePaint(window_, msg, wParam, [this](HDC dc) { Paint(dc); })) return 0;
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kIdCloseButton) Close();
      if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kIdHelpButton) UnfoldHelp();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) OnDeactivated();
      break;
    case kMsgReforeground:
      if (!linkClicked_ && !closed_) ForceForeground(window_);
      return 0;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_DPICHANGED:
      DpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
  }
  return DefWindowProcW(window_, msg, wParam, lParam);
}

}  // namespace qv::ui

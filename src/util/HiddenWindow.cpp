#include "util/HiddenWindow.h"

#include <atomic>
#include <mutex>

#include "util/WinText.h"

namespace qv {
namespace {

// Storage of a hidden window: the handler's function, then its object.
constexpr int kMethodSlot = 0;
constexpr int kObjectSlot = sizeof(LONG_PTR);
constexpr int kExtraBytes = 2 * sizeof(LONG_PTR);

struct THiddenWindowState {
  std::mutex lock;
  int liveCount = 0;
  std::atomic<bool> shutDown{false};
};

THiddenWindowState& State() {
  static THiddenWindowState state;
  return state;
}

HINSTANCE Module() { return GetModuleHandleW(nullptr); }

LRESULT CALLBACK ForwardingWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (State().shutDown.load(std::memory_order_acquire)) return 1;
  auto method =
      reinterpret_cast<void (*)(void*, TMessage&)>(GetWindowLongPtrW(window, kMethodSlot));
  if (!method) return DefWindowProcW(window, msg, wParam, lParam);
  TMessage message{msg, wParam, lParam, 0};
  method(reinterpret_cast<void*>(GetWindowLongPtrW(window, kObjectSlot)), message);
  return message.Result;
}

std::string LastErrorText() { return SysErrorMessage(GetLastError()); }

void EnsureClassRegistered() {
  WNDCLASSW existing{};
  if (GetClassInfoW(Module(), kHiddenWindowClass, &existing)) {
    if (existing.lpfnWndProc == ForwardingWndProc) return;
    UnregisterClassW(kHiddenWindowClass, Module());
  }
  WNDCLASSW wc{};
  wc.lpfnWndProc = ForwardingWndProc;
  wc.cbWndExtra = kExtraBytes;
  wc.hInstance = Module();
  wc.lpszClassName = kHiddenWindowClass;
  if (!RegisterClassW(&wc))
    throw EHiddenWindowError("Unable to register hidden window class. " + LastErrorText());
}

}  // namespace

HWND AllocWnd(TWndMethod handler) {
  auto& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  EnsureClassRegistered();
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kHiddenWindowClass, L"", WS_POPUP, 0, 0, 0, 0,
                                nullptr, nullptr, Module(), nullptr);
  if (!window) throw EHiddenWindowError("Unable to create hidden window. " + LastErrorText());
  SetWindowLongPtrW(window, kMethodSlot, reinterpret_cast<LONG_PTR>(handler.Method));
  SetWindowLongPtrW(window, kObjectSlot, reinterpret_cast<LONG_PTR>(handler.Object));
  ++state.liveCount;
  return window;
}

void DeallocWnd(HWND window) {
  if (!window) return;
  DestroyWindow(window);
  auto& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  if (--state.liveCount <= 0) UnregisterClassW(kHiddenWindowClass, Module());
}

void ShutdownHiddenWindows() { State().shutDown.store(true, std::memory_order_release); }

int LiveHiddenWindowCount() {
  auto& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.liveCount;
}

}  // namespace qv

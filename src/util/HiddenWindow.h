#pragma once
// Hidden windows that carry posted notifications to the thread that made them.
#include <windows.h>

#include <stdexcept>
#include <string>

namespace qv {

struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// A bound message handler: an object and a function that receives it.
struct TWndMethod {
  void (*Method)(void* object, TMessage& message) = nullptr;
  void* Object = nullptr;
};

template <class T, void (T::*Handler)(TMessage&)>
TWndMethod BindWndMethod(T* object) {
  TWndMethod m;
  m.Method = [](void* o, TMessage& message) { (static_cast<T*>(o)->*Handler)(message); };
  m.Object = object;
  return m;
}

class EHiddenWindowError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr wchar_t kHiddenWindowClass[] = L"QvHiddenWindow";

HWND AllocWnd(TWndMethod handler);
void DeallocWnd(HWND window);

// At program end: every hidden window answers 1 to every message from then on.
void ShutdownHiddenWindows();
int LiveHiddenWindowCount();

}  // namespace qv

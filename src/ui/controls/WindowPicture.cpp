#include "ui/controls/WindowPicture.h"

#include "ui/WindowObject.h"
#include "ui/controls/ControlClass.h"

namespace qv::ui {
namespace {

class TPicture {
 public:
  explicit TPicture(HWND window) : window_(window) {}
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) return 1;
    if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    if (message != WM_PAINT) return DefWindowProcW(window_, message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    RECT client;
    GetClientRect(window_, &client);
    BITMAP info = {};
    if (Picture && GetObjectW(Picture, sizeof info, &info)) {
      HDC source = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(source, Picture);
      SetStretchBltMode(dc, HALFTONE);
      StretchBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, info.bmWidth, info.bmHeight,
                 SRCCOPY);
      SelectObject(source, old);
      DeleteDC(source);
    } else {
      FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    }
    EndPaint(window_, &ps);
    return 0;
  }
  HBITMAP Picture = nullptr;

 private:
  HWND window_;
};

}  // namespace

BITMAPINFO Rgb24Format(int width, int height) {
  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = height;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 24;
  format.bmiHeader.biCompression = BI_RGB;
  return format;
}

TBitmap CaptureWindow(HWND window) {
  RECT r;
  if (!IsWindow(window) || !GetWindowRect(window, &r)) return TBitmap();
  using TPrintWindow = BOOL(WINAPI*)(HWND, HDC, UINT);
  auto print = reinterpret_cast<TPrintWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "PrintWindow")));
  BITMAPINFO bi = Rgb24Format(r.right - r.left, r.bottom - r.top);
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  TBitmap bitmap(CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  ReleaseDC(nullptr, screen);
  if (!bitmap.valid() || !print) return bitmap;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap.get());
  print(window, dc, 0);
  SelectObject(dc, old);
  DeleteDC(dc);
  return bitmap;
}

TPictureWindow::TPictureWindow(const RECT& place, HBITMAP picture) {
  RegisterObjectClass(kPictureWindowClass, ControlProc<TPicture>, 0, nullptr);
  window_.reset(CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST,
                                kPictureWindowClass, L"", WS_POPUP, place.left, place.top,
                                place.right - place.left, place.bottom - place.top, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr));
  if (auto* self = ControlOf<TPicture>(window_.get())) self->Picture = picture;
}

void TPictureWindow::Resize(int width, int height) {
  SetWindowPos(window_.get(), nullptr, 0, 0, width, height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(window_.get(), nullptr, FALSE);
}

}  // namespace qv::ui

#include "cli/Console.h"

#include <windows.h>

#include "util/Cp1252.h"
#include "util/WinText.h"

namespace qv {
namespace {

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

constexpr std::size_t kProgressWidth = 78;

}  // namespace

TConsole::TConsole()
    : interactive_(IsConsole(GetStdHandle(STD_OUTPUT_HANDLE))),
      errorInteractive_(IsConsole(GetStdHandle(STD_ERROR_HANDLE))) {}

void TConsole::Write(void* handle, const std::string& text, bool console) {
  DWORD done = 0;
  if (console) {
    std::wstring wide = Widen(text);
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &done, nullptr);
  } else {
    // Pipes and files get strict UTF-8, whatever a file name carries.
    std::string bytes = WithoutHalfSurrogates(text);
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  }
}

void TConsole::ClearProgress() {
  if (progressLength_ == 0) return;
  Write(GetStdHandle(STD_OUTPUT_HANDLE), "\r" + std::string(progressLength_, ' ') + "\r", true);
  progressLength_ = 0;
}

void TConsole::Line(const std::string& text) {
  ClearProgress();
  Write(GetStdHandle(STD_OUTPUT_HANDLE), text + "\r\n", interactive_);
}

void TConsole::Progress(const std::string& text) {
  if (!interactive_) return;
  std::wstring wide = Widen(text);
  if (wide.size() > kProgressWidth) wide = wide.substr(0, kProgressWidth - 3) + L"...";
  ClearProgress();
  Write(GetStdHandle(STD_OUTPUT_HANDLE), Narrow(wide), true);
  progressLength_ = wide.size();
}

void TConsole::Error(const std::string& text) {
  ClearProgress();
  Write(GetStdHandle(STD_ERROR_HANDLE), text + "\r\n", errorInteractive_);
}

}  // namespace qv

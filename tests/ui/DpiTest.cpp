// The message box on a 144-DPI screen. Wine reads the screen's DPI
// (LogPixels) when a program starts, so this program sets it in its own
// prefix and runs itself again when it finds another DPI.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "MessageBoxScript.h"
#include "ui/Dpi.h"
#include "ui/HtmlMessageBox.h"

namespace qv::ui {
namespace {

constexpr int kDpi = 144;

TEST(Dpi144, ScreenReportsTheDpiOfTheRegistry) { EXPECT_EQ(ScreenDpi(), kDpi); }

TEST(Dpi144, BoxIsScaledAndCentredOnThePrimaryWorkArea) {
  RECT client{}, view{}, close{}, box{};
  std::string shown;
  test::TBoxScript script({[&](HWND b) {
                             GetClientRect(b, &client);
                             GetClientRect(GetDlgItem(b, kIdMessageView), &view);
                             GetWindowRect(GetDlgItem(b, kIdCloseButton), &close);
                             GetWindowRect(b, &box);
                           },
                           [](HWND b) { PostMessageW(b, WM_KEYDOWN, VK_RETURN, 0); }});
  script.Run("<b>Quorvel</b> ben\xC3\xB6tigt noch einige Angaben:", "", "");
  EXPECT_FALSE(script.ClosedByScript());
  EXPECT_EQ(client.right, 609);                    // 406 × 1.5
  EXPECT_EQ(client.bottom, view.bottom + 3 + 53);  // gap and panel scaled
  EXPECT_EQ(close.right - close.left, 141);        // (98 − 4) × 1.5
  EXPECT_GE(view.bottom, 20);                      // one line of 10 point text at 144 DPI
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(box.left, work.right / 2 - (box.right - box.left) / 2);
  EXPECT_EQ(box.top, work.bottom / 2 - (box.bottom - box.top) / 2);
}

void SetLogPixels(DWORD dpi) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
  RegCloseKey(key);
}

int RunAgain() {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring commandLine = GetCommandLineW();
  SetEnvironmentVariableW(L"QV_DPI_RESTARTED", L"1");
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                      &pi))
    return 1;
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return static_cast<int>(code);
}

}  // namespace
}  // namespace qv::ui

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (qv::ui::ScreenDpi() != qv::ui::kDpi &&
      !GetEnvironmentVariableW(L"QV_DPI_RESTARTED", nullptr, 0)) {
    qv::ui::SetLogPixels(qv::ui::kDpi);
    std::fflush(stdout);
    return qv::ui::RunAgain();
  }
  return RUN_ALL_TESTS();
}

#include <windows.h>
// after windows.h
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "util/Seams.h"
#include "util/WinText.h"

namespace qv {
namespace {

TTaskbarEdge TaskbarEdgeOf(UINT shellEdge) {
  switch (shellEdge) {
    case ABE_LEFT:
      return TTaskbarEdge::Left;
    case ABE_TOP:
      return TTaskbarEdge::Top;
    case ABE_RIGHT:
      return TTaskbarEdge::Right;
    case ABE_BOTTOM:
      return TTaskbarEdge::Bottom;
    default:
      return TTaskbarEdge::Unknown;
  }
}

template <size_t N>
void CopyTruncated(wchar_t (&field)[N], const std::string& text) {
  std::wstring wide = Widen(text);
  size_t n = std::min(wide.size(), N - 1);
  std::copy_n(wide.begin(), n, field);
  field[n] = L'\0';
}

DWORD BalloonFlags(TBalloonIcon icon) {
  switch (icon) {
    case TBalloonIcon::Info:
      return NIIF_INFO;
    case TBalloonIcon::Warning:
      return NIIF_WARNING;
    case TBalloonIcon::Error:
      return NIIF_ERROR;
    case TBalloonIcon::None:
      break;
  }
  return NIIF_NONE;
}

// Selects the preset once the folder browser has opened.
int CALLBACK SelectPreset(HWND dialog, UINT message, LPARAM, LPARAM preset) {
  if (message == BFFM_INITIALIZED) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, preset);
  return 0;
}

class WindowsShell final : public IShell {
 public:
  bool NotifyIcon(TNotifyIconOp op, const TNotifyIconData& data) override {
    NOTIFYICONDATAW nid = {};
    nid.cbSize = sizeof nid;
    nid.hWnd = reinterpret_cast<HWND>(data.Window);
    nid.uID = data.Id;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = data.CallbackMessage;
    nid.hIcon = reinterpret_cast<HICON>(data.Icon);
    CopyTruncated(nid.szTip, data.Tip);
    if (data.Balloon) {
      nid.uFlags |= NIF_INFO;
      CopyTruncated(nid.szInfoTitle, data.BalloonTitle);
      CopyTruncated(nid.szInfo, data.BalloonText);
      nid.dwInfoFlags = BalloonFlags(data.BalloonIcon);
      nid.uTimeout = data.BalloonTimeoutMs;
    }
    DWORD message = op == TNotifyIconOp::Add      ? NIM_ADD
                    : op == TNotifyIconOp::Modify ? NIM_MODIFY
                                                  : NIM_DELETE;
    return Shell_NotifyIconW(message, &nid) != FALSE;
  }

  bool Execute(const std::string& verb, const std::string& path, std::uintptr_t owner) override {
    std::wstring wideVerb = Widen(verb), widePath = Widen(path);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = reinterpret_cast<HWND>(owner);
    info.lpVerb = wideVerb.c_str();
    info.lpFile = widePath.c_str();
    info.nShow = SW_SHOW;
    if (!ShellExecuteExW(&info)) return false;
    if (info.hProcess) CloseHandle(info.hProcess);
    return true;
  }

  std::string ChooseFolder(const std::string& preset, const std::string& title,
                           std::uintptr_t owner) override {
    // The new dialog style needs COM on this thread.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::wstring widePreset = Widen(preset), wideTitle = Widen(title);
    wchar_t name[MAX_PATH + 1] = {};
    BROWSEINFOW info = {};
    info.hwndOwner = reinterpret_cast<HWND>(owner);
    info.pszDisplayName = name;
    info.lpszTitle = wideTitle.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = SelectPreset;
    info.lParam = reinterpret_cast<LPARAM>(widePreset.c_str());
    std::string chosen;
    if (LPITEMIDLIST item = SHBrowseForFolderW(&info)) {
      wchar_t path[MAX_PATH + 1] = {};
      if (SHGetPathFromIDListW(item, path)) chosen = Narrow(path);
      CoTaskMemFree(item);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return chosen;
  }

  bool TaskbarPosition(TTaskbarPosition& position) override {
    APPBARDATA data = {};
    data.cbSize = sizeof data;
    if (!SHAppBarMessage(ABM_GETTASKBARPOS, &data)) return false;
    position.Edge = TaskbarEdgeOf(data.uEdge);
    position.Left = data.rc.left;
    position.Top = data.rc.top;
    position.Right = data.rc.right;
    position.Bottom = data.rc.bottom;
    return true;
  }
};

}  // namespace

IShell& SystemShell() {
  static WindowsShell shell;
  return shell;
}

}  // namespace qv

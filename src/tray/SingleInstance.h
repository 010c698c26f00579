#pragma once
// One tray program per session: the first start holds a named mutex, a
// later start asks the first one's window to show itself and ends.
#include <windows.h>

#include "util/Handles.h"

namespace qv {

inline constexpr wchar_t kInstanceMutexName[] = L"7D3F1A95-2C64-4B8E-A0D1-9E52B7C4F318";

// Creates the mutex, initially owned. The handle is empty for a second
// instance (the mutex existed already, or could not be created).
TKernelHandle ClaimFirstInstance();

// Sends the show request (WM_COPYDATA, tag 5446, one zero byte) to every
// top-level window of the main window's class; gives how many got it.
int SendShowRequests();

}  // namespace qv

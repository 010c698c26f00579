#pragma once
// Pictures of windows as the screen shows them, written as BMP files.
#include <windows.h>

#include <string>

namespace qv::screens {

// Lets the window paint itself and the screen catch up.
void Settle(DWORD ms);

// Copies the window's rectangle from the screen into a 24-bit BMP file.
bool CaptureWindow(HWND window, const std::string& path);
// Copies a rectangle of the screen into a 24-bit BMP file.
bool CaptureRect(const RECT& r, const std::string& path);

}  // namespace qv::screens

#pragma once
// The ANSI code page of the program's text files: the system's on Windows,
// Windows-1252 elsewhere (what a German PC has).
#include <string>
#include <string_view>

namespace qv {

std::string AnsiToUtf8(std::string_view bytes);
// *lossy tells whether a character had no ANSI form (written as '?').
std::string Utf8ToAnsi(std::string_view utf8, bool* lossy = nullptr);

}  // namespace qv

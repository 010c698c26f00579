#pragma once
// The ANSI code page of the program's text files: the system's on Windows,
// Windows-1252 elsewhere (what a German PC has).
#include <string>
#include <string_view>

namespace qv {

std::string AnsiToUtf8(std::string_view bytes);
std::string Utf8ToAnsi(std::string_view utf8);

}  // namespace qv

#pragma once
// How the message box turns its text into lines: CR LF and <BR> in any case
// end lines, leading empty lines vanish, and long texts are shortened.
#include <string>
#include <string_view>

namespace qv::ui {

inline constexpr int kBoxLineLimit = 21;
inline constexpr std::string_view kBoxOmission = "<br>................<br>";

std::string FormatBoxText(std::string_view text);

}  // namespace qv::ui

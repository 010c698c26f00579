#pragma once
// Report lines as plain console text: tags removed (a link shows as its
// path, which is its visible text), failures marked "FEHLER:".
#include <string>
#include <string_view>

namespace qv {

std::string PlainText(std::string_view html);
std::string ConsoleLine(std::string_view html, bool failed);

}  // namespace qv

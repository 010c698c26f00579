#include "util/AnsiText.h"
#include "util/WinText.h"

namespace qv {

std::string AnsiToUtf8(std::string_view bytes) { return FromAnsi(bytes); }
std::string Utf8ToAnsi(std::string_view utf8) { return ToAnsi(utf8); }

}  // namespace qv

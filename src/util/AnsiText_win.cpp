#include "util/AnsiText.h"
#include "util/WinText.h"

namespace qv {

std::string AnsiToUtf8(std::string_view bytes) { return FromAnsi(bytes); }
std::string Utf8ToAnsi(std::string_view utf8, bool* lossy) {
  return ToCodePage(utf8, CP_ACP, lossy);
}

}  // namespace qv

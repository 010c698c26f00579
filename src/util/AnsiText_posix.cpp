#include "util/AnsiText.h"
#include "util/Cp1252.h"

namespace qv {

std::string AnsiToUtf8(std::string_view bytes) { return Cp1252ToUtf8(bytes); }
std::string Utf8ToAnsi(std::string_view utf8, bool* lossy) { return Utf8ToCp1252(utf8, lossy); }

}  // namespace qv

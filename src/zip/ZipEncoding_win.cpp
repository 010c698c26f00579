#include <windows.h>

#include "util/WinText.h"
#include "zip/ZipWriter.h"

namespace qv {

std::string EncodeOemOrUtf8(const std::string& text, bool* utf8) {
  bool lossy = false;
  std::string oem = ToCodePage(text, CP_OEMCP, &lossy);
  if (utf8) *utf8 = lossy;
  return lossy ? text : oem;
}

std::string EncodeAnsi(const std::string& text) { return ToCodePage(text, CP_ACP); }

}  // namespace qv

#include "util/Cp1252.h"
#include "util/Cp850.h"
#include "zip/ZipWriter.h"

namespace qv {

std::string EncodeOemOrUtf8(const std::string& text, bool* utf8) {
  bool lossy = false;
  std::string oem = Utf8ToCp850(text, &lossy);
  if (utf8) *utf8 = lossy;
  return lossy ? text : oem;
}

std::string EncodeAnsi(const std::string& text) { return Utf8ToCp1252(text); }

}  // namespace qv

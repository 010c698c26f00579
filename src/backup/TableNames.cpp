#include "backup/TableNames.h"

#include "util/Cp1252.h"
#include "util/StrUtils.h"

namespace qv {

std::string TableBaseName(const std::string& name) {
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

bool IsTableFile(const std::string& path) {
  std::string ext = ExtractFileExt(path);
  for (const char* extension : kTableExtensions)
    if (SameText1252(ext, extension)) return true;
  return false;
}

}  // namespace qv

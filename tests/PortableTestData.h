#pragma once
// Where the source tree's test data lies, as the program under test sees it
// (under wine the host's file system is drive Z:).
#include <string>

namespace qv::test {

inline std::string DataPath(const std::string& relative) {
  std::string path = std::string(QV_TESTDATA_DIR) + "/" + relative;
#ifdef _WIN32
  path = "Z:" + path;
  for (char& c : path)
    if (c == '/') c = '\\';
#endif
  return path;
}

}  // namespace qv::test

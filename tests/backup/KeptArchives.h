#pragma once
// Hands archives written by a test to the host's readers (python zipfile,
// unzip, 7z), which the zip_readers_check test runs over them.
#include <windows.h>

#include <string>

#include "util/WinText.h"

namespace qv::test {

inline void KeepForReaders(const std::string& archive, const std::string& label) {
  wchar_t buffer[4096] = {};
  if (!GetEnvironmentVariableW(L"QV_ZIP_CHECK_DIR_WIN", buffer, 4096)) return;
  std::string target = Narrow(buffer) + "\\archiveset-" + label + ".zip";
  CopyFileW(Widen(archive).c_str(), Widen(target).c_str(), FALSE);
}

}  // namespace qv::test

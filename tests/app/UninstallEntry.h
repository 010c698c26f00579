#pragma once
// The office application's uninstall entry in the registry of the test's
// wine prefix, removed again when the object goes.
#include <string>

#include "WinTestSupport.h"
#include "app/DatabaseList.h"

namespace qv::test {

class TUninstallEntry {
 public:
  TUninstallEntry() = default;
  ~TUninstallEntry() { RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY, 0); }
  TUninstallEntry(const TUninstallEntry&) = delete;
  TUninstallEntry& operator=(const TUninstallEntry&) = delete;

  // Writes the entry; with a location, also its value "InstallLocation".
  bool Write(const std::string* location) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0,
                        KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key, nullptr) != ERROR_SUCCESS)
      return false;
    if (location) {
      std::wstring value = Widen(*location);
      RegSetValueExW(key, L"InstallLocation", 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(key);
    return true;
  }
};

}  // namespace qv::test

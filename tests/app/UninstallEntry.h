#pragma once
// The office application as the tray program finds it: its uninstall entry in
// the registry of the test's wine prefix (removed again when the object goes)
// and its list of databases.
#include <cstdint>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "app/DatabaseList.h"

namespace qv::test {

// A BASE.LST naming the given folders (ANSI texts).
inline std::string BaseListBytes(const std::vector<std::string>& ansiTexts) {
  auto u32 = [](std::uint32_t v) {
    std::string b(4, '\0');
    for (int i = 0; i < 4; ++i) b[static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
    return b;
  };
  std::string bytes = u32(static_cast<std::uint32_t>(ansiTexts.size()));
  for (const auto& text : ansiTexts)
    bytes += u32(static_cast<std::uint32_t>(39 + text.size())) + std::string(39, '\0') + text;
  return bytes;
}

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

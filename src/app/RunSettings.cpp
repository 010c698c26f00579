#include "app/RunSettings.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "app/Settings.h"
#include "util/FileUtils.h"
#include "util/WinText.h"

namespace qv {
namespace {

constexpr char kUnknownVersion[] = "Unbekannt";

}  // namespace

std::string TargetDirectorySetting() {
  std::string target = ReadSettingString(kTargetKey);
  if (!target.empty()) return target;
  std::string documents = SpecialFolder(CSIDL_COMMON_DOCUMENTS);
  target = WithTrailingBackslash(documents + "Quorvel Sicherungen");
  ForceFolders(target);
  return target;
}

std::string HoursSetting() {
  std::string hours = ReadSettingString(kCronKey);
  return hours.empty() ? kDefaultHours : hours;
}

std::string FileVersionText() {
  wchar_t path[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(path, &handle);
  if (size == 0) return kUnknownVersion;
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoW(path, 0, size, data.data())) return kUnknownVersion;
  struct TTranslation {
    WORD Language, CodePage;
  }* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &length) ||
      length < sizeof(TTranslation))
    return kUnknownVersion;
  wchar_t query[64];
  swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", translation->Language,
           translation->CodePage);
  wchar_t* value = nullptr;
  if (!VerQueryValueW(data.data(), query, reinterpret_cast<void**>(&value), &length) || length == 0)
    return kUnknownVersion;
  return Narrow(value);
}

}  // namespace qv

#pragma once
// The program's settings in UserMode.INI, section "MODE", beside the program
// file. Every operation opens the store, does one read or write and
// releases it; no failure raises: a read then gives its default, a write
// tells whether it was stored.
#include <cstdint>
#include <memory>
#include <string>

#include "util/FastIniFile.h"

namespace qv {

inline constexpr char kSettingsFileName[] = "UserMode.INI";
inline constexpr char kModeSection[] = "MODE";
inline constexpr char kCronKey[] = "TVEZivavuvIdazadide.Cron";
inline constexpr char kTargetKey[] = "TVEZivavuvIdazadide.TVEZivavuvIdazadide";
inline constexpr char kDefaultHours[] = "8,9,10,11,12,13,14,15,16,17,18";

// A process-wide folder for UserMode.INI that nothing in the program sets.
const std::string& SettingsDirectory();

// The store for directory + "UserMode.INI" (the program's folder when empty).
std::unique_ptr<TFastIniFile> OpenSettings(const std::string& directory = "");
bool WriteSettingString(const std::string& key, const std::string& value,
                        const std::string& directory = "");
bool WriteSettingInteger(const std::string& key, std::int32_t value,
                         const std::string& directory = "");
// directory + "UserMode.INI" as the user would look for it.
std::string SettingsFilePath(const std::string& directory = "");
std::string ReadSettingString(const std::string& key, const std::string& defaultValue = "",
                              const std::string& directory = "", bool writeBack = false);
std::int32_t ReadSettingInteger(const std::string& key, std::int32_t defaultValue,
                                const std::string& directory = "", bool writeBack = false);

struct TScreenRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

struct TFormGeometry {
  std::string Name;
  int Left = 0, Top = 0, Width = 0, Height = 0;
  int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;  // 0: no constraint
};

// Size and position from the settings (nothing written back); gives the
// value read for name + ".Add0".
// Where a form goes when the settings hold no position of it.
enum TFormPlacement : int {
  PlaceCentered = 0,
  PlaceTopLeft = 1,
  PlaceTopRight = 2,
  PlaceBottomRight = 3,
  PlaceKeepPosition = 4,  // the form's own position, not read from the settings
};
std::int32_t RestoreFormPlacement(TFormGeometry& form, const TScreenRect& workArea,
                                  const std::string& directory, std::string name,
                                  std::int32_t add0Default, int placement);

}  // namespace qv

#include "app/Settings.h"

#include <algorithm>

#include "util/IniFileStorage.h"
#include "util/Seams.h"
#include "util/StrUtils.h"

namespace qv {

const std::string& SettingsDirectory() {
  static const std::string directory;
  return directory;
}

std::string SettingsFilePath(const std::string& directory) {
  std::string folder = directory;
  if (folder.empty()) folder = SettingsDirectory();
  if (folder.empty()) folder = ProgramFolder();
  return WithTrailingBackslash(folder) + kSettingsFileName;
}

std::unique_ptr<TFastIniFile> OpenSettings(const std::string& directory) {
  return OpenIniFile(SettingsFilePath(directory));
}

namespace {

// Runs the action on the opened store and saves it; false when anything
// failed (settings never raise).
template <typename Action>
bool WithSettings(const std::string& directory, Action action) {
  try {
    auto ini = OpenSettings(directory);
    action(*ini);
    ini->Release();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

bool WriteSettingString(const std::string& key, const std::string& value,
                        const std::string& directory) {
  if (key.empty()) return false;
  return WithSettings(directory, [&](TFastIniFile& ini) {
    ini.WriteString(kModeSection, key, QuotedString(value));
  });
}

bool WriteSettingInteger(const std::string& key, std::int32_t value, const std::string& directory) {
  if (key.empty()) return false;
  return WithSettings(directory,
                      [&](TFastIniFile& ini) { ini.WriteInteger(kModeSection, key, value); });
}

std::string ReadSettingString(const std::string& key, const std::string& defaultValue,
                              const std::string& directory, bool writeBack) {
  std::string result;
  if (key.empty()) return result;
  bool read = WithSettings(directory, [&](TFastIniFile& ini) {
    ini.StripQuotes = false;
    result = ini.ReadString(kModeSection, key, defaultValue);
    if (!result.empty() && result[0] == '"') result = ExtractQuotedString(result);
  });
  if (read && writeBack) WriteSettingString(key, result, directory);
  return result;
}

std::int32_t ReadSettingInteger(const std::string& key, std::int32_t defaultValue,
                                const std::string& directory, bool writeBack) {
  if (key.empty()) return defaultValue;
  std::int32_t result = defaultValue;
  if (!WithSettings(directory, [&](TFastIniFile& ini) {
        result = ini.ReadInteger(kModeSection, key, defaultValue);
      }))
    return defaultValue;
  if (writeBack) WriteSettingInteger(key, result, directory);
  return result;
}

namespace {

int Clamp(int value, int minimum, int maximum) {
  if (minimum > 0 && value < minimum) value = minimum;
  if (maximum > 0 && value > maximum) value = maximum;
  return value;
}

}  // namespace

std::int32_t RestoreFormPlacement(TFormGeometry& form, const TScreenRect& wa,
                                  const std::string& directory, std::string name,
                                  std::int32_t add0Default, int placement) {
  if (name.empty()) name = form.Name;
  int left = 0, top = 0;
  switch (placement) {
    case PlaceCentered:
      left = wa.Right / 2 - form.Width / 2;
      top = wa.Bottom / 2 - form.Height / 2;
      break;
    case PlaceTopLeft:
      left = wa.Left;
      top = wa.Top;
      break;
    case PlaceTopRight:
      left = wa.Right - form.Width;
      top = wa.Top;
      break;
    case PlaceBottomRight:
      left = wa.Right - form.Width;
      top = wa.Bottom - form.Height;
      break;
    default:
      break;
  }
  form.Width = Clamp(ReadSettingInteger(name + ".Width", form.Width, directory), form.MinWidth,
                     form.MaxWidth);
  form.Height = Clamp(ReadSettingInteger(name + ".Height", form.Height, directory), form.MinHeight,
                      form.MaxHeight);
  if (placement != PlaceKeepPosition) {
    form.Left = ReadSettingInteger(name + ".Left", left, directory);
    form.Top = ReadSettingInteger(name + ".Top", top, directory);
  }
  std::int32_t add0 = ReadSettingInteger(name + ".Add0", add0Default, directory);
  // Keep the form inside the work area.
  form.Left = std::max(wa.Left, std::min(form.Left, wa.Right - form.Width));
  form.Top = std::max(wa.Top, std::min(form.Top, wa.Bottom - form.Height));
  return add0;
}

}  // namespace qv

#include <windows.h>

#include "tray/Sound.h"

namespace qv {
namespace {

// Its name in resources/sounds.rc.in.
constexpr wchar_t kErrorSoundResource[] = L"WAVE1";

}  // namespace

TSound LoadErrorSound() {
  TSound sound;
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC info = FindResourceW(module, kErrorSoundResource, RT_RCDATA);
  HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (data) {
    auto* bytes = static_cast<const std::uint8_t*>(data);
    sound.Data.Assign(std::vector<std::uint8_t>(bytes, bytes + SizeofResource(module, info)));
  }
  return sound;
}

}  // namespace qv

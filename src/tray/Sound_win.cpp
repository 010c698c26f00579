#include <windows.h>

#include "tray/Sound.h"

namespace qv {

TSound LoadErrorSound() {
  TSound wave;
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC info = FindResourceW(module, L"WAVE1", MAKEINTRESOURCEW(10));  // RT_RCDATA
  HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (data) {
    auto* bytes = static_cast<const std::uint8_t*>(data);
    wave.Data.Assign(std::vector<std::uint8_t>(bytes, bytes + SizeofResource(module, info)));
  }
  return wave;
}

}  // namespace qv

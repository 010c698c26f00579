#include <windows.h>

#include "tray/Sound.h"
#include "util/FileStream.h"
#include "util/FileUtils.h"

namespace qv {

void TWaveData::LoadFromFile(const std::string& path) {
  bytes_.clear();
  if (!IsExistingFile(path)) return;
  TFileStream file(path, TFileAccess::Read, TFileShare::DenyWrite);
  std::string bytes = ReadAllBytes(file);
  bytes_.assign(bytes.begin(), bytes.end());
}

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

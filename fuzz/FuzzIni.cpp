// Any bytes load as an INI text; lookups never crash or hang, and a value
// written is read back as written, also after the text went through a file.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "util/FastIniFile.h"

namespace {

class TMemoryStorage final : public qv::IIniStorage {
 public:
  bool Exists(const std::string& path) override { return files.count(path) > 0; }
  std::string Load(const std::string& path) override { return files[path]; }
  void Save(const std::string& path, const std::string& bytes) override { files[path] = bytes; }
  std::map<std::string, std::string> files;
};

// ASCII letters and digits of the input, so that names and values need no quoting rules.
std::string Plain(const std::uint8_t* data, std::size_t size, std::size_t from,
                  std::size_t length) {
  std::string out;
  for (std::size_t i = from; i < size && out.size() < length; ++i) {
    char c = static_cast<char>(data[i]);
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) out += c;
  }
  return out.empty() ? "k" : out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto storage = std::make_shared<TMemoryStorage>();
  storage->files["f.ini"] = std::string(reinterpret_cast<const char*>(data), size);
  std::string section = Plain(data, size, 0, 8), key = Plain(data, size, size / 3, 8);
  std::string value = Plain(data, size, size / 2, 16);
  {
    qv::TFastIniFile ini("f.ini", storage);
    ini.LocaleUpperCase = size % 2 == 0;
    (void)ini.ReadString(section, key, "");
    (void)ini.ReadInteger("MODE", key, 0);
    ini.WriteString(section, key, value);
    if (ini.ReadString(section, key, "") != value) __builtin_trap();
    ini.Release();
  }
  qv::TFastIniFile again("f.ini", storage);
  again.LocaleUpperCase = size % 2 == 0;
  if (again.ReadString(section, key, "") != value) __builtin_trap();
  return 0;
}

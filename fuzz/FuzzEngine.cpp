// Arbitrary bytes as .ADT, .ADM and .ADI: the engine's open must end with
// "opens" or an error with a code and a message, never crash or hang.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/AdtFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Layout of an input: two length bytes for the .ADM and .ADI parts, then the
  // three files one after the other (the .ADT takes the rest).
  if (size < 4) return 0;
  std::size_t admLength = data[0] | (data[1] << 8);
  std::size_t adiLength = data[2] | (data[3] << 8);
  data += 4;
  size -= 4;
  admLength = admLength % (size + 1);
  adiLength = adiLength % (size - admLength + 1);
  std::string adm(reinterpret_cast<const char*>(data), admLength);
  std::string adi(reinterpret_cast<const char*>(data) + admLength, adiLength);
  std::string adt(reinterpret_cast<const char*>(data) + admLength + adiLength,
                  size - admLength - adiLength);

  qv::TMemoryFileSource files;
  files.Put("C:\\db\\T.ADT", adt);
  if (admLength % 7 != 3) files.Put("C:\\db\\T.ADM", adm);
  if (adiLength % 5 != 2) files.Put("C:\\db\\T.ADI", adi);
  qv::TOpenVerdict verdict = qv::CheckTableFiles(files, "C:\\db\\T.ADT");
  if (verdict.Code != 0) {
    if (verdict.Message.rfind("Error " + std::to_string(verdict.Code) + ":  ", 0) != 0)
      __builtin_trap();
  } else if (verdict.Structure.Fields.empty() || verdict.Structure.RecordLength < 6) {
    __builtin_trap();
  }
  return 0;
}

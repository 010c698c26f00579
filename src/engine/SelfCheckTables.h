#pragma once
// The sound tables the program carries to prove the engine DLL with, as the
// office application's engine wrote them (resources/selfcheck): compiled in,
// so that no file beside the program can go missing or be swapped.
#include <cstddef>
#include <span>

namespace qv {

struct TEmbeddedFile {
  const char* Name;
  const unsigned char* Bytes;
  std::size_t Size;
};

// NOTIZEN.ADT with its memo file NOTIZEN.adm, and ARTIKEL.ADT without an index.
std::span<const TEmbeddedFile> SelfCheckTableFiles();

inline constexpr char kSelfCheckMemoTable[] = "NOTIZEN.ADT";
inline constexpr char kSelfCheckIndexedTable[] = "ARTIKEL.ADT";
// ARTIKEL's own index: one tag on its number field.
inline constexpr char kSelfCheckIndexTag[] = "NR";

}  // namespace qv

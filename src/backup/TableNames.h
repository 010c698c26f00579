#pragma once
// The names of a table's files: the table, its memo and its index file.
#include <string>

namespace qv {

inline constexpr const char* kTableExtensions[] = {".ADT", ".ADM", ".ADI"};

// The name without its extension (the text before the last dot).
std::string TableBaseName(const std::string& name);

// Whether the path names a table, memo or index file (any letter case).
bool IsTableFile(const std::string& path);

}  // namespace qv

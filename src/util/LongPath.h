#pragma once
// The form of a path that the W file functions are given. With the prefix
// "\\?\" the system takes a path as it stands and the 260-character limit
// does not apply; because nothing is normalised then, "/", "." and ".." and
// doubled separators are resolved here first. Names are kept as they are
// (a name found in a listing must be reached exactly).
#include <string>
#include <string_view>

namespace qv {

// "C:\a\b" -> "\\?\C:\a\b"; "\\server\share\a" -> "\\?\UNC\server\share\a".
// Paths already in device form ("\\?\", "\\.\", "\??\") stay unchanged; so do
// paths that depend on the current folder or drive ("a\b", "C:a", "\a", "")
// and network paths without a share.
std::string LongPathForm(std::string_view path);

}  // namespace qv

#pragma once
// The OEM code page of a German PC (850), portable, for ZIP entry names.
#include <string>
#include <string_view>

namespace qv {

// Characters the code page lacks become '?'; *lossy tells whether any did.
std::string Utf8ToCp850(std::string_view utf8, bool* lossy = nullptr);
std::string Cp850ToUtf8(std::string_view bytes);

}  // namespace qv

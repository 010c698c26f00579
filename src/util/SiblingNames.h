#pragma once
// Names of the temporary files that new content is written to before it
// replaces a file: "{name}.~{number}.tmp" beside it.
#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

std::string TemporarySiblingName(const std::string& path, std::uint32_t number);
// Whether a file name is such a name: one left behind by a write that was
// cut off (a shutdown, a crash) and that nothing will finish.
bool IsTemporarySiblingName(std::string_view name);

}  // namespace qv

#pragma once
// QUORVEL.LOG and QUORVEL.htm in the program's DATABASEUTIL folder.
#include <optional>
#include <string>

#include "util/StrUtils.h"

namespace qv {

// Both programs, of any version, take it before they touch the protocol.
inline constexpr wchar_t kRunLogMutexName[] = L"Global\\Quorvel.Protocol.5C2E9A41";
// In the program's DATABASEUTIL folder; its page has the extension .htm.
inline constexpr char kProtocolFileName[] = "QUORVEL.LOG";

std::string ProtocolFileName();
std::string ProtocolPageName();
// Merges the run's final texts (or only firstLine) into QUORVEL.LOG, newest
// first, and rebuilds the page.
void WriteProtocol(const TStringList& runProtocol,
                   const std::optional<std::string>& firstLine = std::nullopt);
// Rebuilds QUORVEL.htm from QUORVEL.LOG and gives its path.
std::string WriteProtocolPage();

}  // namespace qv

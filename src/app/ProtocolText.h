#pragma once
// The run protocol's texts: merging a run into QUORVEL.LOG and the page
// QUORVEL.htm built from it (portable; UTF-8 here, ANSI in the files).
#include <optional>
#include <string>

#include "util/StrUtils.h"

namespace qv {

extern const char kProtocolHead[];
extern const char kProtocolHelp[];
extern const char kProtocolTail[];

inline constexpr std::size_t kProtocolKeptLines = 1000;
inline constexpr char kTargetMissingLine[] = "Sicherungsverzeichnis fehlt!";

// The new protocol: at most 1000 old lines, the run's final texts in front
// (each may hold several lines), or only the first line when one is given.
TStringList MergeProtocol(TStringList oldLines, const TStringList& runProtocol,
                          const std::optional<std::string>& firstLine);

// Head, help block, one "<div><font size=3>...</font></div>" per line, tail.
std::string ProtocolPage(const TStringList& lines);

}  // namespace qv

#include "app/ProtocolText.h"

namespace qv {

TStringList MergeProtocol(TStringList oldLines, const TStringList& runProtocol,
                          const std::optional<std::string>& firstLine) {
  if (oldLines.size() > kProtocolKeptLines) oldLines.resize(kProtocolKeptLines);
  // A start that failed for a missing target adds its line alone: the
  // previous run's reports are in the file already.
  std::string text = firstLine ? JoinLines(oldLines) : JoinLines(runProtocol) + JoinLines(oldLines);
  TStringList lines = SplitLines(text);
  if (firstLine) lines.insert(lines.begin(), *firstLine);
  return lines;
}

std::string ProtocolPage(const TStringList& lines) {
  std::string page = kProtocolHead;
  page += "<div><font size=3>";
  page += kProtocolHelp;
  page += "</font></div><hr><br>";
  for (const std::string& line : lines) page += "<div><font size=3>" + line + "</font></div>";
  page += kProtocolTail;
  return page;
}

}  // namespace qv

#include "app/Protocol.h"

#include "app/DatabaseList.h"
#include "app/ProtocolText.h"
#include "util/FileUtils.h"
#include "util/WinText.h"

namespace qv {

std::string ProtocolFileName() { return UtilDirectory() + "QUORVEL.LOG"; }

std::string ProtocolPageName() { return ChangeFileExt(ProtocolFileName(), ".htm"); }

void WriteProtocol(const TStringList& runProtocol, const std::optional<std::string>& firstLine) {
  std::string path = ProtocolFileName();
  TStringList old;
  LoadTextList(old, path);
  // Characters the ANSI file cannot hold are kept as character references.
  TStringList run;
  for (const std::string& text : runProtocol) run.push_back(AnsiSafeHtml(text));
  std::optional<std::string> first;
  if (firstLine) first = AnsiSafeHtml(*firstLine);
  SaveTextList(MergeProtocol(std::move(old), run, first), path);
  WriteProtocolPage();
}

std::string WriteProtocolPage() {
  TStringList lines;
  LoadTextList(lines, ProtocolFileName());
  std::string page = ProtocolPageName();
  std::string bytes = ToAnsi(ProtocolPage(lines));
  auto stream = OpenFileStreamRetry(page, TFileAccess::Create, TFileShare::Exclusive);
  stream->Write(bytes.data(), bytes.size());
  return page;
}

}  // namespace qv

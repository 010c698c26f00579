#include "app/Protocol.h"

#include "app/DatabaseList.h"
#include "app/ProtocolText.h"
#include "util/FileUtils.h"
#include "util/Handles.h"
#include "util/WinText.h"

namespace qv {
namespace {

// QUORVEL.LOG is read, merged and replaced; two programs doing that at once
// (the tray program's note of a skipped run beside the console program's
// run) would each save what they read, and the other's lines would be lost.
class TProtocolLock {
 public:
  TProtocolLock() : mutex_(CreateMutexW(nullptr, FALSE, kRunLogMutexName)) {
    if (!mutex_.valid()) return;
    // A writer that does not finish in time is not waited for: the lines of
    // this one are not given up for it.
    DWORD wait = WaitForSingleObject(mutex_.get(), kWaitMs);
    owned_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
  }
  ~TProtocolLock() {
    if (owned_) ReleaseMutex(mutex_.get());
  }
  TProtocolLock(const TProtocolLock&) = delete;
  TProtocolLock& operator=(const TProtocolLock&) = delete;

 private:
  static constexpr DWORD kWaitMs = 30000;
  TKernelHandle mutex_;
  bool owned_ = false;
};

// The page from the log as it stands; the caller holds the protocol lock.
std::string RebuildPage() {
  TStringList lines;
  LoadTextList(lines, ProtocolFileName());
  std::string page = ProtocolPageName();
  std::string bytes = ToAnsi(ProtocolPage(lines));
  auto stream = OpenFileStreamRetry(page, TFileAccess::Create, TFileShare::Exclusive);
  stream->Write(bytes.data(), bytes.size());
  return page;
}

}  // namespace

std::string ProtocolFileName() { return DatabaseUtilFolder() + kProtocolFileName; }

std::string ProtocolPageName() { return ChangeFileExt(ProtocolFileName(), ".htm"); }

void WriteProtocol(const TStringList& runProtocol, const std::optional<std::string>& firstLine) {
  std::string path = ProtocolFileName();
  TProtocolLock lock;
  TStringList old;
  LoadTextList(old, path);
  // Characters the ANSI file cannot hold are kept as character references.
  TStringList run;
  for (const std::string& text : runProtocol) run.push_back(AnsiSafeHtml(text));
  std::optional<std::string> first;
  if (firstLine) first = AnsiSafeHtml(*firstLine);
  SaveTextList(MergeProtocol(std::move(old), run, first), path);
  RebuildPage();
}

std::string WriteProtocolPage() {
  TProtocolLock lock;  // a page made from an older log must not replace a newer one
  return RebuildPage();
}

}  // namespace qv

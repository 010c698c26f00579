#include "backup/AuxiliaryJobs.h"

#include <windows.h>

#include <vector>

#include "backup/TableCheck.h"
#include "util/AnsiText.h"
#include "util/FileUtils.h"
#include "util/Random.h"
#include "util/Seams.h"
#include "util/FileWalker.h"

namespace qv {
namespace {

constexpr int kRandomLines = 500;
constexpr std::size_t kRandomLineLength = 200;

// Sets the process's error mode to 0 for a scope and puts the old one back.
class TErrorModeScope {
 public:
  TErrorModeScope() : previous_(SetErrorMode(0)) {}
  ~TErrorModeScope() { SetErrorMode(previous_); }
  TErrorModeScope(const TErrorModeScope&) = delete;
  TErrorModeScope& operator=(const TErrorModeScope&) = delete;

 private:
  UINT previous_;
};

std::string RandomFileContent(const std::string& name) {
  std::string bytes = "Random Acess " + Utf8ToAnsi(name) + "\r\nThis is only a temporary file\r\n";
  std::vector<std::uint8_t> line(kRandomLineLength);
  for (int i = 0; i < kRandomLines; ++i) {
    RandomBytes(line.data(), line.size());
    bytes.append(line.begin(), line.end());
    bytes += "\r\n";
  }
  return bytes;
}

}  // namespace

// --- network refresh --------------------------------------------------------------

TKeepAliveWriteJob::TKeepAliveWriteJob(std::string databases, const std::string& name)
    : databases_(std::move(databases)) {
  std::string cleaned = CleanFileName(name.empty() ? "netrefresh" : name, true);
  name_ = ReplaceTextAll(ReplaceTextAll(cleaned, "\\", ""), "/", "");
}

std::string TKeepAliveWriteJob::FilePathFor(const std::string& databaseDir) const {
  std::string folder = WithTrailingBackslash(databaseDir) + "RandomAccess\\" + name_ + "\\";
  std::string hash = std::to_string(ElfHash(Utf8ToAnsi(folder)));
  return folder + CleanFileName(ComputerName() + "-" + hash + ".TXT", false);
}

void TKeepAliveWriteJob::Run() {
  TErrorModeScope errorMode;
  for (const std::string& line : SplitLines(databases_)) Refresh(WithTrailingBackslash(line));
}

void TKeepAliveWriteJob::Refresh(const std::string& dir) {
  if (ReconnectNetworkPath(dir) != 0) return;  // 0 at once for a local folder
  if (!IsExistingFolder(dir)) return;
  SleepMs(10 + RandomNumber(100));
  try {
    std::string path = FilePathFor(dir);
    ForceFolders(ExtractFilePath(path));
    TrySaveBytes(RandomFileContent(name_), path);
  } catch (...) {
  }
}

TNetworkKeepAliveJob::TNetworkKeepAliveJob(std::string databases,
                                           std::shared_ptr<TJobChannel> channel)
    : TKeepAliveWriteJob(std::move(databases), "quorvel"), channel_(std::move(channel)) {}

void TNetworkKeepAliveJob::Run() {
  try {
    TKeepAliveWriteJob::Run();
  } catch (...) {
  }
  channel_->PostOtherJobDone();
}

// --- cache copies -------------------------------------------------------------------

TCopyCacheJob::TCopyCacheJob(const std::string& databaseDir, std::shared_ptr<TJobChannel> channel,
                             int index)
    : TAuxiliaryJob(std::move(channel)),
      databaseDir_(WithTrailingBackslash(databaseDir)),
      index_(index) {}

std::string TCopyCacheJob::CacheFolder(int index) {
  return TempSubfolder("Temporärer Cache." + std::to_string(index));
}

void TCopyCacheJob::Run() {
  try {
    TFileWalker finder;
    finder.FileFilter = true;
    finder.FolderFilter = false;
    finder.Recurse = false;
    finder.SetSearchFolder(databaseDir_);
    while (finder.FindNext()) {
      if (!IsTableFile(finder.FoundPath())) continue;
      try {
        CopyIntoCache(finder.FoundPath());
      } catch (...) {
        // A file that cannot be copied is skipped.
      }
    }
  } catch (...) {
  }
  PostDone();
}

// One attempt, into a file beside the cache copy that replaces it only when
// complete: a copy that breaks off never looks like a table.
void TCopyCacheJob::CopyIntoCache(const std::string& source) {
  std::string target = CacheFolder(index_) + ExtractFileName(source);
  TFileStream input(source, TFileAccess::Read, TFileShare::DenyNone);
  WriteReplacing(
      target, [&](TFileStream& output) { CopyStreamData(input, output); }, false);
}

}  // namespace qv

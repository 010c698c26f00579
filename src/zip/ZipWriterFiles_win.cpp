// The file layer of TZipWriter: creating the archive file and reading source
// files that other programs may hold open.
#include <windows.h>

#include "util/Cp1252.h"
#include "util/FileErrors.h"
#include "util/FileStream.h"
#include "util/FileUtils.h"
#include "util/Retry.h"
#include "util/FileWalker.h"
#include "util/WinText.h"
#include "zip/PreviousSet.h"
#include "zip/ZipFormat.h"
#include "zip/ZipWriter.h"

namespace qv {
namespace {

// Looks for a file found missing, its folder still there: a program that
// saves a file may remove it for a moment before its new version takes the name.
constexpr int kMissingSourceLooks = 5;

// A file that another program holds is waited for; one that stays missing
// for a few looks (removed since its folder was listed) raises EFileRemoved.
std::unique_ptr<TFileStream> OpenSource(const std::string& fileName, bool sharedWithRetry) {
  if (!sharedWithRetry)
    return std::make_unique<TFileStream>(fileName, TFileAccess::Read, TFileShare::DenyWrite);
  int looks = 0;
  unsigned long goneError = 0;
  std::unique_ptr<TFileStream> source;
  try {
    source = WithRetry<EFileError>(kZipSourceRetry, [&]() -> std::unique_ptr<TFileStream> {
      try {
        return std::make_unique<TFileStream>(fileName, TFileAccess::Read, TFileShare::DenyNone);
      } catch (const EFOpenError& e) {
        if (!WasRemoved(fileName, e.Code()) || ++looks < kMissingSourceLooks) throw;
        goneError = e.Code();
        return nullptr;
      }
    });
  } catch (const EFOpenError& e) {
    // Held until the last attempt and removed meanwhile: gone all the same.
    if (WasRemoved(fileName, e.Code())) throw EFileRemoved(fileName, e.Code());
    throw;
  }
  if (!source) throw EFileRemoved(fileName, goneError);
  return source;
}

std::uint32_t LastWriteDosTime(HANDLE file) {
  FILETIME written;
  TLocalTime local;
  if (!GetFileTime(file, nullptr, nullptr, &written) || !FileTimeToLocal(written, local))
    return zip::kMax32;
  return zip::DosDateTime(local);
}

// Read from the open file, not its name: a file removed or replaced since it
// was opened would otherwise give "no attributes" (all bits set), which
// readers take for a read-only, hidden folder.
std::uint32_t OpenFileAttributes(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return FILE_ATTRIBUTE_ARCHIVE;
  return info.dwFileAttributes;
}

}  // namespace

void TZipWriter::CreateArchive(const std::string& fileName, std::uint64_t startOffset) {
  // The new file is made before an open archive is closed: when this fails,
  // the open archive stays open.
  auto file = std::make_unique<TFileStream>(fileName, TFileAccess::Create, TFileShare::Exclusive);
  CreateArchiveOnStream(*file, startOffset);
  ownedArchive_ = std::move(file);
  archiveFileName_ = fileName;
}

void TZipWriter::AddFile(const std::string& fileName, std::uint32_t dateTime,
                         std::uint32_t attributes) {
  AddFileAs(fileName, EntryNameFor(fileName), dateTime, attributes);
}

void TZipWriter::AddFileAs(const std::string& fileName, const std::string& entryName,
                           std::uint32_t dateTime, std::uint32_t attributes) {
  RequireArchive();
  if (!archiveFileName_.empty() && SameText1252(fileName, archiveFileName_))
    return;  // our own file
  std::unique_ptr<TFileStream> source = OpenSource(fileName, OpenSharedWithRetry);
  if (dateTime == 0) dateTime = LastWriteDosTime(source->Handle());
  if (attributes == 0xFFFFFFFFu) attributes = OpenFileAttributes(source->Handle());
  AddEntryTakingOver(*source, entryName, dateTime, attributes, source->Size());
}

bool TZipWriter::TakeOverFromParts(const std::vector<std::string>& partPaths) {
  auto previous = std::make_shared<TPreviousSet>();
  try {
    // Others may read the earlier set too (a verify, a virus scanner), but
    // it must not change while entries are copied from it.
    for (const std::string& path : partPaths)
      previous->AddPart(
          std::make_unique<TFileStream>(path, TFileAccess::Read, TFileShare::DenyWrite));
  } catch (const std::exception&) {
    return false;
  }
  TakeOverFrom(std::move(previous));
  return true;
}

}  // namespace qv

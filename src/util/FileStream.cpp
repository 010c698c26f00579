#include "util/FileStream.h"

#include "util/FileErrors.h"
#include "util/PathCalls.h"
#include "util/WinText.h"

namespace qv {

DWORD ShareFlags(TFileShare share) {
  switch (share) {
    case TFileShare::Exclusive:
      return 0;
    case TFileShare::DenyWrite:
      return FILE_SHARE_READ;
    case TFileShare::DenyNone:
      return FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  }
  return 0;
}

TFileStream::TFileStream(const std::string& path, TFileAccess access, TFileShare share)
    : path_(path) {
  DWORD desired = access == TFileAccess::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  DWORD disposition = access == TFileAccess::Create ? CREATE_ALWAYS : OPEN_EXISTING;
  handle_.reset(
      OpenFileHandle(path, desired, ShareFlags(share), disposition, FILE_ATTRIBUTE_NORMAL));
  if (!handle_.valid()) {
    DWORD error = GetLastError();
    if (access == TFileAccess::Create) throw EFCreateError(path, error);
    throw EFOpenError(path, error);
  }
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
  DWORD done = 0;
  if (!ReadFile(handle_.get(), buffer, static_cast<DWORD>(count), &done, nullptr)) {
    DWORD error = GetLastError();
    throw EFileError("Lesefehler in Datei " + path_ + ": " + SysErrorMessage(error), error);
  }
  return done;
}

void TFileStream::Write(const void* buffer, std::size_t count) {
  const char* p = static_cast<const char*>(buffer);
  while (count > 0) {
    DWORD chunk = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
    DWORD done = 0;
    if (!WriteFile(handle_.get(), p, chunk, &done, nullptr)) throw WriteError(GetLastError());
    if (done != chunk) throw WriteError(ERROR_DISK_FULL);  // nothing left for the rest
    p += done;
    count -= done;
  }
}

void TFileStream::Seek(std::uint64_t position) {
  LARGE_INTEGER target;
  target.QuadPart = static_cast<LONGLONG>(position);
  if (!SetFilePointerEx(handle_.get(), target, nullptr, FILE_BEGIN))
    throw EFileError("Positionierfehler in Datei " + path_, GetLastError());
}

std::uint64_t TFileStream::Position() const {
  LARGE_INTEGER zero{}, now{};
  SetFilePointerEx(handle_.get(), zero, &now, FILE_CURRENT);
  return static_cast<std::uint64_t>(now.QuadPart);
}

std::uint64_t TFileStream::Size() const {
  LARGE_INTEGER size{};
  GetFileSizeEx(handle_.get(), &size);
  return static_cast<std::uint64_t>(size.QuadPart);
}

// Writes the system still held back can fail only here (a delayed write to
// a share that went away): the caller must not take the file as complete.
void TFileStream::Flush() {
  if (!FlushFileBuffers(handle_.get())) throw WriteError(GetLastError());
}

EStreamError TFileStream::WriteError(unsigned long error) const {
  return EStreamError(std::string(kStreamWriteError) + " in Datei " + path_ + ": " +
                      SysErrorMessage(error));
}

}  // namespace qv

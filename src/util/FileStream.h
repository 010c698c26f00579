#pragma once
// A file stream over a Win32 file handle (paths in UTF-8).
#include <windows.h>

#include <string>

#include "util/Handles.h"
#include "util/Stream.h"

namespace qv {

enum class TFileAccess {
  Read,       // open an existing file for reading
  ReadWrite,  // open an existing file for reading and writing
  Create,     // create anew (or empty) for reading and writing
};

enum class TFileShare {
  Exclusive,  // nobody else may open it
  DenyWrite,  // others may read
  DenyNone,   // others may read, write and delete
};

class TFileStream : public IStream {
 public:
  // Raises EFOpenError, or EFCreateError for TFileAccess::Create.
  TFileStream(const std::string& path, TFileAccess access, TFileShare share);
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  std::size_t Read(void* buffer, std::size_t count) override;
  void Write(const void* buffer, std::size_t count) override;
  void Seek(std::uint64_t position) override;
  std::uint64_t Position() const override;
  std::uint64_t Size() const override;

  // Forces the written bytes to the disk; a failure raises EStreamError.
  void Flush() override;
  void Close() { handle_.reset(); }
  HANDLE Handle() const { return handle_.get(); }
  const std::string& Path() const { return path_; }

 protected:
  EStreamError WriteError(unsigned long error) const;
  // For subclasses that open the handle themselves.
  TFileStream(std::string path, TFileHandle handle)
      : path_(std::move(path)), handle_(std::move(handle)) {}

 private:
  std::string path_;
  TFileHandle handle_;
};

DWORD ShareFlags(TFileShare share);

}  // namespace qv

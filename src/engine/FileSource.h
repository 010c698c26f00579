#pragma once
// How the built-in engine reaches files: injected, so that the engine stays
// portable and fuzzable. Paths use "\" as separator.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "util/Stream.h"

namespace qv {

enum class TOpenStatus {
  Ok,
  NotFound,    // no such file
  OpenFailed,  // held by another program, or no access
};

struct TOpenedFile {
  TOpenStatus Status = TOpenStatus::NotFound;
  std::unique_ptr<IStream> Stream;  // read-only use
};

class IFileSource {
 public:
  virtual ~IFileSource() = default;
  // Opens an existing file for reading, letting others read and write it.
  virtual TOpenedFile OpenForReading(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
};

// Files held in memory (letter case of names ignored), for tests and fuzzing.
class TMemoryFileSource final : public IFileSource {
 public:
  void Put(const std::string& path, std::vector<std::uint8_t> bytes);
  void Put(const std::string& path, const std::string& bytes);
  void Lock(const std::string& path);  // opens of it fail as if held exclusively
  void AddFolder(const std::string& path);
  TOpenedFile OpenForReading(const std::string& path) override;
  bool FolderExists(const std::string& path) override;

 private:
  static std::string Key(const std::string& path);
  std::map<std::string, std::vector<std::uint8_t>> files_;
  std::map<std::string, bool> locked_;
  std::map<std::string, bool> folders_;
};

// The file system through the C++ library: "\" becomes "/" and a file whose
// name differs only in letter case is found (as on Windows).
class TStdFileSource final : public IFileSource {
 public:
  TOpenedFile OpenForReading(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
};

}  // namespace qv

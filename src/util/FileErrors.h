#pragma once
// Failures of the file layer, with the program's fixed German texts.
#include <stdexcept>
#include <string>

namespace qv {

class EFileError : public std::runtime_error {
 public:
  EFileError(const std::string& message, unsigned long code)
      : std::runtime_error(message), code_(code) {}
  // The platform's error code at the failing call (0 when none).
  unsigned long Code() const { return code_; }

 private:
  unsigned long code_;
};

class EFOpenError : public EFileError {
 public:
  EFOpenError(const std::string& path, unsigned long code)
      : EFileError("Datei " + path +
                       " kann nicht ge\xC3\xB6"
                       "ffnet werden",
                   code) {}
};

// A file that could not be opened because it was removed after its folder
// was listed.
class EFileRemoved : public EFOpenError {
 public:
  using EFOpenError::EFOpenError;
};

class EFCreateError : public EFileError {
 public:
  EFCreateError(const std::string& path, unsigned long code)
      : EFileError("Datei " + path + " kann nicht erstellt werden", code) {}
};

class EInOutError : public EFileError {
 public:
  using EFileError::EFileError;
};

// A directory listing that failed (not merely ended): what it would have
// listed is unknown.
class EWalkError : public EFileError {
 public:
  EWalkError(const std::string& folder, const std::string& reason, unsigned long code)
      : EFileError("Verzeichnis " + folder + " kann nicht gelesen werden: " + reason, code) {}
};

inline constexpr char kCannotCreateFolder[] = "Verzeichnis kann nicht erstellt werden";

// Whether a failure's platform code says that another program holds the file
// or folder for now (access denied, sharing violation): worth trying again.
inline bool IsHeldByAnotherProgram(unsigned long code) { return code == 5 || code == 32; }

}  // namespace qv

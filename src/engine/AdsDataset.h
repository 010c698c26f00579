#pragma once
// The dataset components the table check uses: the engine's start-up
// settings, a connection to a data folder and a table opened by name. Every
// engine error becomes an EADSDatabaseError with the engine's own text.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/AdsProvider.h"

namespace qv {

class EADSDatabaseError : public std::runtime_error {
 public:
  EADSDatabaseError(std::uint32_t code, const std::string& message)
      : std::runtime_error(message), code_(code) {}
  std::uint32_t Code() const { return code_; }

 private:
  std::uint32_t code_;
};

// The engine the program uses: the one the application chose, else the
// built-in one. The application sets it once at start, before any job runs.
IAdsProvider& AdsProvider();
void SetAdsProvider(IAdsProvider* provider);  // nullptr: the built-in engine

// The engine's text for a failed call (asked on the calling thread), cut to
// 600 characters and preceded by "name: " when the component has a name.
std::string AdsErrorMessage(IAdsProvider& provider, std::uint32_t result, const std::string& name);

// Start-up settings; one per process. Also sets the process's short date
// format. Raises EADSDatabaseError when the engine refuses one.
class TAdsSettings {
 public:
  explicit TAdsSettings(IAdsProvider& provider = AdsProvider());
  ~TAdsSettings();
  TAdsSettings(const TAdsSettings&) = delete;
  TAdsSettings& operator=(const TAdsSettings&) = delete;

  static constexpr char kDateFormat[] = "DD.MM.YYYY";
  static constexpr std::uint16_t kDecimals = 2;
  static constexpr std::uint16_t kCachedCursors = 25;
};

class TAdsDataSet {
 public:
  std::string Name;  // component name; prefixes error messages when set

 protected:
  explicit TAdsDataSet(IAdsProvider& provider) : provider_(provider) {}
  // Raises EADSDatabaseError for a non-zero result.
  void Check(std::uint32_t result);
  IAdsProvider& provider_;
};

class TAdsConnection : public TAdsDataSet {
 public:
  explicit TAdsConnection(IAdsProvider& provider = AdsProvider()) : TAdsDataSet(provider) {}
  ~TAdsConnection();
  TAdsConnection(const TAdsConnection&) = delete;
  TAdsConnection& operator=(const TAdsConnection&) = delete;

  std::string AdsServerTypes = "local";
  std::string ConnectPath;
  void Connect();
  void Disconnect();
  bool IsConnected() const { return handle_ != 0; }
  TAdsHandle Handle() const { return handle_; }

 private:
  TAdsHandle handle_ = 0;
};

struct TAdsIndexDef {
  std::string Name;
  std::vector<std::string> Fields;
  bool Unique = false;
  bool Descending = false;
  bool PrimaryKey = false;
};

struct TAdsFieldDef {
  std::string Name;
  std::uint16_t Type = 0;
  std::uint32_t Length = 0;
  std::uint16_t Decimals = 0;
};

class TAdsTable : public TAdsDataSet {
 public:
  explicit TAdsTable(IAdsProvider& provider = AdsProvider()) : TAdsDataSet(provider) {}
  ~TAdsTable();
  TAdsTable(const TAdsTable&) = delete;
  TAdsTable& operator=(const TAdsTable&) = delete;

  TAdsConnection* Connection = nullptr;
  // A name without drive or server lies in the connection's folder.
  std::string TableName;
  // Opens the table and reads its structure; raises EADSDatabaseError.
  void Open();
  // Closes; an engine error here is ignored.
  void Close();
  bool Active() const { return handle_ != 0; }
  TAdsHandle Handle() const { return handle_; }

  std::uint32_t RecordLength() const { return recordLength_; }
  const std::vector<TAdsFieldDef>& Fields() const { return fields_; }
  const std::vector<TAdsIndexDef>& Indexes() const { return indexes_; }

 private:
  std::string FullPath() const;
  void ReadStructure();
  void ReadFields();
  void ReadIndexes(const std::vector<TAdsHandle>& handles);
  TAdsHandle handle_ = 0;
  std::uint32_t recordLength_ = 0;
  std::vector<TAdsFieldDef> fields_;
  std::vector<TAdsIndexDef> indexes_;
};

}  // namespace qv

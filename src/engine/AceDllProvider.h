#pragma once
// The office application's own engine DLL behind the engine interface. It is
// loaded only by full path from folders the caller names (never from the
// current folder or PATH, where a planted DLL could lie), and only when it
// has the program's bitness and every export the program calls.
#include <memory>
#include <string>
#include <vector>

#include "engine/AceDllEntries.h"
#include "engine/AdsProvider.h"
#include "util/Handles.h"

namespace qv {

struct TAceDllVersion {
  bool Known = false;  // false when the engine could not tell
  std::uint32_t Major = 0;
  std::uint32_t Minor = 0;
  std::string Letter;
  std::string Description;
};

class TAceDllProvider;

// The outcome of a search: the provider, or for every folder the German
// reason why its DLL was not taken.
struct TAceDllSearch {
  std::unique_ptr<TAceDllProvider> Provider;
  std::vector<std::string> Refusals;
};

class TAceDllProvider final : public IAdsProvider {
 public:
  // ACE32.DLL for the 32-bit program, ACE64.DLL for the 64-bit one.
  static const char* DllName();
  // Tries folder + DllName() for each folder in turn; folders that are not
  // full paths are refused without being looked at, and a DLL that loads is
  // taken only once it has passed the self-check.
  static TAceDllSearch Load(const std::vector<std::string>& folders);

  const std::string& Path() const { return path_; }
  // Builds an index tag in the table's own compound index file (the engine
  // writes it beside the table). Only the self-check builds indexes.
  std::uint32_t CreateIndex61(TAdsHandle table, const std::string& tag,
                              const std::string& expression, TAdsHandle& index);
  // From AdsGetVersion.
  TAceDllVersion Version() const;

  std::uint32_t CacheOpenCursors(std::uint16_t count) override;
  std::uint32_t SetDateFormat(const std::string& format) override;
  std::uint32_t SetDecimals(std::uint16_t decimals) override;
  std::uint32_t ShowDeleted(bool show) override;
  std::uint32_t SetServerType(std::uint16_t types) override;

  std::uint32_t Connect60(const std::string& path, std::uint16_t serverTypes,
                          const std::string& user, const std::string& password,
                          std::uint32_t options, TAdsHandle& connection) override;
  std::uint32_t OpenTable(TAdsHandle connection, const std::string& path, const std::string& alias,
                          std::uint16_t tableType, std::uint16_t charType, std::uint16_t lockType,
                          std::uint16_t checkRights, std::uint32_t options,
                          TAdsHandle& table) override;

  std::uint32_t GetRecordLength(TAdsHandle table, std::uint32_t& length) override;
  std::uint32_t GetTableOpenOptions(TAdsHandle table, std::uint32_t& options) override;
  std::uint32_t GetAllIndexes(TAdsHandle table, std::vector<TAdsHandle>& indexes) override;
  std::uint32_t GetIndexPageSize(TAdsHandle index, std::uint32_t& size) override;
  std::uint32_t GetBookmarkLength(TAdsHandle table, std::uint32_t& length) override;
  std::uint32_t GetNumFields(TAdsHandle table, std::uint16_t& count) override;
  std::uint32_t GetFieldName(TAdsHandle table, std::uint16_t field, std::string& name) override;
  std::uint32_t GetFieldType(TAdsHandle table, const std::string& field,
                             std::uint16_t& type) override;
  std::uint32_t GetFieldLength(TAdsHandle table, const std::string& field,
                               std::uint32_t& length) override;
  std::uint32_t GetFieldDecimals(TAdsHandle table, const std::string& field,
                                 std::uint16_t& decimals) override;
  std::uint32_t GetNumIndexes(TAdsHandle table, std::uint16_t& count) override;
  std::uint32_t GetIndexName(TAdsHandle index, std::string& name) override;
  std::uint32_t GetNumSegments(TAdsHandle index, std::uint16_t& count) override;
  std::uint32_t GetSegmentFieldname(TAdsHandle index, std::uint16_t segment,
                                    std::string& field) override;
  std::uint32_t IsIndexUnique(TAdsHandle index, bool& unique) override;
  std::uint32_t IsIndexDescending(TAdsHandle index, bool& descending) override;
  std::uint32_t IsIndexPrimaryKey(TAdsHandle index, bool& primaryKey) override;
  std::uint32_t GotoBOF(TAdsHandle table) override;

  std::uint32_t CloseTable(TAdsHandle table) override;
  std::uint32_t Disconnect(TAdsHandle connection) override;
  std::uint32_t GetLastError(std::uint32_t& code, std::string& text) override;

 private:
  TAceDllProvider(TModuleHandle module, const TAceDllEntries& entries, std::string path);
  // Loads one candidate; empty reason on success.
  static std::unique_ptr<TAceDllProvider> LoadFile(const std::string& path, std::string& reason);

  TModuleHandle module_;
  TAceDllEntries dll_;
  std::string path_;
};

}  // namespace qv

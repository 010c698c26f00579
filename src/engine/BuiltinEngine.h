#pragma once
// The engine the program carries itself: opens ADT tables by path through an
// injected file source and gives the verdicts, codes and messages of the
// office application's engine. Connections and tables may be used from
// several threads at once; the last error is kept per thread.
#include <map>
#include <unordered_map>
#include <memory>
#include <mutex>

#include "engine/AdsProvider.h"
#include "engine/AdtFormat.h"
#include "engine/FileSource.h"

namespace qv {

class TBuiltinAdsProvider final : public IAdsProvider {
 public:
  explicit TBuiltinAdsProvider(std::shared_ptr<IFileSource> files);

  std::uint32_t CacheOpenCursors(std::uint16_t count) override;
  std::uint32_t SetDateFormat(const std::string& format) override;
  std::uint32_t SetDecimals(std::uint16_t decimals) override;
  std::uint32_t ShowDeleted(bool show) override;
  std::uint32_t SetServerType(std::uint16_t types) override;

  std::uint32_t Connect60(const std::string& path, std::uint16_t serverTypes,
                          const std::string& user, const std::string& password,
                          std::uint32_t options, TAdsHandle& connection) override;
  std::uint32_t OpenTable(TAdsHandle connection, const std::string& name, const std::string& alias,
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

  std::string DateFormat() const;
  // Not an engine call the program relies on: the records the table holds.
  std::uint32_t GetRecordCount(TAdsHandle table, std::uint32_t& count);

 private:
  struct TTable {
    TAdsHandle Connection = 0;
    std::uint32_t Options = 0;
    TAdtStructure Structure;
    // Field indexes by their name in lower case (names compare without case);
    // the first of equal names.
    std::unordered_map<std::string, std::size_t> FieldByName;
  };
  std::uint32_t Fail(std::uint32_t code, const std::string& message);
  std::uint32_t Succeed();
  // The stored table, or nullptr for a bad handle; lock_ must be held.
  const TTable* StoredTable(TAdsHandle table) const;
  std::uint32_t BadHandle();
  // The answer of every index call: no handle names an index order here.
  std::uint32_t NotAnIndexOrder();
  template <class Read>
  std::uint32_t WithTable(TAdsHandle table, Read read);
  template <class Read>
  std::uint32_t WithField(TAdsHandle table, std::uint16_t field, Read read);
  template <class Read>
  std::uint32_t WithNamedField(TAdsHandle table, const std::string& field, Read read);

  std::shared_ptr<IFileSource> files_;
  mutable std::mutex lock_;
  TAdsHandle nextHandle_ = 1;
  std::map<TAdsHandle, std::string> connections_;  // handle -> connect path
  std::map<TAdsHandle, TTable> tables_;
  std::string dateFormat_ = "MM/DD/CCYY";
  std::uint16_t decimals_ = 2;
  bool showDeleted_ = false;
  std::uint16_t serverTypes_ = 0;
  std::uint16_t cachedCursors_ = 25;
};

// The process's built-in engine over the platform's files.
TBuiltinAdsProvider& BuiltinAdsProvider();

}  // namespace qv

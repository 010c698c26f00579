#pragma once
// The calls the program makes into a database engine, shaped like the
// office application's engine DLL: every call returns 0 or an error code, and
// the text of the last error of the calling thread is asked for separately.
// The built-in engine implements it, and so does the provider that loads the
// DLL. Texts are UTF-8 here; a provider converts them at its own boundary.
#include <cstdint>
#include <string>
#include <vector>

namespace qv {

// Connection, table and index handles (pointer-sized in the 64-bit DLL).
using TAdsHandle = std::uint64_t;

inline constexpr std::uint16_t ADS_LOCAL_SERVER = 1;
inline constexpr std::uint16_t ADS_ADT = 3;
inline constexpr std::uint16_t ADS_ANSI = 1;
inline constexpr std::uint16_t ADS_PROPRIETARY_LOCKING = 1;
inline constexpr std::uint16_t ADS_CHECKRIGHTS = 1;
inline constexpr std::uint32_t ADS_DEFAULT_OPTIONS = 0;  // shared, read and write
// An index file holds at most this many tags.
inline constexpr std::uint16_t ADS_MAX_INDEXES = 256;

class IAdsProvider {
 public:
  virtual ~IAdsProvider() = default;

  // Process-wide start-up settings.
  virtual std::uint32_t CacheOpenCursors(std::uint16_t count) = 0;
  virtual std::uint32_t SetDateFormat(const std::string& format) = 0;
  virtual std::uint32_t SetDecimals(std::uint16_t decimals) = 0;
  virtual std::uint32_t ShowDeleted(bool show) = 0;
  virtual std::uint32_t SetServerType(std::uint16_t types) = 0;

  // Empty user and password texts are passed to the engine as "none".
  virtual std::uint32_t Connect60(const std::string& path, std::uint16_t serverTypes,
                                  const std::string& user, const std::string& password,
                                  std::uint32_t options, TAdsHandle& connection) = 0;
  // An empty alias is passed as "none".
  virtual std::uint32_t OpenTable(TAdsHandle connection, const std::string& path,
                                  const std::string& alias, std::uint16_t tableType,
                                  std::uint16_t charType, std::uint16_t lockType,
                                  std::uint16_t checkRights, std::uint32_t options,
                                  TAdsHandle& table) = 0;

  // Structure reads made right after opening.
  virtual std::uint32_t GetRecordLength(TAdsHandle table, std::uint32_t& length) = 0;
  virtual std::uint32_t GetTableOpenOptions(TAdsHandle table, std::uint32_t& options) = 0;
  // indexes.size() is the room offered; on return it holds the tags found.
  virtual std::uint32_t GetAllIndexes(TAdsHandle table, std::vector<TAdsHandle>& indexes) = 0;
  // Asked of an index order (a handle from GetAllIndexes): the table's own
  // handle is refused.
  virtual std::uint32_t GetIndexPageSize(TAdsHandle index, std::uint32_t& size) = 0;
  virtual std::uint32_t GetBookmarkLength(TAdsHandle table, std::uint32_t& length) = 0;
  virtual std::uint32_t GetNumFields(TAdsHandle table, std::uint16_t& count) = 0;
  // field is 1-based; the other field queries take the field's name.
  virtual std::uint32_t GetFieldName(TAdsHandle table, std::uint16_t field, std::string& name) = 0;
  virtual std::uint32_t GetFieldType(TAdsHandle table, const std::string& field,
                                     std::uint16_t& type) = 0;
  virtual std::uint32_t GetFieldLength(TAdsHandle table, const std::string& field,
                                       std::uint32_t& length) = 0;
  virtual std::uint32_t GetFieldDecimals(TAdsHandle table, const std::string& field,
                                         std::uint16_t& decimals) = 0;
  virtual std::uint32_t GetNumIndexes(TAdsHandle table, std::uint16_t& count) = 0;
  virtual std::uint32_t GetIndexName(TAdsHandle index, std::string& name) = 0;
  virtual std::uint32_t GetNumSegments(TAdsHandle index, std::uint16_t& count) = 0;
  // segment is 0-based: 0 .. count - 1.
  virtual std::uint32_t GetSegmentFieldname(TAdsHandle index, std::uint16_t segment,
                                            std::string& field) = 0;
  virtual std::uint32_t IsIndexUnique(TAdsHandle index, bool& unique) = 0;
  virtual std::uint32_t IsIndexDescending(TAdsHandle index, bool& descending) = 0;
  virtual std::uint32_t IsIndexPrimaryKey(TAdsHandle index, bool& primaryKey) = 0;
  virtual std::uint32_t GotoBOF(TAdsHandle table) = 0;

  virtual std::uint32_t CloseTable(TAdsHandle table) = 0;
  virtual std::uint32_t Disconnect(TAdsHandle connection) = 0;

  // The last error of the calling thread: code and message text.
  virtual std::uint32_t GetLastError(std::uint32_t& code, std::string& text) = 0;
};

}  // namespace qv

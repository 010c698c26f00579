#include "engine/BuiltinEngine.h"

#include "util/Cp1252.h"
#include "util/StrUtils.h"

namespace qv {
namespace {

struct TLastError {
  std::uint32_t Code = 0;
  std::string Text;
};

thread_local TLastError t_lastError;

bool IsRelative(const std::string& name) {
  return !(name.size() >= 2 && (name[1] == ':' || (name[0] == '\\' && name[1] == '\\'))) &&
         !(name.size() >= 1 && (name[0] == '/' || name[0] == '\\'));
}

}  // namespace

TBuiltinAdsProvider::TBuiltinAdsProvider(std::shared_ptr<IFileSource> files)
    : files_(std::move(files)) {}

std::uint32_t TBuiltinAdsProvider::Fail(std::uint32_t code, const std::string& message) {
  t_lastError = {code, message};
  return code;
}

std::uint32_t TBuiltinAdsProvider::Succeed() { return 0; }

std::uint32_t TBuiltinAdsProvider::BadHandle() {
  return Fail(ads_error::kInvalidHandle,
              EngineMessage(ads_error::kInvalidHandle, "Invalid handle.", ""));
}

std::uint32_t TBuiltinAdsProvider::NotAnIndexOrder() {
  return Fail(ads_error::kNotAnIndexOrder,
              EngineMessage(ads_error::kNotAnIndexOrder, ads_error::kNotAnIndexOrderText,
                            ads_error::kNotAnIndexOrderDetail));
}

std::uint32_t TBuiltinAdsProvider::CacheOpenCursors(std::uint16_t count) {
  std::lock_guard<std::mutex> guard(lock_);
  cachedCursors_ = count;
  return 0;
}

std::uint32_t TBuiltinAdsProvider::SetDateFormat(const std::string& format) {
  std::lock_guard<std::mutex> guard(lock_);
  dateFormat_ = format;
  return 0;
}

std::string TBuiltinAdsProvider::DateFormat() const {
  std::lock_guard<std::mutex> guard(lock_);
  return dateFormat_;
}

std::uint32_t TBuiltinAdsProvider::SetDecimals(std::uint16_t decimals) {
  std::lock_guard<std::mutex> guard(lock_);
  decimals_ = decimals;
  return 0;
}

std::uint32_t TBuiltinAdsProvider::ShowDeleted(bool show) {
  std::lock_guard<std::mutex> guard(lock_);
  showDeleted_ = show;
  return 0;
}

std::uint32_t TBuiltinAdsProvider::SetServerType(std::uint16_t types) {
  std::lock_guard<std::mutex> guard(lock_);
  serverTypes_ = types;
  return 0;
}

std::uint32_t TBuiltinAdsProvider::Connect60(const std::string& path, std::uint16_t,
                                             const std::string&, const std::string&, std::uint32_t,
                                             TAdsHandle& connection) {
  connection = 0;
  if (!files_->FolderExists(path))
    return Fail(ads_error::kFileNotFound,
                EngineMessage(ads_error::kFileNotFound, "File not found.", path));
  std::lock_guard<std::mutex> guard(lock_);
  connection = nextHandle_++;
  connections_[connection] = WithTrailingBackslash(path);
  return Succeed();
}

std::uint32_t TBuiltinAdsProvider::OpenTable(TAdsHandle connection, const std::string& name,
                                             const std::string&, std::uint16_t, std::uint16_t,
                                             std::uint16_t, std::uint16_t, std::uint32_t options,
                                             TAdsHandle& table) {
  table = 0;
  std::string folder;
  {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = connections_.find(connection);
    if (it == connections_.end()) return BadHandle();
    folder = it->second;
  }
  // The check runs without the lock, so that two threads open tables at once.
  std::string path = IsRelative(name) ? folder + name : name;
  TOpenVerdict verdict = CheckTableFiles(*files_, path);
  if (verdict.Code != 0) return Fail(verdict.Code, verdict.Message);
  TTable opened{connection, options, std::move(verdict.Structure), {}};
  for (std::size_t i = 0; i < opened.Structure.Fields.size(); ++i)
    opened.FieldByName.emplace(LowerCase1252(opened.Structure.Fields[i].Name), i);
  std::lock_guard<std::mutex> guard(lock_);
  table = nextHandle_++;
  tables_[table] = std::move(opened);
  return Succeed();
}

const TBuiltinAdsProvider::TTable* TBuiltinAdsProvider::StoredTable(TAdsHandle table) const {
  auto it = tables_.find(table);
  return it == tables_.end() ? nullptr : &it->second;
}

// The reads below run under the lock on the stored table: a table may have
// thousands of fields, and a copy per call made its structure read take hours.
template <class Read>
std::uint32_t TBuiltinAdsProvider::WithTable(TAdsHandle table, Read read) {
  std::lock_guard<std::mutex> guard(lock_);
  const TTable* t = StoredTable(table);
  if (!t) return BadHandle();
  read(*t);
  return Succeed();
}

template <class Read>
std::uint32_t TBuiltinAdsProvider::WithField(TAdsHandle table, std::uint16_t field, Read read) {
  std::lock_guard<std::mutex> guard(lock_);
  const TTable* t = StoredTable(table);
  if (!t) return BadHandle();
  if (field < 1 || field > t->Structure.Fields.size())
    return Fail(
        ads_error::kInvalidNumber,
        EngineMessage(ads_error::kInvalidNumber, "Invalid field number.", std::to_string(field)));
  read(t->Structure.Fields[field - 1u]);
  return Succeed();
}

template <class Read>
std::uint32_t TBuiltinAdsProvider::WithNamedField(TAdsHandle table, const std::string& field,
                                                  Read read) {
  std::string key = LowerCase1252(field);
  std::lock_guard<std::mutex> guard(lock_);
  const TTable* t = StoredTable(table);
  if (!t) return BadHandle();
  auto it = t->FieldByName.find(key);
  if (it == t->FieldByName.end())
    return Fail(ads_error::kInvalidParameter,
                EngineMessage(ads_error::kInvalidParameter, "Invalid field name.", field));
  read(t->Structure.Fields[it->second]);
  return Succeed();
}

std::uint32_t TBuiltinAdsProvider::GetRecordLength(TAdsHandle table, std::uint32_t& length) {
  return WithTable(table, [&](const TTable& t) { length = t.Structure.RecordLength; });
}

std::uint32_t TBuiltinAdsProvider::GetTableOpenOptions(TAdsHandle table, std::uint32_t& options) {
  return WithTable(table, [&](const TTable& t) { options = t.Options; });
}

std::uint32_t TBuiltinAdsProvider::GetBookmarkLength(TAdsHandle table, std::uint32_t& length) {
  return WithTable(table, [&](const TTable&) { length = 4; });  // a record number
}

std::uint32_t TBuiltinAdsProvider::GetNumFields(TAdsHandle table, std::uint16_t& count) {
  return WithTable(table, [&](const TTable& t) {
    count = static_cast<std::uint16_t>(t.Structure.Fields.size());
  });
}

std::uint32_t TBuiltinAdsProvider::GetFieldName(TAdsHandle table, std::uint16_t field,
                                                std::string& name) {
  return WithField(table, field, [&](const TAdtField& f) { name = f.Name; });
}

std::uint32_t TBuiltinAdsProvider::GetFieldType(TAdsHandle table, const std::string& field,
                                                std::uint16_t& type) {
  return WithNamedField(table, field, [&](const TAdtField& f) { type = f.Type; });
}

std::uint32_t TBuiltinAdsProvider::GetFieldLength(TAdsHandle table, const std::string& field,
                                                  std::uint32_t& length) {
  return WithNamedField(table, field, [&](const TAdtField& f) { length = f.Length; });
}

std::uint32_t TBuiltinAdsProvider::GetFieldDecimals(TAdsHandle table, const std::string& field,
                                                    std::uint16_t& decimals) {
  return WithNamedField(table, field, [&](const TAdtField& f) { decimals = f.Decimals; });
}

// Index pages are not interpreted: a table reports no index tags, and no
// handle names an index order (the engine's answer to a table's handle).
std::uint32_t TBuiltinAdsProvider::GetAllIndexes(TAdsHandle table,
                                                 std::vector<TAdsHandle>& indexes) {
  return WithTable(table, [&](const TTable&) { indexes.clear(); });
}

std::uint32_t TBuiltinAdsProvider::GetNumIndexes(TAdsHandle table, std::uint16_t& count) {
  return WithTable(table, [&](const TTable&) { count = 0; });
}

std::uint32_t TBuiltinAdsProvider::GetIndexPageSize(TAdsHandle, std::uint32_t&) {
  return NotAnIndexOrder();
}

std::uint32_t TBuiltinAdsProvider::GetIndexName(TAdsHandle, std::string&) {
  return NotAnIndexOrder();
}

std::uint32_t TBuiltinAdsProvider::GetNumSegments(TAdsHandle, std::uint16_t&) {
  return NotAnIndexOrder();
}

std::uint32_t TBuiltinAdsProvider::GetSegmentFieldname(TAdsHandle, std::uint16_t, std::string&) {
  return NotAnIndexOrder();
}

std::uint32_t TBuiltinAdsProvider::IsIndexUnique(TAdsHandle, bool&) { return NotAnIndexOrder(); }

std::uint32_t TBuiltinAdsProvider::IsIndexDescending(TAdsHandle, bool&) {
  return NotAnIndexOrder();
}

std::uint32_t TBuiltinAdsProvider::IsIndexPrimaryKey(TAdsHandle, bool&) {
  return NotAnIndexOrder();
}

std::uint32_t TBuiltinAdsProvider::GetRecordCount(TAdsHandle table, std::uint32_t& count) {
  return WithTable(table, [&](const TTable& t) { count = t.Structure.RecordCount; });
}

std::uint32_t TBuiltinAdsProvider::GotoBOF(TAdsHandle table) {
  return WithTable(table, [](const TTable&) {});
}

std::uint32_t TBuiltinAdsProvider::CloseTable(TAdsHandle table) {
  std::lock_guard<std::mutex> guard(lock_);
  if (tables_.erase(table) == 0) return ads_error::kInvalidHandle;
  return 0;
}

std::uint32_t TBuiltinAdsProvider::Disconnect(TAdsHandle connection) {
  std::lock_guard<std::mutex> guard(lock_);
  if (connections_.erase(connection) == 0) return ads_error::kInvalidHandle;
  for (auto it = tables_.begin(); it != tables_.end();)
    it = it->second.Connection == connection ? tables_.erase(it) : std::next(it);
  return 0;
}

std::uint32_t TBuiltinAdsProvider::GetLastError(std::uint32_t& code, std::string& text) {
  code = t_lastError.Code;
  text = t_lastError.Text;
  return 0;
}

}  // namespace qv

#include "engine/AdsDataset.h"

#include <algorithm>
#include <atomic>

#include "engine/BuiltinEngine.h"
#include "util/DateTimeText.h"
#include "util/StrUtils.h"

namespace qv {
namespace {

constexpr std::size_t kMaxErrorText = 600;
std::atomic<IAdsProvider*> g_provider{nullptr};
std::atomic<bool> g_settingsExist{false};

// Raises EADSDatabaseError for a non-zero result of a call.
void CheckResult(IAdsProvider& provider, std::uint32_t result, const std::string& name) {
  if (result != 0) throw EADSDatabaseError(result, AdsErrorMessage(provider, result, name));
}

}  // namespace

IAdsProvider& AdsProvider() {
  IAdsProvider* provider = g_provider.load();
  return provider ? *provider : BuiltinAdsProvider();
}

void SetAdsProvider(IAdsProvider* provider) { g_provider.store(provider); }

std::string AdsErrorMessage(IAdsProvider& provider, std::uint32_t result, const std::string& name) {
  std::uint32_t code = result;
  std::string text;
  // An engine that cannot tell its text still gives its code.
  if (provider.GetLastError(code, text) != 0 || text.empty())
    text = "Error " + std::to_string(result);
  if (text.size() > kMaxErrorText) text.resize(kMaxErrorText);
  return name.empty() ? text : name + ": " + text;
}

// --- TAdsSettings -------------------------------------------------------------

TAdsSettings::TAdsSettings(IAdsProvider& provider) {
  if (g_settingsExist.exchange(true))
    throw std::logic_error("Only one TAdsSettings may exist per process");
  try {
    CheckResult(provider, provider.CacheOpenCursors(kCachedCursors), "");
    CheckResult(provider, provider.SetDateFormat(kDateFormat), "");
    SetShortDateFormat(kDateFormat);
    CheckResult(provider, provider.SetDecimals(kDecimals), "");
    CheckResult(provider, provider.ShowDeleted(true), "");
    CheckResult(provider, provider.SetServerType(ADS_LOCAL_SERVER), "");
  } catch (...) {
    g_settingsExist.store(false);
    throw;
  }
}

TAdsSettings::~TAdsSettings() { g_settingsExist.store(false); }

// --- TAdsDataSet --------------------------------------------------------------

void TAdsDataSet::Check(std::uint32_t result) { CheckResult(provider_, result, Name); }

// --- TAdsConnection -----------------------------------------------------------

TAdsConnection::~TAdsConnection() { Disconnect(); }

void TAdsConnection::Connect() {
  if (handle_) return;
  Check(provider_.Connect60(ConnectPath, ADS_LOCAL_SERVER, "", "", 0, handle_));
}

void TAdsConnection::Disconnect() {
  if (!handle_) return;
  provider_.Disconnect(handle_);
  handle_ = 0;
}

// --- TAdsTable ------------------------------------------------------------------

TAdsTable::~TAdsTable() { Close(); }

std::string TAdsTable::FullPath() const {
  if (IsFullPath(TableName)) return TableName;
  return WithTrailingBackslash(Connection->ConnectPath) + TableName;
}

void TAdsTable::Open() {
  if (handle_) return;
  if (!Connection) throw EADSDatabaseError(0, (Name.empty() ? "" : Name + ": ") + "No connection");
  Connection->Connect();
  Check(provider_.OpenTable(Connection->Handle(), FullPath(), "", ADS_ADT, ADS_ANSI,
                            ADS_PROPRIETARY_LOCKING, ADS_CHECKRIGHTS, ADS_DEFAULT_OPTIONS,
                            handle_));
  try {
    ReadStructure();
  } catch (...) {
    Close();
    throw;
  }
}

void TAdsTable::ReadStructure() {
  std::uint32_t options = 0, pageSize = 0, bookmark = 0;
  Check(provider_.GetRecordLength(handle_, recordLength_));
  Check(provider_.GetTableOpenOptions(handle_, options));
  std::vector<TAdsHandle> indexHandles(ADS_MAX_INDEXES);
  Check(provider_.GetAllIndexes(handle_, indexHandles));
  // The page size belongs to an index order; a table without index tags has
  // none to ask (the engine refuses the table's own handle).
  if (!indexHandles.empty()) Check(provider_.GetIndexPageSize(indexHandles.front(), pageSize));
  Check(provider_.GetBookmarkLength(handle_, bookmark));
  ReadFields();
  ReadIndexes(indexHandles);
  Check(provider_.GotoBOF(handle_));
}

void TAdsTable::ReadFields() {
  std::uint16_t count = 0;
  Check(provider_.GetNumFields(handle_, count));
  fields_.clear();
  for (std::uint16_t i = 1; i <= count; ++i) {
    TAdsFieldDef f;
    Check(provider_.GetFieldName(handle_, i, f.Name));
    Check(provider_.GetFieldType(handle_, f.Name, f.Type));
    Check(provider_.GetFieldLength(handle_, f.Name, f.Length));
    Check(provider_.GetFieldDecimals(handle_, f.Name, f.Decimals));
    fields_.push_back(std::move(f));
  }
}

void TAdsTable::ReadIndexes(const std::vector<TAdsHandle>& handles) {
  std::uint16_t count = 0;
  Check(provider_.GetNumIndexes(handle_, count));
  indexes_.clear();
  for (std::size_t i = 0; i < std::min<std::size_t>(count, handles.size()); ++i) {
    TAdsIndexDef index;
    Check(provider_.GetIndexName(handles[i], index.Name));
    std::uint16_t segments = 0;
    Check(provider_.GetNumSegments(handles[i], segments));
    for (std::uint16_t s = 0; s < segments; ++s) {
      std::string field;
      Check(provider_.GetSegmentFieldname(handles[i], s, field));
      index.Fields.push_back(std::move(field));
    }
    Check(provider_.IsIndexUnique(handles[i], index.Unique));
    Check(provider_.IsIndexDescending(handles[i], index.Descending));
    Check(provider_.IsIndexPrimaryKey(handles[i], index.PrimaryKey));
    indexes_.push_back(std::move(index));
  }
}

void TAdsTable::Close() {
  if (!handle_) return;
  provider_.CloseTable(handle_);
  handle_ = 0;
}

}  // namespace qv

#include "backup/AdsDataset.h"

#include <atomic>

#include "util/DateTimeText.h"

namespace qv {
namespace {

constexpr std::size_t kMaxErrorText = 600;
std::atomic<IAdsProvider*> g_provider{nullptr};
std::atomic<bool> g_settingsExist{false};

}  // namespace

IAdsProvider& AdsProvider() {
  IAdsProvider* provider = g_provider.load();
  return provider ? *provider : DefaultAdsProvider();
}

void SetAdsProviderForTest(IAdsProvider* provider) { g_provider.store(provider); }

// --- TAdsSettings -------------------------------------------------------------

TAdsSettings::TAdsSettings(IAdsProvider& provider) {
  if (g_settingsExist.exchange(true))
    throw std::logic_error("Only one TAdsSettings may exist per process");
  provider.CacheOpenCursors(kCachedCursors);
  provider.SetDateFormat(kDateFormat);
  SetShortDateFormat(kDateFormat);
  provider.SetDecimals(kDecimals);
  provider.ShowDeleted(true);
  provider.SetServerType(ADS_LOCAL_SERVER);
}

TAdsSettings::~TAdsSettings() { g_settingsExist.store(false); }

// --- TAdsDataSet --------------------------------------------------------------

void TAdsDataSet::Check(std::uint32_t result) {
  if (result == 0) return;
  std::uint32_t code = result;
  std::string text;
  provider_.GetLastError(code, text);
  if (text.size() > kMaxErrorText) text.resize(kMaxErrorText);
  throw EADSDatabaseError(result, Name.empty() ? text : Name + ": " + text);
}

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

void TAdsTable::Open() {
  if (handle_) return;
  if (!Connection) throw EADSDatabaseError(0, (Name.empty() ? "" : Name + ": ") + "No connection");
  Connection->Connect();
  Check(provider_.OpenTable(Connection->Handle(), TableName, "", ADS_ADT, ADS_ANSI,
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
  Check(provider_.GetIndexPageSize(handle_, pageSize));
  Check(provider_.GetBookmarkLength(handle_, bookmark));
  std::uint16_t count = 0;
  Check(provider_.GetNumFields(handle_, count));
  fields_.clear();
  for (std::uint16_t i = 1; i <= count; ++i) {
    TAdsFieldDef f;
    Check(provider_.GetFieldName(handle_, i, f.Name));
    Check(provider_.GetFieldType(handle_, i, f.Type));
    Check(provider_.GetFieldLength(handle_, i, f.Length));
    Check(provider_.GetFieldDecimals(handle_, i, f.Decimals));
    fields_.push_back(std::move(f));
  }
  std::uint16_t indexes = 0;
  Check(provider_.GetNumIndexes(handle_, indexes));
  indexNames_.clear();
  for (std::uint16_t i = 1; i <= indexes; ++i) {
    std::string name;
    Check(provider_.GetIndexName(handle_, i, name));
    indexNames_.push_back(std::move(name));
  }
  Check(provider_.GetRecordCount(handle_, recordCount_));
  Check(provider_.GotoBOF(handle_));
}

void TAdsTable::Close() {
  if (!handle_) return;
  provider_.CloseTable(handle_);
  handle_ = 0;
}

}  // namespace qv

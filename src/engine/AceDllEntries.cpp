#include "engine/AceDllEntries.h"

namespace qv {
namespace {

template <class Function>
bool Resolve(HMODULE module, const char* name, Function& function, std::string& missing) {
  FARPROC address = GetProcAddress(module, name);
  if (!address) {
    missing = name;
    return false;
  }
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
  return true;
}

}  // namespace

// The export's name is the member's name.
#define QV_ACE_ENTRY(name) Resolve(module, #name, entries.name, missing)

bool ResolveAceDllEntries(HMODULE module, TAceDllEntries& entries, std::string& missing) {
  return QV_ACE_ENTRY(AdsCacheOpenCursors) && QV_ACE_ENTRY(AdsSetDateFormat) &&
         QV_ACE_ENTRY(AdsSetDecimals) && QV_ACE_ENTRY(AdsShowDeleted) &&
         QV_ACE_ENTRY(AdsSetServerType) && QV_ACE_ENTRY(AdsConnect60) &&
         QV_ACE_ENTRY(AdsOpenTable) && QV_ACE_ENTRY(AdsGetRecordLength) &&
         QV_ACE_ENTRY(AdsGetTableOpenOptions) && QV_ACE_ENTRY(AdsGetAllIndexes) &&
         QV_ACE_ENTRY(AdsGetIndexPageSize) && QV_ACE_ENTRY(AdsGetBookmarkLength) &&
         QV_ACE_ENTRY(AdsGetNumFields) && QV_ACE_ENTRY(AdsGetFieldName) &&
         QV_ACE_ENTRY(AdsGetFieldType) && QV_ACE_ENTRY(AdsGetFieldLength) &&
         QV_ACE_ENTRY(AdsGetFieldDecimals) && QV_ACE_ENTRY(AdsGetNumIndexes) &&
         QV_ACE_ENTRY(AdsGetIndexName) && QV_ACE_ENTRY(AdsGetNumSegments) &&
         QV_ACE_ENTRY(AdsGetSegmentFieldname) && QV_ACE_ENTRY(AdsIsIndexUnique) &&
         QV_ACE_ENTRY(AdsIsIndexDescending) && QV_ACE_ENTRY(AdsIsIndexPrimaryKey) &&
         QV_ACE_ENTRY(AdsGotoBOF) && QV_ACE_ENTRY(AdsCreateIndex61) &&
         QV_ACE_ENTRY(AdsCloseTable) && QV_ACE_ENTRY(AdsDisconnect) &&
         QV_ACE_ENTRY(AdsGetLastError) && QV_ACE_ENTRY(AdsGetVersion);
}

#undef QV_ACE_ENTRY

}  // namespace qv

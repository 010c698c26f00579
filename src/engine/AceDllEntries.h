#pragma once
// The exports of the office application's engine DLL: __stdcall, undecorated
// names, 0 for success; handles are pointer-sized (32 bits in ACE32.DLL, 64
// bits in ACE64.DLL). Every one is looked up by name; a DLL that lacks one is
// not used at all.
#include <windows.h>

#include <cstdint>
#include <string>

namespace qv {

using TAceHandle = std::uintptr_t;
using TAceText = unsigned char*;
using TAceResult = std::uint32_t;

struct TAceDllEntries {
  TAceResult(WINAPI* AdsCacheOpenCursors)(std::uint16_t);
  TAceResult(WINAPI* AdsSetDateFormat)(TAceText);
  TAceResult(WINAPI* AdsSetDecimals)(std::uint16_t);
  TAceResult(WINAPI* AdsShowDeleted)(std::uint16_t);
  TAceResult(WINAPI* AdsSetServerType)(std::uint16_t);
  TAceResult(WINAPI* AdsConnect60)(TAceText, std::uint16_t, TAceText, TAceText, std::uint32_t,
                                   TAceHandle*);
  TAceResult(WINAPI* AdsOpenTable)(TAceHandle, TAceText, TAceText, std::uint16_t, std::uint16_t,
                                   std::uint16_t, std::uint16_t, std::uint32_t, TAceHandle*);
  TAceResult(WINAPI* AdsGetRecordLength)(TAceHandle, std::uint32_t*);
  TAceResult(WINAPI* AdsGetTableOpenOptions)(TAceHandle, std::uint32_t*);
  TAceResult(WINAPI* AdsGetAllIndexes)(TAceHandle, TAceHandle*, std::uint16_t*);
  TAceResult(WINAPI* AdsGetIndexPageSize)(TAceHandle, std::uint32_t*);
  TAceResult(WINAPI* AdsGetBookmarkLength)(TAceHandle, std::uint32_t*);
  TAceResult(WINAPI* AdsGetNumFields)(TAceHandle, std::uint16_t*);
  TAceResult(WINAPI* AdsGetFieldName)(TAceHandle, std::uint16_t, TAceText, std::uint16_t*);
  TAceResult(WINAPI* AdsGetFieldType)(TAceHandle, TAceText, std::uint16_t*);
  TAceResult(WINAPI* AdsGetFieldLength)(TAceHandle, TAceText, std::uint32_t*);
  TAceResult(WINAPI* AdsGetFieldDecimals)(TAceHandle, TAceText, std::uint16_t*);
  TAceResult(WINAPI* AdsGetNumIndexes)(TAceHandle, std::uint16_t*);
  TAceResult(WINAPI* AdsGetIndexName)(TAceHandle, TAceText, std::uint16_t*);
  TAceResult(WINAPI* AdsGetNumSegments)(TAceHandle, std::uint16_t*);
  TAceResult(WINAPI* AdsGetSegmentFieldname)(TAceHandle, std::uint16_t, TAceText, std::uint16_t*);
  TAceResult(WINAPI* AdsIsIndexUnique)(TAceHandle, std::uint16_t*);
  TAceResult(WINAPI* AdsIsIndexDescending)(TAceHandle, std::uint16_t*);
  TAceResult(WINAPI* AdsIsIndexPrimaryKey)(TAceHandle, std::uint16_t*);
  TAceResult(WINAPI* AdsGotoBOF)(TAceHandle);
  TAceResult(WINAPI* AdsCreateIndex61)(TAceHandle, TAceText, TAceText, TAceText, TAceText, TAceText,
                                       std::uint32_t, std::uint32_t, TAceHandle*);
  TAceResult(WINAPI* AdsCloseTable)(TAceHandle);
  TAceResult(WINAPI* AdsDisconnect)(TAceHandle);
  TAceResult(WINAPI* AdsGetLastError)(std::uint32_t*, TAceText, std::uint16_t*);
  TAceResult(WINAPI* AdsGetVersion)(std::uint32_t*, std::uint32_t*, TAceText, TAceText,
                                    std::uint16_t*);
};

// Looks up every export; false with the name of the first one missing.
bool ResolveAceDllEntries(HMODULE module, TAceDllEntries& entries, std::string& missing);

}  // namespace qv

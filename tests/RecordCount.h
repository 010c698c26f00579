#pragma once
// The record count the built-in engine found for an open table (not a call
// the program relies on, so not part of the engine interface).
#include "engine/AdsDataset.h"
#include "engine/BuiltinEngine.h"

namespace qv::test {

inline std::uint32_t RecordCount(TBuiltinAdsProvider& provider, const TAdsTable& table) {
  std::uint32_t count = 0;
  return provider.GetRecordCount(table.Handle(), count) == 0 ? count : 0xFFFFFFFFu;
}

}  // namespace qv::test

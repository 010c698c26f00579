#include "backup/AdsDataset.h"
#include "engine/BuiltinEngine.h"
#include "engine/WinFileSource.h"

namespace qv {

IAdsProvider& DefaultAdsProvider() {
  static TBuiltinAdsProvider provider(std::make_shared<TWinFileSource>());
  return provider;
}

}  // namespace qv

#include "backup/AdsDataset.h"
#include "engine/BuiltinEngine.h"

namespace qv {

IAdsProvider& DefaultAdsProvider() {
  static TBuiltinAdsProvider provider(std::make_shared<TStdFileSource>());
  return provider;
}

}  // namespace qv

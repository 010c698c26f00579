#include "engine/BuiltinEngine.h"

namespace qv {

TBuiltinAdsProvider& BuiltinAdsProvider() {
  static TBuiltinAdsProvider provider(std::make_shared<TStdFileSource>());
  return provider;
}

}  // namespace qv

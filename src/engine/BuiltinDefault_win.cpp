#include "engine/BuiltinEngine.h"
#include "engine/WinFileSource.h"

namespace qv {

TBuiltinAdsProvider& BuiltinAdsProvider() {
  static TBuiltinAdsProvider provider(std::make_shared<TWinFileSource>());
  return provider;
}

}  // namespace qv

#include "util/Random.h"

#include <mutex>
#include <random>

namespace qv {
namespace {

struct TGenerator {
  std::mutex lock;
  std::mt19937 engine{std::random_device{}()};
};

TGenerator& Generator() {
  static TGenerator generator;
  return generator;
}

}  // namespace

std::uint32_t RandomNumber(std::uint32_t range) {
  if (range == 0) return 0;
  auto& g = Generator();
  std::lock_guard<std::mutex> guard(g.lock);
  return std::uniform_int_distribution<std::uint32_t>(0, range - 1)(g.engine);
}

void RandomBytes(std::uint8_t* buffer, std::size_t count) {
  auto& g = Generator();
  std::lock_guard<std::mutex> guard(g.lock);
  std::uniform_int_distribution<int> byte(0, 255);
  for (std::size_t i = 0; i < count; ++i) buffer[i] = static_cast<std::uint8_t>(byte(g.engine));
}

}  // namespace qv

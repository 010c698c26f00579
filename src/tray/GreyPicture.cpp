#include "tray/GreyPicture.h"

#include <cmath>

namespace qv {
namespace {

std::uint8_t Faded(int channel, int grey) {
  // (channel - grey) * 20 / 255 never ends in .5, so rounding has no ties.
  long kept = std::lround((channel - grey) * 20.0 / 255.0);
  return static_cast<std::uint8_t>(grey + kept);
}

}  // namespace

TRgb GreyedPixel(TRgb pixel) {
  int grey = (77 * pixel.Red + 150 * pixel.Green + 28 * pixel.Blue) / 256;
  return {Faded(pixel.Red, grey), Faded(pixel.Green, grey), Faded(pixel.Blue, grey)};
}

void GreyPixelRows(std::uint8_t* bits, int width, int height, std::size_t stride) {
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = bits + static_cast<std::size_t>(y) * stride;
    for (int x = 0; x < width; ++x, p += 3) {
      TRgb out = GreyedPixel({p[2], p[1], p[0]});
      p[0] = out.Blue;
      p[1] = out.Green;
      p[2] = out.Red;
    }
  }
}

}  // namespace qv

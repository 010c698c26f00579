#pragma once
// The greyed picture of the window during a run: each pixel keeps 20/255 of
// its colour around its grey value.
#include <cstddef>
#include <cstdint>

namespace qv {

struct TRgb {
  std::uint8_t Red = 0, Green = 0, Blue = 0;
};

TRgb GreyedPixel(TRgb pixel);
// Rows of 24-bit pixels in blue, green, red order, stride bytes apart.
void GreyPixelRows(std::uint8_t* bits, int width, int height, std::size_t stride);

}  // namespace qv

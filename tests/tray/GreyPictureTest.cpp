#include <gtest/gtest.h>

#include <vector>

#include "tray/GreyPicture.h"

namespace qv {
namespace {

bool Same(TRgb a, TRgb b) { return a.Red == b.Red && a.Green == b.Green && a.Blue == b.Blue; }

TEST(GreyPictureTest, PixelsKeepTwentyPartsOf255OfTheirColourAroundTheirGrey) {
  struct TCase {
    TRgb In, Out;
  };
  // Worked by hand: grey = (77 R + 150 G + 28 B) div 256, then
  // channel = grey + round((channel - grey) * 20 / 255).
  const TCase cases[] = {
      {{255, 255, 255}, {254, 254, 254}},  // grey 254, +1 rounds away
      {{0, 0, 0}, {0, 0, 0}},
      {{255, 225, 121}, {224, 221, 213}},  // grey 221: +2.67, +0.31, -7.84
      {{255, 0, 0}, {90, 70, 70}},         // grey 76: +14.04, -5.96
      {{0, 0, 255}, {25, 25, 45}},         // grey 27: -2.12, +17.88
  };
  for (const TCase& c : cases)
    EXPECT_TRUE(Same(GreyedPixel(c.In), c.Out))
        << int(c.In.Red) << "," << int(c.In.Green) << "," << int(c.In.Blue);
}

TEST(GreyPictureTest, RowsAreBlueGreenRedAndTheirPaddingStays) {
  // Two rows of two pixels, 8 bytes apart (two bytes of padding each).
  std::vector<std::uint8_t> bits = {0,   0,   255, 121, 225, 255, 0xAA, 0xBB,
                                    255, 255, 255, 0,   0,   0,   0xCC, 0xDD};
  GreyPixelRows(bits.data(), 2, 2, 8);
  EXPECT_EQ(bits, (std::vector<std::uint8_t>{70, 70, 90, 213, 221, 224, 0xAA, 0xBB,  //
                                             254, 254, 254, 0, 0, 0, 0xCC, 0xDD}));
}

}  // namespace
}  // namespace qv

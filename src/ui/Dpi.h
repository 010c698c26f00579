#pragma once
// Sizes are designed at 96 DPI and scaled to the screen's DPI.
namespace qv::ui {

inline constexpr int kDesignDpi = 96;

// A size given at 96 DPI, at dpi (rounded half away from zero).
inline int ScaleToDpi(int size96, int dpi) {
  long long product = static_cast<long long>(size96) * dpi;
  long long half = kDesignDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kDesignDpi
                                       : -((-product + half) / kDesignDpi));
}

// The DPI of the screen the program draws on (its LogPixels).
int ScreenDpi();

}  // namespace qv::ui

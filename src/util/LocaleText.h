#pragma once
// Texts formatted by the user's locale (Windows).
#include <cstdint>
#include <string>

#include "util/Seams.h"

namespace qv {

// The time in the locale's long time format (German PC: "HH:mm:ss").
std::string LongTimeText(const TLocalTime& t);
// Now as the program's date-time text (clock seam).
std::string NowDateTimeText();
// A whole number with the locale's thousands separator ("1.234").
std::string ThousandsText(std::int64_t value);

}  // namespace qv

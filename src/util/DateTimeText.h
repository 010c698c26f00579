#pragma once
// The program's date-time text: "dd.mm.yyyy", a blank and the long time of
// the user's locale; the time is left out at exactly midnight.
#include <string>

#include "util/Seams.h"

namespace qv {

std::string ShortDateText(const TLocalTime& t);
std::string DateTimeText(const TLocalTime& t, const std::string& longTimeText);

}  // namespace qv

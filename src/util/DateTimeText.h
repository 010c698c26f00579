#pragma once
// The program's date-time text: "dd.mm.yyyy", a blank and the long time of
// the user's locale; the time is left out at exactly midnight.
#include <string>

#include "util/Seams.h"

namespace qv {

// The process's short date format in the engine's notation ("DD.MM.YYYY":
// DD day, MM month, YYYY or CCYY four-digit year, YY two-digit year, other
// characters literal). Set once at start-up by the engine settings.
void SetShortDateFormat(const std::string& format);
std::string ShortDateFormat();

std::string ShortDateText(const TLocalTime& t);
std::string DateTimeText(const TLocalTime& t, const std::string& longTimeText);

}  // namespace qv

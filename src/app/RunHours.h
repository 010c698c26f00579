#pragma once
// The hours at which backups run: the stored comma text, the schedule's
// expression and the captions the window and the tray hint show.
#include <array>
#include <string>

namespace qv {

using THourSet = std::array<bool, 24>;

// The hours checked by a stored text: commas and blanks separate entries,
// double quotes group; anything that is not a number in 0..23 is ignored.
// An empty text gives the default hours (kDefaultHours).
THourSet ParseHoursText(const std::string& stored);
// "8,9,14": the checked hours, ascending, without leading zeros.
std::string HoursText(const THourSet& hours);
// "0 0 8,9,14 * * *"; with no hour "0 0  * * *", which never fires.
std::string HoursExpression(const THourSet& hours);
// "08 Uhr".
std::string HourCaption(int hour);
// "Sicherungen erfolgen: " CR LF "08 Uhr - 09 Uhr - 14 Uhr".
std::string ScheduleHint(const THourSet& hours);

}  // namespace qv

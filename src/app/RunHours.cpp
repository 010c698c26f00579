#include "app/RunHours.h"

#include <vector>

#include "app/Settings.h"

namespace qv {
namespace {

// Comma text: entries separated by commas or blanks; a double-quoted entry
// keeps its blanks and commas, doubled quotes inside stand for one.
std::vector<std::string> SplitCommaText(const std::string& text) {
  std::vector<std::string> entries;
  std::size_t i = 0;
  auto skipSeparators = [&] {
    while (i < text.size() && (text[i] == ',' || static_cast<unsigned char>(text[i]) <= ' ')) ++i;
  };
  skipSeparators();
  while (i < text.size()) {
    std::string entry;
    if (text[i] == '"') {
      for (++i; i < text.size(); ++i) {
        if (text[i] != '"') {
          entry += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '"') {
          entry += '"';
          ++i;
        } else {
          ++i;
          break;
        }
      }
    } else {
      while (i < text.size() && text[i] != ',' && static_cast<unsigned char>(text[i]) > ' ')
        entry += text[i++];
    }
    entries.push_back(entry);
    skipSeparators();
  }
  return entries;
}

// A decimal number (optional sign), or -1 for anything else.
int NumberOrMinusOne(const std::string& text) {
  std::size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
  if (i == text.size() || text.size() - i > 9) return -1;
  int value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return text[0] == '-' ? -value : value;
}

}  // namespace

THourSet ParseHoursText(const std::string& stored) {
  THourSet hours{};
  for (const std::string& entry : SplitCommaText(stored.empty() ? kDefaultHours : stored)) {
    int hour = NumberOrMinusOne(entry);
    if (hour >= 0 && hour < 24) hours[hour] = true;
  }
  return hours;
}

std::string HoursText(const THourSet& hours) {
  std::string text;
  for (int hour = 0; hour < 24; ++hour) {
    if (!hours[hour]) continue;
    if (!text.empty()) text += ',';
    text += std::to_string(hour);
  }
  return text;
}

std::string HoursExpression(const THourSet& hours) { return "0 0 " + HoursText(hours) + " * * *"; }

std::string HourCaption(int hour) {
  return std::string(1, static_cast<char>('0' + hour / 10)) + static_cast<char>('0' + hour % 10) +
         " Uhr";
}

std::string ScheduleHint(const THourSet& hours) {
  std::string captions;
  for (int hour = 0; hour < 24; ++hour) {
    if (!hours[hour]) continue;
    if (!captions.empty()) captions += " - ";
    captions += HourCaption(hour);
  }
  return "Sicherungen erfolgen: \r\n" + captions;
}

}  // namespace qv

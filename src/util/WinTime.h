#pragma once
// The platform's calendar record and the program's local time.
#include <windows.h>

#include "util/Seams.h"

namespace qv {

inline TLocalTime FromSystemTime(const SYSTEMTIME& st) {
  TLocalTime t;
  t.Year = st.wYear;
  t.Month = st.wMonth;
  t.Day = st.wDay;
  t.Hour = st.wHour;
  t.Minute = st.wMinute;
  t.Second = st.wSecond;
  t.Millisecond = st.wMilliseconds;
  t.DayOfWeek = st.wDayOfWeek;
  return t;
}

inline SYSTEMTIME ToSystemTime(const TLocalTime& t) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.Year);
  st.wMonth = static_cast<WORD>(t.Month);
  st.wDay = static_cast<WORD>(t.Day);
  st.wHour = static_cast<WORD>(t.Hour);
  st.wMinute = static_cast<WORD>(t.Minute);
  st.wSecond = static_cast<WORD>(t.Second);
  st.wMilliseconds = static_cast<WORD>(t.Millisecond);
  st.wDayOfWeek = static_cast<WORD>(t.DayOfWeek);
  return st;
}

}  // namespace qv

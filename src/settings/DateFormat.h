#pragma once
// The date-time formatter every date text of the program goes through. Format letters
// (case does not matter): d dd ddd dddd ddddd dddddd, m mm mmm mmmm (m after h: minutes),
// yy yyyy, g gg (era), e ee (year of the era), h hh, n nn, s ss, z zzz, t tt, c, ampm,
// am/pm, a/p; "/" and ":" are the separators of the names; text in single or double
// quotes is copied; everything else is copied as it stands. An empty format means "c".
#include "Options.h"
#include "platform/DateTime.h"

#include <string>

namespace muralto {

struct TJapaneseEra {
    const char* name;      // "平成"
    const char* shortName; // "平"
    int year, month, day;  // its first day
};
// The eras, oldest first; dates before the first have no era.
const TJapaneseEra* JapaneseEras(int& count);

std::string FormatDateTime(const std::string& format, TDateTime value,
                           const TFormatNames& names = FormatNames());

// 0 Sunday ... 6 Saturday.
int DayOfWeek(TDateTime value);
int DaysInMonth(int year, int month);

} // namespace muralto

#pragma once
// The decoration commands: pattern lists, dates, holidays and single-pattern drawings.
#include "Commands.h"

namespace muraltoctl {

int PatternsList(const Arguments& args);
int PatternsAdd(const Arguments& args);
int PatternsRemove(const Arguments& args);
int FormatDate(const Arguments& args);
int DrawPattern(const Arguments& args);
int Holidays(const Arguments& args);
// "--at TIME": dates and calendars are drawn for that moment instead of now.
void UseFixedTime(const std::string& text);

} // namespace muraltoctl

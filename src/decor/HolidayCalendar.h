#pragma once
// The national holidays of one year, movable ones included, for writing the holiday file
// whose month-day keys can only hold one year's dates.
#include <string>
#include <vector>

namespace muralto {

struct THoliday {
    int month = 0, day = 0;
    std::string name;
};

// The years whose rules (and equinox formula) are known here.
constexpr int kFirstHolidayYear = 1980;
constexpr int kLastHolidayYear = 2099;

// In date order: fixed dates, the Mondays, the equinoxes, one-off days, citizens' holidays
// and substitute holidays. Empty outside the known years.
std::vector<THoliday> NationalHolidays(int year);

} // namespace muralto

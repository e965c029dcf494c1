#include "decor/HolidayCalendar.h"

#include <gtest/gtest.h>

#include <set>

namespace muralto {
namespace {

std::set<int> Keys(int year) {
    std::set<int> keys;
    for (const THoliday& h : NationalHolidays(year))
        keys.insert(h.month * 100 + h.day);
    return keys;
}

// Against the published calendars of those years.
TEST(NationalHolidays, KnownYears) {
    const struct {
        int year;
        std::set<int> keys;
    } cases[] = {
        {2026,
         {101, 112, 211, 223, 320, 429, 503, 504, 505, 506, 720, 811, 921, 922, 923, 1012, 1103,
          1123}},
        {2019, {101, 114, 211, 321, 429, 430, 501,  502,  503,  504,  505,
                506, 715, 811, 812, 916, 923, 1014, 1022, 1103, 1104, 1123}},
        {2020,
         {101, 113, 211, 223, 224, 320, 429, 503, 504, 505, 506, 723, 724, 810, 921, 922, 1103,
          1123}},
        {2015,
         {101, 112, 211, 321, 429, 503, 504, 505, 506, 720, 921, 922, 923, 1012, 1103, 1123, 1223}},
        {1999,
         {101, 115, 211, 321, 322, 429, 503, 504, 505, 720, 915, 923, 1010, 1011, 1103, 1123,
          1223}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Keys(c.year), c.keys) << c.year;
}

TEST(NationalHolidays, OutsideTheKnownYearsNothing) {
    EXPECT_TRUE(NationalHolidays(kFirstHolidayYear - 1).empty());
    EXPECT_TRUE(NationalHolidays(kLastHolidayYear + 1).empty());
    EXPECT_FALSE(NationalHolidays(kLastHolidayYear).empty());
}

} // namespace
} // namespace muralto

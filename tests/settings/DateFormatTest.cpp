#include "settings/DateFormat.h"

#include <gtest/gtest.h>

namespace muralto {
namespace {

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return EncodeDateTime({y, mo, d, h, mi, s, ms});
}

struct FormatCase {
    const char* format;
    const char* expected;
};

// Monday 9 March 2026, 14:05:07.042, with the program's default names.
TEST(FormatDateTime, EveryLetterWithTheDefaultNames) {
    const TDateTime when = At(2026, 3, 9, 14, 5, 7, 42);
    const FormatCase cases[] = {
        {"d", "9"},
        {"dd", "09"},
        {"ddd", "月"},
        {"dddd", "月曜日"},
        {"ddddd", "2026/03/09"},
        {"dddddd", "2026年3月9日"},
        {"ddddddd", "2026年3月9日"},
        {"m", "3"},
        {"mm", "03"},
        {"mmm", "3"},
        {"mmmm", "3月"},
        {"y", "26"},
        {"yy", "26"},
        {"yyy", "2026"},
        {"yyyy", "2026"},
        {"h", "14"},
        {"hh", "14"},
        {"n", "5"},
        {"nn", "05"},
        {"s", "7"},
        {"ss", "07"},
        {"z", "42"},
        {"zzz", "042"},
        {"t", "14:05"},
        {"tt", "14:05:07"},
        {"c", "2026/03/09 14:05:07"},
        {"", "2026/03/09 14:05:07"},
        {"hh:mm", "14:05"},      // m after h is the minute
        {"h:nn mm", "14:05 03"}, // ... only right after it
        {"ampm h", "午後 2"},
        {"h am/pm", "2 pm"},
        {"h AM/PM", "2 PM"},
        {"h a/p", "2 p"},
        {"hh ampm", "02 午後"},
        {"YYYY/MM/DD", "2026/03/09"},
        {"'d' \"mm\" d", "d mm 9"},
        {"'unclosed", "unclosed"},
        {"x-y", "x-26"},
        {"gg e", "令和 8"},
        {"g ee", "令 08"},
        {"ggg eee", "令和 08"},
        {"a", "a"},
        {"月d日", "月9日"},
    };
    for (const FormatCase& c : cases)
        EXPECT_EQ(FormatDateTime(c.format, when), c.expected) << "format " << c.format;
}

TEST(FormatDateTime, SeparatorsAndNamesComeFromTheSettings) {
    TFormatNames names;
    names.DateSeparator = "-";
    names.TimeSeparator = ".";
    names.ShortDateFormat = "yyyy/m/d";
    names.LongTimeFormat = "hh:nn";
    names.ShortDayNames[1] = "Mo";
    names.LongMonthNames[2] = "March";
    const TDateTime when = At(2026, 3, 9, 8, 7, 0);
    EXPECT_EQ(FormatDateTime("c", when, names), "2026-3-9 08.07");
    EXPECT_EQ(FormatDateTime("ddd, mmmm d", when, names), "Mo, March 9");
    EXPECT_EQ(FormatDateTime("'/' \":\"", when, names), "/ :");
}

// The first day of each era and the day before it.
TEST(FormatDateTime, EraNamesAndYearsAcrossEveryBoundary) {
    const struct {
        TDateTime when;
        const char* expected;
    } cases[] = {
        {At(1867, 12, 31), " 1867"}, {At(1868, 1, 1), "明治 1"},    {At(1912, 7, 29), "明治 45"},
        {At(1912, 7, 30), "大正 1"}, {At(1926, 12, 24), "大正 15"}, {At(1926, 12, 25), "昭和 1"},
        {At(1989, 1, 7), "昭和 64"}, {At(1989, 1, 8), "平成 1"},    {At(2019, 4, 30), "平成 31"},
        {At(2019, 5, 1), "令和 1"},  {At(2026, 12, 11), "令和 8"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime("gg e", c.when), c.expected) << c.expected;
    EXPECT_EQ(FormatDateTime("g", At(1989, 1, 7, 23, 59, 59)), "昭");
    EXPECT_EQ(FormatDateTime("g", At(1989, 1, 8)), "平");
}

TEST(FormatDateTime, TwelveHourClockAtMidnightAndNoon) {
    EXPECT_EQ(FormatDateTime("h ampm", At(2026, 1, 1, 0, 30)), "12 午前");
    EXPECT_EQ(FormatDateTime("h ampm", At(2026, 1, 1, 12, 0)), "12 午後");
    EXPECT_EQ(FormatDateTime("h", At(2026, 1, 1, 0, 30)), "0");
}

TEST(FormatDateTime, WeekdaysAndMonthLengths) {
    EXPECT_EQ(DayOfWeek(At(1899, 12, 30)), 6);
    EXPECT_EQ(DayOfWeek(At(2026, 12, 11, 23, 59, 59, 999)), 5);
    EXPECT_EQ(DayOfWeek(At(1800, 1, 1)), 3);
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2100, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(2026, 4), 30);
}

} // namespace
} // namespace muralto

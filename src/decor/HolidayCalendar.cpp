#include "HolidayCalendar.h"

#include "platform/DateTime.h"
#include "settings/DateFormat.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace muralto {

namespace {

using Date = std::pair<int, int>; // month, day

int Weekday(int year, int month, int day) {
    return DayOfWeek(EncodeDateTime({year, month, day}));
}

// The day of the month of the n-th Monday.
int NthMonday(int year, int month, int n) {
    const int first = Weekday(year, month, 1);
    return 1 + (8 - first) % 7 + 7 * (n - 1);
}

int SpringEquinox(int year) {
    const int y = year - 1980;
    return int(std::floor(20.8431 + 0.242194 * y - std::floor(y / 4.0)));
}

int AutumnEquinox(int year) {
    const int y = year - 1980;
    return int(std::floor(23.2488 + 0.242194 * y - std::floor(y / 4.0)));
}

Date Next(int year, Date d) {
    return d.second < DaysInMonth(year, d.first) ? Date{d.first, d.second + 1}
                                                 : Date{d.first + 1, 1};
}

std::map<Date, std::string> Statutory(int y) {
    std::map<Date, std::string> h;
    h[{1, 1}] = "元日";
    h[{1, y < 2000 ? 15 : NthMonday(y, 1, 2)}] = "成人の日";
    h[{2, 11}] = "建国記念の日";
    if (y >= 2020)
        h[{2, 23}] = "天皇誕生日";
    h[{3, SpringEquinox(y)}] = "春分の日";
    h[{4, 29}] = y < 1989 ? "天皇誕生日" : y < 2007 ? "みどりの日" : "昭和の日";
    h[{5, 3}] = "憲法記念日";
    if (y >= 2007)
        h[{5, 4}] = "みどりの日";
    h[{5, 5}] = "こどもの日";
    if (y == 2020 || y == 2021)
        h[{7, y == 2020 ? 23 : 22}] = "海の日";
    else if (y >= 1996)
        h[{7, y < 2003 ? 20 : NthMonday(y, 7, 3)}] = "海の日";
    if (y == 2020 || y == 2021)
        h[{8, y == 2020 ? 10 : 8}] = "山の日";
    else if (y >= 2016)
        h[{8, 11}] = "山の日";
    h[{9, y < 2003 ? 15 : NthMonday(y, 9, 3)}] = "敬老の日";
    h[{9, AutumnEquinox(y)}] = "秋分の日";
    if (y == 2020 || y == 2021)
        h[{7, y == 2020 ? 24 : 23}] = "スポーツの日";
    else
        h[{10, y < 2000 ? 10 : NthMonday(y, 10, 2)}] = y < 2020 ? "体育の日" : "スポーツの日";
    h[{11, 3}] = "文化の日";
    h[{11, 23}] = "勤労感謝の日";
    if (y >= 1989 && y <= 2018)
        h[{12, 23}] = "天皇誕生日";
    // Days of the imperial household made holidays once.
    const struct {
        int year, month, day;
        const char* name;
    } once[] = {{1989, 2, 24, "大喪の礼"},
                {1990, 11, 12, "即位礼正殿の儀"},
                {1993, 6, 9, "結婚の儀"},
                {2019, 5, 1, "天皇の即位の日"},
                {2019, 10, 22, "即位礼正殿の儀"}};
    for (const auto& o : once)
        if (o.year == y)
            h[{o.month, o.day}] = o.name;
    return h;
}

} // namespace

std::vector<THoliday> NationalHolidays(int year) {
    if (year < kFirstHolidayYear || year > kLastHolidayYear)
        return {};
    const std::map<Date, std::string> statutory = Statutory(year);
    std::map<Date, std::string> all = statutory;
    // A day between two holidays is a holiday itself (before 2007 not on a Sunday).
    for (const auto& [date, name] : statutory) {
        const Date between = Next(year, date);
        if (between.first > 12 || statutory.count(between) || !statutory.count(Next(year, between)))
            continue;
        if (year >= 2007 || Weekday(year, between.first, between.second) != 0)
            all[between] = "国民の休日";
    }
    // A holiday on a Sunday gives the next working day (before 2007: the Monday only).
    for (const auto& [date, name] : statutory) {
        if (Weekday(year, date.first, date.second) != 0)
            continue;
        Date substitute = Next(year, date);
        if (year >= 2007)
            while (substitute.first <= 12 && all.count(substitute))
                substitute = Next(year, substitute);
        if (substitute.first <= 12 && !all.count(substitute))
            all[substitute] = "振替休日";
    }
    std::vector<THoliday> out;
    for (const auto& [date, name] : all)
        out.push_back({date.first, date.second, name});
    return out;
}

} // namespace muralto

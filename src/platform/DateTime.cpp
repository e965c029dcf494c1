#include "DateTime.h"

#include <chrono>
#include <cmath>

namespace muralto {

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(y + (month <= 2));
}

constexpr int64_t kDaysTo1970 = 25569; // 1899-12-30 to 1970-01-01

} // namespace

TDateTime EncodeDateTime(const DateParts& p) {
    const int64_t days = DaysFromCivil(p.year, unsigned(p.month), unsigned(p.day)) + kDaysTo1970;
    const double time =
        ((p.hour * 60.0 + p.minute) * 60.0 + p.second + p.millisecond / 1000.0) / 86400.0;
    return double(days) + time;
}

DateParts DecodeDateTime(TDateTime value) {
    DateParts p;
    // Round to the millisecond first so 0.5 s stays 0.5 s after the round trip.
    const auto ms = static_cast<int64_t>(std::llround(value * 86400000.0));
    int64_t days = ms / 86400000;
    int64_t rest = ms % 86400000;
    if (rest < 0) {
        rest += 86400000;
        --days;
    }
    CivilFromDays(days - kDaysTo1970, p.year, p.month, p.day);
    p.hour = int(rest / 3600000);
    p.minute = int(rest / 60000 % 60);
    p.second = int(rest / 1000 % 60);
    p.millisecond = int(rest % 1000);
    return p;
}

TDateTime FromUnixTime(std::time_t seconds, int milliseconds) {
    std::tm local{};
    localtime_r(&seconds, &local);
    DateParts p;
    p.year = local.tm_year + 1900;
    p.month = local.tm_mon + 1;
    p.day = local.tm_mday;
    p.hour = local.tm_hour;
    p.minute = local.tm_min;
    p.second = local.tm_sec;
    p.millisecond = milliseconds;
    return EncodeDateTime(p);
}

TDateTime SystemClock::Now() const {
    const auto now = std::chrono::system_clock::now();
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    return FromUnixTime(std::time_t(ms / 1000), int(ms % 1000));
}

} // namespace muralto

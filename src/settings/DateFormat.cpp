#include "DateFormat.h"

#include <cctype>
#include <cmath>
#include <cstdio>

namespace muralto {

namespace {

const TJapaneseEra kEras[] = {
    {"明治", "明", 1868, 1, 1}, {"大正", "大", 1912, 7, 30}, {"昭和", "昭", 1926, 12, 25},
    {"平成", "平", 1989, 1, 8}, {"令和", "令", 2019, 5, 1},
};

// A nested format ("c" inside the short date format, say) goes at most this deep.
constexpr int kMaxDepth = 3;

std::string Number(int value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", digits, value);
    return text;
}

const TJapaneseEra* EraOf(const DateParts& p) {
    const TJapaneseEra* found = nullptr;
    for (const TJapaneseEra& era : kEras) {
        const bool started = p.year != era.year
                                 ? p.year > era.year
                                 : (p.month != era.month ? p.month > era.month : p.day >= era.day);
        if (started)
            found = &era;
    }
    return found;
}

class Formatter {
public:
    Formatter(TDateTime value, const TFormatNames& names)
        : value_(value), parts_(DecodeDateTime(value)), names_(names) {}

    void Append(const std::string& format, int depth) {
        if (depth > kMaxDepth)
            return;
        const bool twelveHour = HasAmPm(format);
        bool afterHour = false;
        size_t i = 0;
        while (i < format.size()) {
            const char c = format[i];
            const char lower = char(std::tolower(static_cast<unsigned char>(c)));
            if (c == '"' || c == '\'') {
                const size_t end = format.find(c, i + 1);
                const size_t stop = end == std::string::npos ? format.size() : end;
                out_.append(format, i + 1, stop - i - 1);
                i = stop == format.size() ? stop : stop + 1;
                continue;
            }
            if (lower == 'a') {
                i += AmPm(format, i);
                continue;
            }
            const int count = RunLength(format, i, lower);
            if (!Letter(lower, count, twelveHour, afterHour, depth)) {
                out_ += c == '/'   ? names_.DateSeparator
                        : c == ':' ? names_.TimeSeparator
                                   : std::string(1, c);
                ++i;
                continue;
            }
            afterHour = lower == 'h';
            i += size_t(count);
        }
    }

    std::string Text() const { return out_; }

private:
    static int RunLength(const std::string& format, size_t at, char lower) {
        size_t end = at;
        while (end < format.size() &&
               std::tolower(static_cast<unsigned char>(format[end])) == lower)
            ++end;
        return int(end - at);
    }

    static bool StartsWithNoCase(const std::string& text, size_t at, const char* word) {
        for (size_t k = 0; word[k]; ++k)
            if (at + k >= text.size() ||
                std::tolower(static_cast<unsigned char>(text[at + k])) != word[k])
                return false;
        return true;
    }

    static bool HasAmPm(const std::string& format) {
        for (size_t i = 0; i < format.size(); ++i)
            if (StartsWithNoCase(format, i, "am/pm") || StartsWithNoCase(format, i, "a/p") ||
                StartsWithNoCase(format, i, "ampm"))
                return true;
        return false;
    }

    // The am/pm markers; returns how many characters were used (a lone "a" is copied).
    size_t AmPm(const std::string& format, size_t at) {
        const bool pm = parts_.hour >= 12;
        if (StartsWithNoCase(format, at, "am/pm")) {
            out_.append(format, pm ? at + 3 : at, 2);
            return 5;
        }
        if (StartsWithNoCase(format, at, "a/p")) {
            out_ += format[pm ? at + 2 : at];
            return 3;
        }
        if (StartsWithNoCase(format, at, "ampm")) {
            out_ += pm ? names_.TimePMString : names_.TimeAMString;
            return 4;
        }
        out_ += format[at];
        return 1;
    }

    bool Letter(char lower, int count, bool twelveHour, bool afterHour, int depth) {
        const DateParts& p = parts_;
        switch (lower) {
        case 'y':
            out_ += count <= 2 ? Number(p.year % 100, 2) : Number(p.year, 4);
            return true;
        case 'g':
        case 'e':
            Era(lower, count);
            return true;
        case 'm':
            if (afterHour && count <= 2)
                out_ += Number(p.minute, count);
            else if (count <= 2)
                out_ += Number(p.month, count);
            else
                out_ += (count == 3 ? names_.ShortMonthNames
                                    : names_.LongMonthNames)[size_t(p.month - 1)];
            return true;
        case 'd':
            Day(count, depth);
            return true;
        case 'h': {
            int hour = p.hour;
            if (twelveHour)
                hour = hour % 12 == 0 ? 12 : hour % 12;
            out_ += Number(hour, count == 1 ? 1 : 2);
            return true;
        }
        case 'n':
            out_ += Number(p.minute, count == 1 ? 1 : 2);
            return true;
        case 's':
            out_ += Number(p.second, count == 1 ? 1 : 2);
            return true;
        case 'z':
            out_ += Number(p.millisecond, count == 1 ? 1 : 3);
            return true;
        case 't':
            Append(count == 1 ? names_.ShortTimeFormat : names_.LongTimeFormat, depth + 1);
            return true;
        case 'c':
            for (int k = 0; k < count; ++k) {
                Append(names_.ShortDateFormat, depth + 1);
                out_ += ' ';
                Append(names_.LongTimeFormat, depth + 1);
            }
            return true;
        default:
            return false;
        }
    }

    void Day(int count, int depth) {
        const int weekday = DayOfWeek(value_);
        switch (count) {
        case 1:
        case 2:
            out_ += Number(parts_.day, count);
            break;
        case 3:
            out_ += names_.ShortDayNames[size_t(weekday)];
            break;
        case 4:
            out_ += names_.LongDayNames[size_t(weekday)];
            break;
        case 5:
            Append(names_.ShortDateFormat, depth + 1);
            break;
        default:
            Append(names_.LongDateFormat, depth + 1);
            break;
        }
    }

    // Dates before the first era print no era name and the year of the calendar.
    void Era(char lower, int count) {
        const TJapaneseEra* era = EraOf(parts_);
        if (lower == 'g') {
            if (era)
                out_ += count == 1 ? era->shortName : era->name;
            return;
        }
        const int year = era ? parts_.year - era->year + 1 : parts_.year;
        out_ += Number(year, count == 1 ? 1 : 2);
    }

    TDateTime value_;
    DateParts parts_;
    const TFormatNames& names_;
    std::string out_;
};

} // namespace

const TJapaneseEra* JapaneseEras(int& count) {
    count = int(std::size(kEras));
    return kEras;
}

int DayOfWeek(TDateTime value) {
    // Rounded to the millisecond as the date parts are; day 0, 1899-12-30, was a Saturday.
    const long long ms = std::llround(value * 86400000.0);
    const long long days = ms / 86400000 - (ms % 86400000 < 0 ? 1 : 0);
    return int(((days + 6) % 7 + 7) % 7);
}

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[(month - 1 + 12) % 12];
}

std::string FormatDateTime(const std::string& format, TDateTime value, const TFormatNames& names) {
    Formatter formatter(value, names);
    formatter.Append(format.empty() ? "c" : format, 0);
    return formatter.Text();
}

} // namespace muralto

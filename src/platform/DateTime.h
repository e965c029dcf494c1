#pragma once
// Date-time values as the program stores them: days since 1899-12-30, the time of day
// as the fraction, in local time.
#include <cstdint>
#include <ctime>

namespace muralto {

using TDateTime = double;

struct DateParts {
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0, millisecond = 0;
};

TDateTime EncodeDateTime(const DateParts& parts);
DateParts DecodeDateTime(TDateTime value);
// Local wall-clock time of a Unix time.
TDateTime FromUnixTime(std::time_t seconds, int milliseconds = 0);

class Clock {
public:
    virtual ~Clock() = default;
    virtual TDateTime Now() const = 0;
};

class SystemClock final : public Clock {
public:
    TDateTime Now() const override;
};

class FixedClock final : public Clock {
public:
    explicit FixedClock(TDateTime now) : now_(now) {}
    TDateTime Now() const override { return now_; }
    void Set(TDateTime now) { now_ = now; }

private:
    TDateTime now_;
};

} // namespace muralto

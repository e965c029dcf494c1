#include "platform/DateTime.h"

#include <gtest/gtest.h>

namespace muralto {
namespace {

TEST(DateTime, DayCountsFrom1899) {
    EXPECT_DOUBLE_EQ(EncodeDateTime({1899, 12, 30, 0, 0, 0, 0}), 0.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime({1900, 1, 1, 0, 0, 0, 0}), 2.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime({2000, 1, 1, 0, 0, 0, 0}), 36526.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime({2000, 1, 1, 18, 0, 0, 0}), 36526.75);
    EXPECT_DOUBLE_EQ(EncodeDateTime({1899, 12, 29, 12, 0, 0, 0}), -0.5);
}

TEST(DateTime, DecodeReversesEncode) {
    const DateParts parts{2024, 2, 29, 23, 59, 58, 500};
    const DateParts back = DecodeDateTime(EncodeDateTime(parts));
    EXPECT_EQ(back.year, 2024);
    EXPECT_EQ(back.month, 2);
    EXPECT_EQ(back.day, 29);
    EXPECT_EQ(back.hour, 23);
    EXPECT_EQ(back.minute, 59);
    EXPECT_EQ(back.second, 58);
    EXPECT_EQ(back.millisecond, 500);
}

} // namespace
} // namespace muralto

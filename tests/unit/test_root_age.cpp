// The root list's age test against MS-DOS time stamps, and the time part of date texts.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "trustreg/root_age.h"

namespace {

// Packs a local date and time the way FileTimeToDosDateTime does: date in the
// high word (year since 1980, month, day), time in the low word (hour, minute,
// seconds in two-second steps).
int64_t Dos(int year, int month, int day, int hour, int minute, int second)
{
    uint32_t date = static_cast<uint32_t>(((year - 1980) << 9) | (month << 5) | day);
    uint32_t clock = static_cast<uint32_t>((hour << 11) | (minute << 5) | (second / 2));
    return static_cast<int64_t>((date << 16) | clock);
}

LocalTime At(int year, int month, int day, int hour, int minute, int second, int millisecond = 0)
{
    return LocalTime{year, month, day, hour, minute, second, millisecond};
}

} // namespace

TEST(IsFileOlderThan, ComparesTheAgeWithTheLimit)
{
    struct Row {
        const char* name;
        int64_t stamp;
        int32_t seconds;
        bool valueIfUndetermined;
        LocalTime now;
        bool expected;
    };
    // 2024 is a leap year: from 15 January to 15 March are exactly 60 days.
    const LocalTime now = At(2024, 3, 15, 12, 0, 0);
    const Row rows[] = {
        {"exactly 60 days is not older", Dos(2024, 1, 15, 12, 0, 0), kFreshnessSeconds, true, now, false},
        {"60 days and 2 seconds is older", Dos(2024, 1, 15, 11, 59, 58), kFreshnessSeconds, false, now, true},
        {"2 seconds short of 60 days", Dos(2024, 1, 15, 12, 0, 2), kFreshnessSeconds, true, now, false},
        {"60 days and 1 ms of the current time", Dos(2024, 1, 15, 12, 0, 0), kFreshnessSeconds, false,
         At(2024, 3, 15, 12, 0, 0, 1), true},
        {"no 29 February in 2023", Dos(2023, 1, 14, 11, 59, 58), kFreshnessSeconds, false, At(2023, 3, 15, 12, 0, 0),
         true},
        {"no 29 February in 2023, exactly 60 days", Dos(2023, 1, 14, 12, 0, 0), kFreshnessSeconds, true,
         At(2023, 3, 15, 12, 0, 0), false},
        {"across a year end", Dos(2023, 11, 3, 8, 0, 0), kFreshnessSeconds, false, At(2024, 1, 2, 8, 0, 2), true},
        {"across a year end, exactly 60 days", Dos(2023, 11, 3, 8, 0, 0), kFreshnessSeconds, true,
         At(2024, 1, 2, 8, 0, 0), false},
        {"fresh copy", Dos(2024, 3, 1, 0, 0, 0), kFreshnessSeconds, true, now, false},
        {"stamp in the future", Dos(2024, 3, 16, 0, 0, 0), kFreshnessSeconds, true, now, false},
        {"stamp in the future, no limit", Dos(2024, 3, 15, 12, 0, 2), 0, true, now, false},
        {"same second, no limit", Dos(2024, 3, 15, 12, 0, 0), 0, true, now, false},
        {"2 seconds, no limit", Dos(2024, 3, 15, 11, 59, 58), 0, false, now, true},
        {"the largest limit is not exceeded", Dos(1980, 1, 1, 0, 0, 0), INT32_MAX, true, now, false},
        {"the largest limit is exceeded", Dos(1980, 1, 1, 0, 0, 0), INT32_MAX, false, At(2050, 1, 1, 0, 0, 0), true},
        {"latest DOS year", Dos(2107, 12, 31, 23, 59, 58), kFreshnessSeconds, false, At(2108, 3, 1, 0, 0, 0), true},
        {"negative seconds give the fallback true", Dos(2024, 3, 15, 12, 0, 0), -1, true, now, true},
        {"negative seconds give the fallback false", Dos(1990, 1, 1, 0, 0, 0), -1, false, now, false},
        {"no time stamp gives the fallback true", kNoTimeStamp, kFreshnessSeconds, true, now, true},
        {"no time stamp gives the fallback false", kNoTimeStamp, kFreshnessSeconds, false, now, false},
        {"month 0 is no date", Dos(2020, 0, 1, 0, 0, 0), kFreshnessSeconds, false, now, false},
        {"month 13 is no date", Dos(2020, 13, 1, 0, 0, 0), kFreshnessSeconds, false, now, false},
        {"day 0 is no date", Dos(2020, 1, 0, 0, 0, 0), kFreshnessSeconds, false, now, false},
        {"30 February is no date", Dos(2020, 2, 30, 0, 0, 0), kFreshnessSeconds, false, now, false},
        {"29 February 2023 is no date", Dos(2023, 2, 29, 0, 0, 0), kFreshnessSeconds, false, now, false},
        {"29 February 2000 is a date", Dos(2000, 2, 29, 0, 0, 0), kFreshnessSeconds, false, now, true},
        {"29 February 2100 is no date", Dos(2100, 2, 29, 0, 0, 0), kFreshnessSeconds, false, At(2101, 1, 1, 0, 0, 0),
         false},
        {"31 April is no date", Dos(2020, 4, 31, 0, 0, 0), kFreshnessSeconds, false, now, false},
        {"hour 24 is no time", Dos(2020, 1, 1, 24, 0, 0), kFreshnessSeconds, false, now, false},
        {"minute 60 is no time", Dos(2020, 1, 1, 0, 60, 0), kFreshnessSeconds, false, now, false},
        {"second 60 is no time", Dos(2020, 1, 1, 0, 0, 60), kFreshnessSeconds, false, now, false},
        {"more than 32 bits is no stamp", (int64_t{1} << 32) | Dos(2020, 1, 1, 0, 0, 0), kFreshnessSeconds, false,
         now, false},
        {"other negative values are no stamp", -2, kFreshnessSeconds, true, now, true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.expected, IsFileOlderThan(row.stamp, row.seconds, row.valueIfUndetermined, row.now))
            << row.name;
}

TEST(UnpackDosDateTime, ReadsEveryField)
{
    LocalTime time{};
    ASSERT_TRUE(UnpackDosDateTime(static_cast<uint32_t>(Dos(2107, 12, 31, 23, 59, 58)), time));
    EXPECT_EQ(2107, time.year);
    EXPECT_EQ(12, time.month);
    EXPECT_EQ(31, time.day);
    EXPECT_EQ(23, time.hour);
    EXPECT_EQ(59, time.minute);
    EXPECT_EQ(58, time.second);
    EXPECT_EQ(0, time.millisecond);
}

TEST(FormatTimeOfDay, FollowsTheLongTimeStyle)
{
    const TimeStyle japanese{false, false, false, ":", "午前", "午後"};
    const TimeStyle withZero{true, false, false, ":", "AM", "PM"};
    const TimeStyle markAfter{false, true, false, ":", "AM", "PM"};
    const TimeStyle markBefore{false, true, true, ":", "AM", "PM"};
    const TimeStyle markBeforeZero{true, true, true, ".", "AM", "PM"};
    struct Row {
        const char* name;
        LocalTime time;
        TimeStyle style;
        std::string expected;
    };
    const Row rows[] = {
        {"24 h without leading zero", At(2024, 3, 5, 9, 5, 7), japanese, "9:05:07"},
        {"24 h two-digit hour", At(2024, 3, 5, 13, 0, 0), japanese, "13:00:00"},
        {"24 h just after midnight", At(2024, 3, 5, 0, 0, 1), japanese, "0:00:01"},
        {"24 h with leading zero", At(2024, 3, 5, 9, 5, 7), withZero, "09:05:07"},
        {"24 h midnight hour with leading zero", At(2024, 3, 5, 0, 30, 0), withZero, "00:30:00"},
        {"milliseconds are not written", At(2024, 3, 5, 23, 59, 59, 999), withZero, "23:59:59"},
        {"12 h afternoon, mark after", At(2024, 3, 5, 13, 5, 7), markAfter, "1:05:07 PM"},
        {"12 h morning, mark after", At(2024, 3, 5, 11, 59, 59), markAfter, "11:59:59 AM"},
        {"12 h noon", At(2024, 3, 5, 12, 0, 0), markAfter, "12:00:00 PM"},
        {"12 h half past midnight", At(2024, 3, 5, 0, 30, 0), markAfter, "12:30:00 AM"},
        {"12 h mark before", At(2024, 3, 5, 13, 5, 7), markBefore, "PM 1:05:07"},
        {"12 h mark before, leading zero and separator", At(2024, 3, 5, 21, 5, 7), markBeforeZero, "PM 09.05.07"},
        {"12 h Japanese marks", At(2024, 3, 5, 9, 5, 7), TimeStyle{false, true, true, ":", "午前", "午後"},
         "午前 9:05:07"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.expected, FormatTimeOfDay(row.time, row.style)) << row.name;
}

TEST(JoinDateAndTime, ShowsTheDateOnlyAtMidnight)
{
    const TimeStyle japanese{false, false, false, ":", "AM", "PM"};
    const TimeStyle twelveHour{false, true, true, ":", "AM", "PM"};
    struct Row {
        const char* name;
        LocalTime time;
        TimeStyle style;
        std::string expected;
    };
    const Row rows[] = {
        {"midnight", At(2024, 3, 5, 0, 0, 0), japanese, "2024/03/05"},
        {"midnight, 12 h", At(2024, 3, 5, 0, 0, 0), twelveHour, "2024/03/05"},
        {"one second after midnight", At(2024, 3, 5, 0, 0, 1), japanese, "2024/03/05 0:00:01"},
        {"one minute after midnight, 12 h", At(2024, 3, 5, 0, 1, 0), twelveHour, "2024/03/05 AM 12:01:00"},
        {"afternoon", At(2024, 3, 5, 15, 4, 2), japanese, "2024/03/05 15:04:02"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.expected, JoinDateAndTime("2024/03/05", row.time, row.style)) << row.name;
}

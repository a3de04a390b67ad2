#include <gtest/gtest.h>

#include "platform/clock.h"

namespace {

using platform::LocalTime;
using platform::PackDosTime;

TEST(DosTime, FieldLayoutAndRoundTrip) {
    constexpr LocalTime t{2024, 3, 15, 13, 45, 30};
    constexpr std::uint32_t packed = (44u << 25) | (3u << 21) | (15u << 16) | (13u << 11) | (45u << 5) | 15u;
    static_assert(PackDosTime(t) == packed);
    LocalTime back = platform::UnpackDosTime(packed);
    EXPECT_EQ(back.year, 2024);
    EXPECT_EQ(back.month, 3);
    EXPECT_EQ(back.day, 15);
    EXPECT_EQ(back.hour, 13);
    EXPECT_EQ(back.minute, 45);
    EXPECT_EQ(back.second, 30);
}

TEST(DosTime, TwoSecondResolutionAndUnsignedOrder) {
    EXPECT_EQ(PackDosTime({2024, 3, 15, 13, 45, 30}), PackDosTime({2024, 3, 15, 13, 45, 31}));
    EXPECT_LT(PackDosTime({2024, 3, 15, 13, 45, 31}), PackDosTime({2024, 3, 15, 13, 45, 32}));
    // From 2044 on the top bit is set; a later time must still be the larger number.
    EXPECT_GT(PackDosTime({2050, 1, 1, 0, 0, 0}), PackDosTime({2030, 12, 31, 23, 59, 58}));
    EXPECT_GT(PackDosTime({2044, 1, 1, 0, 0, 0}), PackDosTime({2043, 12, 31, 23, 59, 58}));
}

TEST(DosTime, OutOfRangeYearsPackAsTheNearestTimeHeld) {
    EXPECT_EQ(PackDosTime({1970, 6, 1, 12, 0, 0}), PackDosTime({1980, 1, 1, 0, 0, 0}));
    EXPECT_EQ(PackDosTime({1601, 1, 1, 0, 0, 0}), 0x00210000u);
    EXPECT_EQ(PackDosTime({2200, 1, 1, 0, 0, 0}), PackDosTime({2107, 12, 31, 23, 59, 58}));
}

TEST(FileTimes, ConvertToTheLocalCalendar) {
    // 2030-06-15 12:00:00 UTC; no zone is more than 14 hours away.
    constexpr platform::FileTime noon = (1'907'755'200LL + 11'644'473'600LL) * 10'000'000LL;
    LocalTime t = platform::ToLocalTime(noon);
    EXPECT_EQ(t.year, 2030);
    EXPECT_EQ(t.month, 6);
    EXPECT_TRUE(t.day == 14 || t.day == 15 || t.day == 16);
    EXPECT_EQ(t.minute % 15, 0);
    EXPECT_EQ(platform::ToLocalTime(noon + 10'000'000).second, t.second + 1);
    // Before 1980 (here 1970 and 1601) packs as the earliest value.
    EXPECT_EQ(platform::PackFileTime(11'644'473'600LL * 10'000'000LL), 0x00210000u);
    EXPECT_EQ(platform::PackFileTime(0), 0x00210000u);
}

TEST(DateFormats, TimeOfDayLeftOutAtMidnight) {
    LocalTime midnight{2024, 3, 15, 0, 0, 0}, later{2024, 3, 15, 9, 5, 7};
    EXPECT_EQ(platform::FormatDateTime(midnight), platform::FormatShortDate(midnight));
    EXPECT_EQ(platform::FormatDateTime(later),
              platform::FormatShortDate(later) + " " + platform::FormatLongTime(later));
    EXPECT_NE(platform::FormatShortDate(later).find("2024"), std::string::npos);
    EXPECT_NE(platform::FormatLongTime(later).find("05"), std::string::npos);
#ifndef _WIN32
    EXPECT_EQ(platform::FormatDateTime(later), "15/03/2024 09:05:07");
#endif
    LocalTime now = platform::CurrentLocalTime();
    EXPECT_GE(now.year, 2024);
}

}  // namespace

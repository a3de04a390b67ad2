#pragma once
// File times, the packed MS-DOS form the item lists compare, and the user's date and time formats.
#include <cstdint>
#include <string>

namespace platform {

// A file's time as Windows counts it: 100-nanosecond intervals since 1601-01-01 UTC.
using FileTime = std::int64_t;

// A time of day on the local calendar.
struct LocalTime {
    int year = 1980, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
};

// The MS-DOS date and time: years since 1980 in bits 25-31, month 21-24, day 16-20, hours 11-15,
// minutes 5-10, seconds / 2 in 0-4. Unsigned, so later times are always larger numbers. Times outside
// 1980-2107 pack as the nearest time the format holds.
constexpr std::uint32_t PackDosTime(const LocalTime& t) {
    if (t.year < 1980) return (1u << 21) | (1u << 16);
    if (t.year > 2107) return (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u;
    return (static_cast<std::uint32_t>(t.year - 1980) << 25) | (static_cast<std::uint32_t>(t.month) << 21) |
           (static_cast<std::uint32_t>(t.day) << 16) | (static_cast<std::uint32_t>(t.hour) << 11) |
           (static_cast<std::uint32_t>(t.minute) << 5) | static_cast<std::uint32_t>(t.second / 2);
}

constexpr LocalTime UnpackDosTime(std::uint32_t packed) {
    LocalTime t;
    t.year = 1980 + static_cast<int>(packed >> 25);
    t.month = static_cast<int>((packed >> 21) & 15);
    t.day = static_cast<int>((packed >> 16) & 31);
    t.hour = static_cast<int>((packed >> 11) & 31);
    t.minute = static_cast<int>((packed >> 5) & 63);
    t.second = static_cast<int>(packed & 31) * 2;
    return t;
}

// The file time on the local calendar, with the daylight-saving rule of that date.
LocalTime ToLocalTime(FileTime time);
inline std::uint32_t PackFileTime(FileTime time) { return PackDosTime(ToLocalTime(time)); }

LocalTime CurrentLocalTime();

// The user's short date and long time formats ("dd/MM/yyyy" and "HH:mm:ss" natively).
std::string FormatShortDate(const LocalTime& t);
std::string FormatLongTime(const LocalTime& t);
// The date, then one blank and the time unless the time is exactly midnight.
inline std::string FormatDateTime(const LocalTime& t) {
    std::string text = FormatShortDate(t);
    if (t.hour != 0 || t.minute != 0 || t.second != 0) text += ' ' + FormatLongTime(t);
    return text;
}

}  // namespace platform

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

inline constexpr std::uint32_t kFirstPackedTime = PackDosTime({1979, 1, 1, 0, 0, 0});
inline constexpr std::uint32_t kLastPackedTime = PackDosTime({2108, 1, 1, 0, 0, 0});

// The file time on the local calendar, with the zone's rule for that date, as other programs show it.
// Not for comparisons: it runs backward in the hour repeated when daylight saving ends.
LocalTime ToLocalTime(FileTime time);

// The file time packed as the item lists compare it: moved onto the local calendar by one bias, the
// one in force when the program first asks (as FileTimeToLocalFileTime moves it), so a later time
// never packs as an earlier one, whatever the dates and however the clock moves during a run.
std::uint32_t PackFileTime(FileTime time);

// Orders two copies' times (packed, and the file times they were packed from): below 0 when a is
// older. Every time before 1980 packs as the format's first one (and after 2107 as its last); two such
// times are told apart by the file times themselves, in the format's two-second steps, so different
// times never count as equal. Within 1980-2107 the packed times alone decide.
constexpr int CompareItemTimes(std::uint32_t packedA, FileTime a, std::uint32_t packedB, FileTime b) {
    if (packedA == packedB && (packedA == kFirstPackedTime || packedA == kLastPackedTime)) {
        constexpr FileTime kStep = 20'000'000;  // two seconds
        FileTime stepA = a / kStep - (a % kStep < 0), stepB = b / kStep - (b % kStep < 0);
        return stepA < stepB ? -1 : stepA > stepB ? 1 : 0;
    }
    return packedA < packedB ? -1 : packedA > packedB ? 1 : 0;
}

LocalTime CurrentLocalTime();
// Now, as a file time.
FileTime CurrentFileTime();

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

#include <ctime>
#include <cstdio>

#include "platform/clock.h"

namespace platform {

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;

LocalTime FromTm(const std::tm& tm) {
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string Format(const char* pattern, int a, int b, int c) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, pattern, a, b, c);
    return buffer;
}

std::time_t UnixSeconds(FileTime time) {
    std::int64_t seconds = time / kTicksPerSecond - (time % kTicksPerSecond < 0 ? 1 : 0);
    return static_cast<std::time_t>(seconds - kSecondsFrom1601To1970);
}

// Read once, so every comparison of the run uses the same one.
long LocalOffsetSeconds() {
    static const long offset = [] {
        std::time_t now = std::time(nullptr);
        std::tm tm{};
        return localtime_r(&now, &tm) ? tm.tm_gmtoff : 0L;
    }();
    return offset;
}

}  // namespace

std::uint32_t PackFileTime(FileTime time) {
    std::time_t t = UnixSeconds(time) + LocalOffsetSeconds();
    std::tm tm{};
    if (!gmtime_r(&t, &tm)) return kLastPackedTime;
    return PackDosTime(FromTm(tm));
}

LocalTime ToLocalTime(FileTime time) {
    std::time_t t = UnixSeconds(time);
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return LocalTime{};
    return FromTm(tm);
}

FileTime CurrentFileTime() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return (static_cast<std::int64_t>(now.tv_sec) + kSecondsFrom1601To1970) * kTicksPerSecond + now.tv_nsec / 100;
}

LocalTime CurrentLocalTime() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return FromTm(tm);
}

std::string FormatShortDate(const LocalTime& t) { return Format("%02d/%02d/%04d", t.day, t.month, t.year); }

std::string FormatLongTime(const LocalTime& t) { return Format("%02d:%02d:%02d", t.hour, t.minute, t.second); }

}  // namespace platform

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

}  // namespace

LocalTime ToLocalTime(FileTime time) {
    std::int64_t seconds = time / kTicksPerSecond - (time % kTicksPerSecond < 0 ? 1 : 0);
    std::time_t t = static_cast<std::time_t>(seconds - kSecondsFrom1601To1970);
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return LocalTime{};
    return FromTm(tm);
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

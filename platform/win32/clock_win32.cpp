#include <windows.h>

#include "platform/clock.h"
#include "platform/win32/wide.h"

namespace platform {

namespace {

LocalTime FromSystemTime(const SYSTEMTIME& st) {
    return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

SYSTEMTIME ToSystemTime(const LocalTime& t) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(t.year);
    st.wMonth = static_cast<WORD>(t.month);
    st.wDay = static_cast<WORD>(t.day);
    st.wHour = static_cast<WORD>(t.hour);
    st.wMinute = static_cast<WORD>(t.minute);
    st.wSecond = static_cast<WORD>(t.second);
    return st;
}

// Read once: a scan converts every file's time, and the zone does not change during a run.
TIME_ZONE_INFORMATION* Zone() {
    static TIME_ZONE_INFORMATION zone = [] {
        TIME_ZONE_INFORMATION z{};
        GetTimeZoneInformation(&z);
        return z;
    }();
    return &zone;
}

FILETIME ToFiletime(FileTime time) {
    return FILETIME{static_cast<DWORD>(time & 0xFFFFFFFF), static_cast<DWORD>(static_cast<std::uint64_t>(time) >> 32)};
}

// Read once, so every comparison of the run uses the same one.
FileTime LocalBias() {
    static const FileTime bias = [] {
        FILETIME now{}, local{};
        GetSystemTimeAsFileTime(&now);
        if (!FileTimeToLocalFileTime(&now, &local)) return FileTime{0};
        auto ticks = [](const FILETIME& f) {
            return static_cast<FileTime>((static_cast<std::uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
        };
        return ticks(local) - ticks(now);
    }();
    return bias;
}

}  // namespace

std::uint32_t PackFileTime(FileTime time) {
    FileTime local = time + LocalBias();
    if (local < 0) return kFirstPackedTime;
    FILETIME ft = ToFiletime(local);
    SYSTEMTIME st{};
    if (!FileTimeToSystemTime(&ft, &st)) return kLastPackedTime;
    return PackDosTime(FromSystemTime(st));
}

LocalTime ToLocalTime(FileTime time) {
    if (time < 0) return LocalTime{1601, 1, 1, 0, 0, 0};
    FILETIME ft = ToFiletime(time);
    SYSTEMTIME utc{}, local{};
    if (!FileTimeToSystemTime(&ft, &utc)) return LocalTime{30827, 12, 31, 23, 59, 59};
    if (!SystemTimeToTzSpecificLocalTime(Zone(), &utc, &local)) return FromSystemTime(utc);
    return FromSystemTime(local);
}

FileTime CurrentFileTime() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return static_cast<FileTime>((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
}

LocalTime CurrentLocalTime() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return FromSystemTime(st);
}

std::string FormatShortDate(const LocalTime& t) {
    SYSTEMTIME st = ToSystemTime(t);
    wchar_t buffer[128];
    int n = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, 128, nullptr);
    return n > 0 ? Narrow(std::wstring_view(buffer, static_cast<size_t>(n - 1))) : std::string();
}

std::string FormatLongTime(const LocalTime& t) {
    SYSTEMTIME st = ToSystemTime(t);
    wchar_t buffer[128];
    int n = GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &st, nullptr, buffer, 128);
    return n > 0 ? Narrow(std::wstring_view(buffer, static_cast<size_t>(n - 1))) : std::string();
}

}  // namespace platform

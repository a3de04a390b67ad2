#include "tests/support/test_support.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include "platform/program_values.h"
#else
#include <unistd.h>

#include "platform/program_values.h"
#endif

namespace fs = std::filesystem;

namespace testing_support {

namespace {

fs::path UniqueFolder(std::string_view stem) {
    static std::atomic<int> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return fs::temp_directory_path() /
           (std::string(stem) + "-" + std::to_string(stamp) + "-" + std::to_string(counter++));
}

std::string ToUtf8(const fs::path& p) {
    auto u8 = p.u8string();
    return std::string(u8.begin(), u8.end());
}

fs::path FromUtf8(std::string_view s) { return fs::path(std::u8string(s.begin(), s.end())); }

#ifndef _WIN32
fs::path KeyFile() { return fs::temp_directory_path() / ("mirv98-program-key-" + std::to_string(getpid())); }
#endif

}  // namespace

TempFolder::TempFolder() : path_(UniqueFolder("mirv98-test")) { fs::create_directories(path_); }

TempFolder::~TempFolder() {
    std::error_code ec;
    // Files made read-only by a test must not stop the clean-up.
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
#ifdef _WIN32
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
    fs::remove_all(path_, ec);
}

std::string TempFolder::Core(std::string_view relative) const {
    fs::path p = relative.empty() ? path_ : path_ / FromUtf8(relative);
#ifdef _WIN32
    p.make_preferred();
#endif
    return ToUtf8(p);
}

void TempFolder::Write(std::string_view relative, std::string_view bytes) const {
    fs::path p = path_ / FromUtf8(relative);
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempFolder::Read(std::string_view relative) const {
    std::ifstream in(path_ / FromUtf8(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool TempFolder::Exists(std::string_view relative) const { return fs::exists(path_ / FromUtf8(relative)); }

void TempFolder::Age(std::string_view relative, int days) const {
    fs::last_write_time(path_ / FromUtf8(relative), fs::file_time_type::clock::now() - std::chrono::hours(24 * days));
}

std::map<std::string, std::string> TempFolder::Snapshot() const {
    std::map<std::string, std::string> tree;
    for (const auto& e : fs::recursive_directory_iterator(path_)) {
        std::u8string generic = fs::relative(e.path(), path_).generic_u8string();
        std::string relative(generic.begin(), generic.end());
        if (e.is_directory()) {
            tree[relative] = "folder";
            continue;
        }
        auto seconds = std::chrono::duration_cast<std::chrono::seconds>(e.last_write_time().time_since_epoch());
        tree[relative] = std::to_string(e.file_size()) + " " + std::to_string(seconds.count()) + " " + Read(relative);
    }
    return tree;
}

#ifdef _WIN32
ExclusiveOpen::ExclusiveOpen(const fs::path& path)
    : handle_(CreateFileW(path.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}

ExclusiveOpen::~ExclusiveOpen() {
    if (held()) CloseHandle(handle_);
}

bool ExclusiveOpen::held() const { return handle_ != INVALID_HANDLE_VALUE; }

ProgramKey::ProgramKey() {
    Remove();
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, std::wstring(platform::kProgramKeyPath).c_str(), 0, nullptr, 0,
                    KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key, nullptr);
    if (key) RegCloseKey(key);
}

ProgramKey::~ProgramKey() { Remove(); }

bool ProgramKey::StoreNumber(const wchar_t* name, unsigned long value) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, std::wstring(platform::kProgramKeyPath).c_str(), 0,
                      KEY_SET_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return false;
    DWORD number = value;
    bool stored =
        RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number) == ERROR_SUCCESS;
    RegCloseKey(key);
    return stored;
}

void ProgramKey::Remove() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, std::wstring(platform::kProgramKeyPath).c_str());
}
#else
ProgramKey::ProgramKey() {
    Remove();
    setenv(platform::kProgramKeyEnvironment, ToUtf8(KeyFile()).c_str(), 1);
    std::ofstream(KeyFile()).flush();
}

ProgramKey::~ProgramKey() { Remove(); }

void ProgramKey::Remove() {
    std::error_code ec;
    fs::remove(KeyFile(), ec);
    setenv(platform::kProgramKeyEnvironment, ToUtf8(KeyFile()).c_str(), 1);
}
#endif

}  // namespace testing_support

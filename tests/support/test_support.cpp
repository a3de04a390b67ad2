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

namespace {

// Runs a command of the Linux shell and waits for it. Under Wine a Windows program can start a Linux
// one but cannot wait for it: the command leaves a mark when it is over, and the caller waits for that.
void RunShell(const std::string& command, const std::string& mark) {
#ifdef _WIN32
    std::string script = "(" + command + "); touch " + mark;
    std::wstring line = L"/bin/sh -c \"" + fs::path(FromUtf8(script)).wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::error_code error;
    fs::path done = FromUtf8("Z:" + mark);
    for (int i = 0; i < 3000 && !fs::exists(done, error); ++i) Sleep(10);
    fs::remove(done, error);
#else
    (void)mark;
    [[maybe_unused]] int status = std::system(command.c_str());
#endif
}

}  // namespace

SmallDisk::SmallDisk(int mebibytes) {
    static std::atomic<int> counter{0};
    unix_ = "/tmp/mirv98-disk-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" +
            std::to_string(counter++);
#ifdef _WIN32
    path_ = FromUtf8("Z:" + unix_);
#else
    path_ = unix_;
    if (geteuid() != 0) {
        why_ = "a disk of its own needs root";
        return;
    }
#endif
    RunShell("mkdir -p " + unix_ + " && truncate -s " + std::to_string(mebibytes) + "M " + unix_ + ".img && mkfs.ext4 -q -F " +
             unix_ + ".img && mount -o loop " + unix_ + ".img " + unix_ + " && chmod 777 " + unix_ + " 2>/dev/null",
             unix_ + ".done");
    // Only a mounted ext4 shows its lost+found.
    std::error_code error;
    if (!fs::exists(path_ / "lost+found", error))
        why_ = "no disk of its own could be mounted (root, mkfs.ext4 and a loop device are needed)";
}

SmallDisk::~SmallDisk() {
    RunShell("umount -l " + unix_ + " 2>/dev/null; rm -rf " + unix_ + " " + unix_ + ".img", unix_ + ".done");
}

std::string SmallDisk::Core() const {
    fs::path p = path_;
#ifdef _WIN32
    p.make_preferred();
#endif
    return ToUtf8(p);
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

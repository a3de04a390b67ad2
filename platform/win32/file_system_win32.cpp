#include "platform/file_system.h"

#include <windows.h>

#include <algorithm>

#include "platform/rewrite_in_place.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/wide.h"

namespace platform {

namespace {

bool WriteAll(HANDLE h, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20)), written = 0;
        if (!WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

class NewFileBeside final : public ReplacementFile {
public:
    explicit NewFileBeside(std::wstring target) : target_(std::move(target)), path_(target_ + L".mirv-new") {}
    bool Write(std::string_view bytes) override {
        file_.reset(
            CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        return file_.valid() && WriteAll(file_.get(), bytes);
    }
    bool Flush() override { return FlushFileBuffers(file_.get()) != 0; }
    bool PutInPlace() override {
        file_.reset();
        return MoveFileExW(path_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }
    void Discard() override {
        file_.reset();
        DeleteFileW(path_.c_str());
    }

private:
    std::wstring target_, path_;
    ScopedFileHandle file_;
};

DWORD Attributes(std::string_view path) { return GetFileAttributesW(LongPath(path).c_str()); }

class HandleFile final : public RewritableFile {
public:
    explicit HandleFile(HANDLE h) : h_(h) {}
    bool ReadAll(std::string& bytes) override {
        if (!Seek(0)) return false;
        char buffer[65536];
        DWORD got = 0;
        do {
            if (!ReadFile(h_, buffer, sizeof buffer, &got, nullptr)) return false;
            bytes.append(buffer, got);
        } while (got > 0);
        return true;
    }
    bool WriteAt(std::uint64_t offset, std::string_view bytes) override { return Seek(offset) && WriteAll(h_, bytes); }
    bool SetSize(std::uint64_t size) override { return Seek(size) && SetEndOfFile(h_); }
    bool Flush() override { return FlushFileBuffers(h_) != 0; }

private:
    bool Seek(std::uint64_t offset) {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(h_, at, nullptr, FILE_BEGIN) != 0;
    }
    HANDLE h_;
};

}  // namespace

ReadStatus ReadWholeFile(std::string_view path, std::string& bytes, std::size_t limit) {
    bytes.clear();
    std::wstring wide = LongPath(path);
    ScopedFileHandle f(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.valid()) {
        DWORD e = GetLastError();
        return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? ReadStatus::Missing : ReadStatus::Failed;
    }
    char buffer[65536];
    DWORD got = 0;
    while (bytes.size() < limit) {
        DWORD want = static_cast<DWORD>(std::min<std::size_t>(sizeof buffer, limit - bytes.size()));
        if (!ReadFile(f.get(), buffer, want, &got, nullptr)) return ReadStatus::Failed;
        if (got == 0) return ReadStatus::Ok;
        bytes.append(buffer, got);
    }
    return ReadStatus::Ok;
}

bool WriteWholeFile(std::string_view path, std::string_view bytes) {
    std::wstring target = LongPath(path);
    NewFileBeside replacement(target);
    if (ReplaceWhole(replacement, bytes)) return true;
    // A user may be allowed to change the file but not to add files beside it. Rewritten in place,
    // the file is never cut short or removed on the way.
    ScopedFileHandle f(CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.valid()) return false;
    HandleFile file(f.get());
    return RewriteInPlace(file, bytes);
}

bool FileExists(std::string_view path) {
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(std::string_view path) {
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string FullFolderPath(std::string_view folder) {
    std::wstring wide = Widen(folder);
    // A drive alone ("C:") is its root here, not the drive's current folder.
    if (wide.size() == 2 && wide[1] == L':') wide += L'\\';
    std::wstring full = FullPathName(wide);
    if (full.empty()) return std::string(folder);
    if (full.back() == L'\\') full.pop_back();
    return Narrow(full);
}

bool SetCurrentFolder(std::string_view path) { return SetCurrentDirectoryW(Widen(path).c_str()) != 0; }

std::string ExecutableFolder() {
    std::wstring buffer(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    buffer.resize(n);
    auto slash = buffer.find_last_of(L"\\/");
    return Narrow(slash == std::wstring::npos ? std::wstring() : buffer.substr(0, slash));
}

bool WalkSideBySide(std::string_view a, std::string_view b) {
    auto volume = [](std::string_view path) {
        wchar_t root[MAX_PATH + 1] = {};
        std::wstring full = LongPath(path);
        return GetVolumePathNameW(full.c_str(), root, MAX_PATH) ? std::wstring(root) : std::wstring();
    };
    std::wstring first = volume(a), second = volume(b);
    return first.empty() || second.empty() || lstrcmpiW(first.c_str(), second.c_str()) != 0;
}

std::uint64_t VolumeIdentity(std::string_view folder) {
    std::wstring full = LongPath(folder);
    wchar_t root[MAX_PATH + 1] = {};
    DWORD serial = 0;
    if (GetVolumePathNameW(full.c_str(), root, MAX_PATH) &&
        GetVolumeInformationW(root, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0) && serial != 0)
        return serial;
    // No serial (some shares): the folder itself, its index on the volume, marked apart from serials.
    ScopedFileHandle handle(CreateFileW(full.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!handle.valid() || !GetFileInformationByHandle(handle.get(), &info)) return 0;
    std::uint64_t index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return index == 0 ? 0 : index | (1ull << 63);
}

std::string TemporaryFolder() {
    wchar_t buffer[MAX_PATH + 2];
    DWORD n = GetTempPathW(MAX_PATH + 2, buffer);
    std::wstring path(buffer, n);
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    return Narrow(path);
}

}  // namespace platform

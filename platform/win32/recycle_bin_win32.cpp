#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include "platform/recycle_bin.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/wide.h"

namespace platform {

namespace {

// The shell takes plain full paths, not the long-path form.
std::wstring FullPath(std::string_view path) {
    std::wstring wide = Widen(path);
    DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0) return wide;
    std::wstring full(n, L'\0');
    full.resize(GetFullPathNameW(wide.c_str(), n, full.data(), nullptr));
    return full;
}

class ShellRecycleBin final : public RecycleBin {
public:
    bool Serves(std::string_view path) override {
        std::wstring full = FullPath(path);
        wchar_t root[MAX_PATH + 1] = {};
        if (!GetVolumePathNameW(full.c_str(), root, MAX_PATH)) return false;
        return GetDriveTypeW(root) == DRIVE_FIXED;
    }

    std::vector<bool> Recycle(const std::vector<std::string>& paths) override {
        std::vector<bool> gone(paths.size(), false);
        if (paths.empty()) return gone;
        // One operation over a list of names, each ended by a zero, the list by another.
        std::wstring list;
        for (const std::string& path : paths) list += FullPath(path) + L'\0';
        list += L'\0';
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = list.c_str();
        op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
        SHFileOperationW(&op);
        // The shell's result names one failure at most: each path is looked at instead.
        for (size_t i = 0; i < paths.size(); ++i)
            gone[i] = GetFileAttributesW(LongPath(paths[i]).c_str()) == INVALID_FILE_ATTRIBUTES;
        return gone;
    }

    bool ReplaceKeeping(std::string_view from, std::string_view to, std::string_view aside) override {
        std::wstring target = LongPath(to);
        DWORD attributes = GetFileAttributesW(target.c_str());
        // As the file copy refuses a hidden or read-only destination.
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN))) {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        return ReplaceFileW(target.c_str(), LongPath(from).c_str(), LongPath(aside).c_str(),
                            REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr) != 0;
    }
};

}  // namespace

RecycleBin& SystemRecycleBin() {
    static ShellRecycleBin instance;
    return instance;
}

std::string LocalDataFolder() {
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path))) folder = Narrow(path);
    CoTaskMemFree(path);
    return folder;
}

std::string LastErrorText() {
    DWORD code = GetLastError();
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words = n ? std::wstring(text, n) : L"Error " + std::to_wstring(code);
    LocalFree(text);
    while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L' ' || words.back() == L'.'))
        words.pop_back();
    return Narrow(words);
}

}  // namespace platform

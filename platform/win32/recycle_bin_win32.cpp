#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <algorithm>
#include <optional>
#include <set>

#include "platform/clock.h"
#include "platform/recycle_bin.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/wide.h"
#include "platform/work_names.h"

namespace platform {

namespace {

using Microsoft::WRL::ComPtr;

// COM on this thread while the scope lasts: the program has it already, a test program may not.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

struct CoTaskText {
    wchar_t* text = nullptr;
    ~CoTaskText() { CoTaskMemFree(text); }
};

// The shell takes plain full paths, not the long-path form.
std::wstring FullPath(std::string_view path) {
    std::wstring wide = Widen(path);
    DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0) return wide;
    std::wstring full(n, L'\0');
    full.resize(GetFullPathNameW(wide.c_str(), n, full.data(), nullptr));
    return full;
}

bool Exists(std::string_view path) { return GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::optional<DWORD> ReadDword(HKEY root, const wchar_t* key, const wchar_t* name) {
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegGetValueW(root, key, name, RRF_RT_REG_DWORD, &type, &value, &size) != ERROR_SUCCESS) return std::nullopt;
    return value;
}

// The bin's own settings for the volume at root, where Windows keeps them.
void ReadBinSettings(const wchar_t* root, BinVolume& volume) {
    if (ReadDword(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
                  L"NoRecycleFiles")
            .value_or(0)) {
        volume.kind = BinVolume::Kind::Refuses;
        volume.refusal = "the Recycle Bin is turned off by policy";
        return;
    }
    wchar_t name[64] = {};
    if (!GetVolumeNameForVolumeMountPointW(root, name, 64)) return;
    // "\\?\Volume{...}\": the key is named by the braces.
    std::wstring guid(name);
    size_t open = guid.find(L'{'), close = guid.find(L'}');
    if (open == std::wstring::npos || close == std::wstring::npos) return;
    std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\BitBucket\\Volume\\" +
                       guid.substr(open, close - open + 1);
    if (ReadDword(HKEY_CURRENT_USER, key.c_str(), L"NukeOnDelete").value_or(0)) {
        volume.kind = BinVolume::Kind::Refuses;
        volume.refusal = "its Recycle Bin is set to remove files at once";
        return;
    }
    if (auto megabytes = ReadDword(HKEY_CURRENT_USER, key.c_str(), L"MaxCapacity"))
        volume.largest = static_cast<std::int64_t>(*megabytes) * 1024 * 1024;
}

// Texts of the shell's own formats compare only after the marks that keep their reading order.
std::wstring WithoutDirectionMarks(std::wstring text) {
    std::erase_if(text, [](wchar_t c) { return c == 0x200E || c == 0x200F; });
    return text;
}

// The date-deleted column gives minutes in the user's formats; each minute of the window, so written.
std::set<std::wstring> MinuteTexts(FileTime from, FileTime until) {
    constexpr FileTime kMinute = 600'000'000;
    std::set<std::wstring> texts;
    for (FileTime t = from - kMinute; t <= until + kMinute; t += kMinute) {
        FILETIME utc{static_cast<DWORD>(t & 0xFFFFFFFF), static_cast<DWORD>(static_cast<std::uint64_t>(t) >> 32)}, local{};
        SYSTEMTIME st{};
        if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) continue;
        wchar_t date[80] = {}, time[80] = {};
        if (!GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 80) ||
            !GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &st, nullptr, time, 80))
            continue;
        texts.insert(WithoutDirectionMarks(std::wstring(date) + L" " + time));
    }
    return texts;
}

// One item of the bin as its folder shows it: where it was, and the minute it was deleted.
struct BinEntry {
    std::wstring folder, name, deleted;
};

std::wstring Column(IShellFolder2& bin, PCUITEMID_CHILD child, UINT column) {
    SHELLDETAILS details{};
    CoTaskText text;
    if (FAILED(bin.GetDetailsOf(child, column, &details)) || FAILED(StrRetToStrW(&details.str, child, &text.text)))
        return {};
    return text.text ? text.text : L"";
}

// The shell's Recycle Bin folder, read through: every item's original folder, name and date deleted.
std::vector<BinEntry> ListBin() {
    ComScope com;
    std::vector<BinEntry> items;
    ComPtr<IShellFolder> desktop;
    PIDLIST_ABSOLUTE location = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)) || FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &location)))
        return items;
    ComPtr<IShellFolder2> bin;
    HRESULT bound = desktop->BindToObject(location, nullptr, IID_PPV_ARGS(&bin));
    CoTaskMemFree(location);
    ComPtr<IEnumIDList> children;
    if (FAILED(bound) ||
        bin->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &children) != S_OK)
        return items;
    PITEMID_CHILD child = nullptr;
    while (children->Next(1, &child, nullptr) == S_OK) {
        items.push_back({Column(*bin.Get(), child, 1), Column(*bin.Get(), child, 0),
                         WithoutDirectionMarks(Column(*bin.Get(), child, 2))});
        CoTaskMemFree(child);
    }
    return items;
}

// Whether the listing holds the file at path, deleted within the minutes given. The name column may
// leave out a known extension, as Explorer shows names.
bool InListing(const std::vector<BinEntry>& listing, const std::set<std::wstring>& minutes, std::string_view path) {
    std::wstring full = FullPath(path);
    size_t cut = full.find_last_of(L'\\');
    if (cut == std::wstring::npos) return false;
    std::wstring folder = full.substr(0, cut), name = full.substr(cut + 1);
    if (folder.size() == 2) folder += L'\\';  // a drive's root is shown as "C:\"
    size_t dot = name.rfind(L'.');
    std::wstring stem = dot == std::wstring::npos ? name : name.substr(0, dot);
    return std::any_of(listing.begin(), listing.end(), [&](const BinEntry& item) {
        return lstrcmpiW(item.folder.c_str(), folder.c_str()) == 0 &&
               (lstrcmpiW(item.name.c_str(), name.c_str()) == 0 || lstrcmpiW(item.name.c_str(), stem.c_str()) == 0) &&
               minutes.contains(item.deleted);
    });
}

DWORD LinkCount(const std::string& path) {
    ScopedFileHandle f(CreateFileW(LongPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!f.valid() || !GetFileInformationByHandle(f.get(), &info)) return 0;
    return info.nNumberOfLinks;
}

// Why a file still at its place after the shell was asked to recycle it is there.
RecycleResult StillThere(const std::string& path) {
    ScopedFileHandle f(CreateFileW(LongPath(path).c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (f.valid()) return {Recycled::Refused, {}};
    if (GetLastError() == ERROR_SHARING_VIOLATION) return {Recycled::InUse, {}};
    return {Recycled::Failed, LastErrorText()};
}

class ShellRecycleBin final : public RecycleBin {
public:
    BinVolume Volume(std::string_view path) override {
        BinVolume volume;
        std::wstring full = FullPath(path);
        wchar_t root[MAX_PATH + 1] = {};
        if (!GetVolumePathNameW(full.c_str(), root, MAX_PATH)) return volume;
        std::wstring drive = root;
        if (drive.size() > 1 && drive.back() == L'\\') drive.pop_back();
        volume.drive = Narrow(drive);
        if (GetDriveTypeW(root) != DRIVE_FIXED) return volume;
        volume.kind = BinVolume::Kind::Serves;
        SHQUERYRBINFO info{};
        info.cbSize = sizeof info;
        if (FAILED(SHQueryRecycleBinW(root, &info))) {
            volume.kind = BinVolume::Kind::Refuses;
            volume.refusal = "it has no working Recycle Bin";
            return volume;
        }
        ReadBinSettings(root, volume);
        return volume;
    }

    std::string PathRefusal(std::string_view path) override {
        for (size_t start = 0; start <= path.size();) {
            size_t end = std::min(path.find('\\', start), path.size());
            std::string_view name = path.substr(start, end - start);
            if (!name.empty() && name != "." && name != ".." && (name.back() == '.' || name.back() == ' '))
                return "its name ends with a dot or a blank";
            start = end + 1;
        }
        if (FullPath(path).size() >= MAX_PATH) return "its path is too long for the Recycle Bin";
        return {};
    }

    std::vector<RecycleResult> Recycle(const std::vector<std::string>& paths) override {
        std::vector<RecycleResult> results(paths.size());
        std::vector<size_t> all(paths.size());
        for (size_t i = 0; i < all.size(); ++i) all[i] = i;
        // A batch the shell refuses as a whole (one path it cannot take, one file in use) must not keep
        // the others out of the bin: what is still in place goes again, one at a time.
        std::vector<size_t> left = RecycleOnce(paths, all, results);
        if (all.size() > 1)
            for (size_t i : left) RecycleOnce(paths, {i}, results);
        for (size_t i = 0; i < paths.size(); ++i)
            if (Exists(paths[i]) && results[i].result == Recycled::Failed && results[i].error.empty())
                results[i] = StillThere(paths[i]);
        return results;
    }

private:
    // Recycles the paths of which; returns those still at their places.
    std::vector<size_t> RecycleOnce(const std::vector<std::string>& paths, const std::vector<size_t>& which,
                                    std::vector<RecycleResult>& results) {
        FileTime started = CurrentFileTime();
        // A second name for each file: what the shell deletes for good instead of moving (a bin that
        // fails, a file too big for it) can then be put back. Where no second name can be made (FAT),
        // the bin's listing alone tells.
        std::vector<std::string> keeps(paths.size());
        std::wstring list;
        for (size_t i : which) {
            std::string keep = Sibling(paths[i], OldCopyName(Name(paths[i])));
            // A read-only file's second name could not be taken away without touching its attributes.
            DWORD attributes = GetFileAttributesW(LongPath(paths[i]).c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY) &&
                CreateHardLinkW(LongPath(keep).c_str(), LongPath(paths[i]).c_str(), nullptr))
                keeps[i] = keep;
            list += FullPath(paths[i]) + L'\0';
        }
        list += L'\0';
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = list.c_str();
        op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
        SHFileOperationW(&op);

        std::optional<std::vector<BinEntry>> listing;
        std::set<std::wstring> minutes;
        auto inListing = [&](const std::string& path) {
            if (!listing) {
                listing = ListBin();
                minutes = MinuteTexts(started, CurrentFileTime());
            }
            return InListing(*listing, minutes, path);
        };
        std::vector<size_t> left;
        for (size_t i : which) {
            const std::string& path = paths[i];
            const std::string& keep = keeps[i];
            if (Exists(path)) {
                left.push_back(i);
                if (!keep.empty()) RemoveName(keep);
                continue;
            }
            // Moved into the bin, the file keeps both its names; deleted, only the second one is left.
            bool inBin = (!keep.empty() && LinkCount(keep) > 1) || inListing(path);
            if (inBin) {
                results[i] = {Recycled::InBin, {}};
                if (!keep.empty()) RemoveName(keep);
            } else if (keep.empty()) {
                results[i] = {Recycled::Destroyed, {}};
            } else if (MoveFileExW(LongPath(keep).c_str(), LongPath(path).c_str(), 0)) {
                results[i] = {Recycled::Refused, {}};
            } else {
                results[i] = {Recycled::Failed, "kept as " + Name(keep) + ": " + LastErrorText()};
            }
        }
        return left;
    }

    static std::string Name(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }
    static std::string Sibling(const std::string& path, const std::string& name) {
        return path.substr(0, path.find_last_of('\\') + 1) + name;
    }
    // Takes away a second name; the content stays under its other one.
    static void RemoveName(const std::string& path) { DeleteFileW(LongPath(path).c_str()); }
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

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "platform/clock.h"
#include "platform/recycle_bin.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/wide.h"

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

// The bin's own settings for the volume at root, where Windows keeps them. A bin the user turned off,
// by the policy or for the volume, makes it a drive without a bin, as Explorer treats it.
void ReadBinSettings(const wchar_t* root, BinVolume& volume) {
    constexpr const wchar_t* kPolicy = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
    if (ReadDword(HKEY_CURRENT_USER, kPolicy, L"NoRecycleFiles").value_or(0) ||
        ReadDword(HKEY_LOCAL_MACHINE, kPolicy, L"NoRecycleFiles").value_or(0)) {
        volume.kind = BinVolume::Kind::None;
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
        volume.kind = BinVolume::Kind::None;
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

// A time as the bin's date columns show it: the minute, in the user's formats.
std::wstring MinuteText(FileTime t) {
    FILETIME utc{static_cast<DWORD>(t & 0xFFFFFFFF), static_cast<DWORD>(static_cast<std::uint64_t>(t) >> 32)}, local{};
    SYSTEMTIME st{};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return {};
    wchar_t date[80] = {}, time[80] = {};
    if (!GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 80) ||
        !GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &st, nullptr, time, 80))
        return {};
    return WithoutDirectionMarks(std::wstring(date) + L" " + time);
}

// Each minute of the window, so written.
std::set<std::wstring> MinuteTexts(FileTime from, FileTime until) {
    constexpr FileTime kMinute = 600'000'000;
    std::set<std::wstring> texts;
    for (FileTime t = from - kMinute; t <= until + kMinute; t += kMinute)
        if (std::wstring text = MinuteText(t); !text.empty()) texts.insert(text);
    return texts;
}

std::wstring Column(IShellFolder2& bin, PCUITEMID_CHILD child, UINT column) {
    SHELLDETAILS details{};
    CoTaskText text;
    if (FAILED(bin.GetDetailsOf(child, column, &details)) || FAILED(StrRetToStrW(&details.str, child, &text.text)))
        return {};
    return text.text ? text.text : L"";
}

std::wstring ParsingName(IShellFolder2& bin, PCUITEMID_CHILD child) {
    STRRET name{};
    CoTaskText text;
    if (FAILED(bin.GetDisplayNameOf(child, SHGDN_FORPARSING, &name)) || FAILED(StrRetToStrW(&name, child, &text.text)))
        return {};
    return text.text ? text.text : L"";
}

// What Windows keeps of a recycled file beside it: "$I..." holds the original path, the size and the
// moment of deletion, exactly, for the "$R..." that holds the content.
struct DeletionRecord {
    std::wstring path;
    std::int64_t size = 0;
    FileTime deleted = 0;
};

std::optional<DeletionRecord> ReadDeletionRecord(const std::wstring& content) {
    size_t cut = content.find_last_of(L'\\');
    if (cut == std::wstring::npos || content.compare(cut + 1, 2, L"$R") != 0) return std::nullopt;
    std::wstring info = content;
    info[cut + 2] = L'I';
    ScopedFileHandle f(CreateFileW(info.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f.valid()) return std::nullopt;
    char bytes[1024] = {};
    DWORD got = 0;
    if (!ReadFile(f.get(), bytes, sizeof bytes, &got, nullptr) || got < 28) return std::nullopt;
    std::int64_t version = 0;
    DeletionRecord record;
    std::memcpy(&version, bytes, 8);
    std::memcpy(&record.size, bytes + 8, 8);
    std::memcpy(&record.deleted, bytes + 16, 8);
    // Version 1 holds the path in 260 characters; version 2 says how many there are.
    size_t at = 24, chars = MAX_PATH;
    if (version == 2) {
        std::uint32_t n = 0;
        std::memcpy(&n, bytes + 24, 4);
        at = 28;
        chars = n;
    } else if (version != 1) {
        return std::nullopt;
    }
    chars = std::min<size_t>(chars, (got - at) / 2);
    record.path.assign(reinterpret_cast<const wchar_t*>(bytes + at), chars);
    record.path.resize(wcsnlen(record.path.c_str(), record.path.size()));
    return record;
}

// The shell's Recycle Bin folder, read through once: every item's original folder and name, when it was
// deleted and its size (exactly where the system keeps them, else as the folder shows them: the minute,
// the size in kilobytes), with the item's own id for the folder's commands.
class BinListing {
public:
    struct Entry {
        std::wstring folder, name, deletedText, sizeText, modifiedText;
        std::optional<DeletionRecord> exact;
        PITEMID_CHILD id;
    };

    BinListing() {
        ComPtr<IShellFolder> desktop;
        PIDLIST_ABSOLUTE location = nullptr;
        if (FAILED(SHGetDesktopFolder(&desktop)) ||
            FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &location)))
            return;
        HRESULT bound = desktop->BindToObject(location, nullptr, IID_PPV_ARGS(&bin_));
        CoTaskMemFree(location);
        ComPtr<IEnumIDList> children;
        if (FAILED(bound) ||
            bin_->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &children) != S_OK)
            return;
        PITEMID_CHILD child = nullptr;
        IShellFolder2& bin = *bin_.Get();
        while (children->Next(1, &child, nullptr) == S_OK)
            entries_.push_back({Column(bin, child, 1), Column(bin, child, 0), WithoutDirectionMarks(Column(bin, child, 2)),
                                Column(bin, child, 3), WithoutDirectionMarks(Column(bin, child, 5)),
                                ReadDeletionRecord(ParsingName(bin, child)), child});
    }
    ~BinListing() {
        for (Entry& e : entries_) CoTaskMemFree(e.id);
    }
    BinListing(const BinListing&) = delete;
    BinListing& operator=(const BinListing&) = delete;

    // The newest item that is the one described, if the bin holds it. Never by a name without its
    // extension: another file of the same stem is another file. Where the bin shows no more than minutes
    // and kilobytes, the file's own last-write time tells two contents of one name apart.
    const Entry* Find(const BinItem& item, const std::set<std::wstring>* minutes) const {
        std::wstring full = FullPath(item.path);
        size_t cut = full.find_last_of(L'\\');
        if (cut == std::wstring::npos) return nullptr;
        std::wstring folder = full.substr(0, cut), name = full.substr(cut + 1);
        if (folder.size() == 2) folder += L'\\';  // a drive's root is shown as "C:\"
        constexpr FileTime kSlack = 20'000'000;    // two seconds: the clock's steps and the file system's
        wchar_t size[64] = {};
        StrFormatKBSizeW(item.size, size, 64);
        for (auto e = entries_.rbegin(); e != entries_.rend(); ++e) {
            if (e->exact) {
                if (lstrcmpiW(e->exact->path.c_str(), full.c_str()) == 0 && e->exact->size == item.size &&
                    e->exact->deleted >= item.from - kSlack && e->exact->deleted <= item.until + kSlack)
                    return &*e;
            } else if (lstrcmpiW(e->folder.c_str(), folder.c_str()) == 0 && lstrcmpiW(e->name.c_str(), name.c_str()) == 0 &&
                       (!minutes || minutes->contains(e->deletedText)) && e->sizeText == size &&
                       (item.lastWrite == 0 || e->modifiedText.empty() || e->modifiedText == MinuteText(item.lastWrite))) {
                return &*e;
            }
        }
        return nullptr;
    }

    // The folder's own "Restore" on the items: each goes back where it came from. Whether one did is
    // asked of its place afterwards, not of the command's answer.
    void Restore(std::vector<PCUITEMID_CHILD> ids) {
        if (!bin_ || ids.empty()) return;
        ComPtr<IContextMenu> menu;
        // The interface takes the ids as a plain array (mingw's headers name it without const).
        if (FAILED(bin_->GetUIObjectOf(nullptr, static_cast<UINT>(ids.size()), const_cast<LPCITEMIDLIST*>(ids.data()),
                                       IID_IContextMenu, nullptr, &menu)))
            return;
        HMENU items = CreatePopupMenu();
        constexpr UINT kFirst = 1;
        if (SUCCEEDED(menu->QueryContextMenu(items, 0, kFirst, 0x7FFF, CMF_NORMAL))) {
            if (std::optional<UINT> offset = RestoreCommand(*menu.Get(), items, kFirst)) {
                CMINVOKECOMMANDINFO invoke{};
                invoke.cbSize = sizeof invoke;
                invoke.fMask = CMIC_MASK_FLAG_NO_UI;
                invoke.lpVerb = MAKEINTRESOURCEA(*offset);
                invoke.nShow = SW_HIDE;
                menu->InvokeCommand(&invoke);
            }
        }
        DestroyMenu(items);
    }

private:
    // Windows names the command by its verb "undelete"; Wine gives no verbs, only the item "&Restore".
    static std::optional<UINT> RestoreCommand(IContextMenu& menu, HMENU items, UINT first) {
        std::optional<UINT> byText;
        for (int i = 0, n = GetMenuItemCount(items); i < n; ++i) {
            UINT id = GetMenuItemID(items, i);
            if (id == static_cast<UINT>(-1) || id < first) continue;
            wchar_t verb[64] = {};
            if (SUCCEEDED(menu.GetCommandString(id - first, GCS_VERBW, nullptr, reinterpret_cast<char*>(verb), 64)) &&
                lstrcmpiW(verb, L"undelete") == 0)
                return id - first;
            wchar_t text[128] = {};
            GetMenuStringW(items, i, text, 128, MF_BYPOSITION);
            std::wstring plain(text);
            std::erase(plain, L'&');
            if (lstrcmpiW(plain.c_str(), L"Restore") == 0) byText = id - first;
        }
        return byText;
    }

    ComPtr<IShellFolder2> bin_;
    std::vector<Entry> entries_;
};

// The minutes each item's window may show as, made once per window; none for a window of days (the
// work of a run cut off long ago), which the other marks of the item alone tell.
class MinuteCache {
public:
    const std::set<std::wstring>* Of(const BinItem& item) {
        constexpr FileTime kDay = 864'000'000'000;
        if (item.until - item.from > kDay) return nullptr;
        auto window = minutes_.try_emplace({item.from, item.until}).first;
        if (window->second.empty()) window->second = MinuteTexts(item.from, item.until);
        return &window->second;
    }

private:
    std::map<std::pair<FileTime, FileTime>, std::set<std::wstring>> minutes_;
};

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

    void MoveToBin(const std::vector<std::string>& paths) override {
        if (paths.empty()) return;
        ComScope com;
        std::wstring list;
        for (const std::string& path : paths) list += FullPath(path) + L'\0';
        list += L'\0';
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = list.c_str();
        op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
        SHFileOperationW(&op);
    }

    RecycleResult WhyStillThere(const std::string& path) override {
        ScopedFileHandle f(CreateFileW(LongPath(path).c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (f.valid()) return {Recycled::Refused, {}};
        if (GetLastError() == ERROR_SHARING_VIOLATION) return {Recycled::InUse, {}};
        return {Recycled::Failed, LastErrorText()};
    }

    std::vector<bool> Holds(const std::vector<BinItem>& items) override {
        ComScope com;
        BinListing listing;
        MinuteCache minutes;
        std::vector<bool> held(items.size());
        for (size_t i = 0; i < items.size(); ++i) held[i] = listing.Find(items[i], minutes.Of(items[i])) != nullptr;
        return held;
    }

    std::vector<bool> Restore(const std::vector<BinItem>& items, const std::function<bool()>& goOn) override {
        std::vector<bool> back(items.size(), false);
        ComScope com;
        BinListing listing;
        MinuteCache minutes;
        constexpr size_t kChunk = 100;
        for (size_t start = 0; start < items.size(); start += kChunk) {
            if (start > 0 && goOn && !goOn()) break;
            size_t end = std::min(items.size(), start + kChunk);
            std::vector<PCUITEMID_CHILD> ids;
            for (size_t i = start; i < end; ++i) {
                // Never over a file that is there: the shell would ask, or replace it.
                if (Exists(items[i].path)) continue;
                const BinListing::Entry* entry = listing.Find(items[i], minutes.Of(items[i]));
                if (entry && std::find(ids.begin(), ids.end(), entry->id) == ids.end()) ids.push_back(entry->id);
            }
            listing.Restore(std::move(ids));
            for (size_t i = start; i < end; ++i) back[i] = Exists(items[i].path);
        }
        return back;
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

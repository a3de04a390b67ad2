#include <windows.h>

#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/copy_in_pieces.h"
#include "platform/file_ops.h"
#include "platform/win32/folder_link.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/wide.h"

// Every path goes through LongPath, so names in any script and paths beyond MAX_PATH work alike.
namespace platform {

namespace {

HANDLE FindFirst(const std::wstring& pattern, WIN32_FIND_DATAW& data) {
    return FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                            FIND_FIRST_EX_LARGE_FETCH);
}

void Fill(FileInfo& info, const WIN32_FIND_DATAW& data) {
    info.name = Narrow(data.cFileName);
    info.attributes = data.dwFileAttributes;
    info.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    info.link = IsFolderLink(data.dwFileAttributes, data.dwReserved0);
    info.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    info.lastWrite = static_cast<FileTime>(
        (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime);
}

bool IsDotName(std::wstring_view name) { return name == L"." || name == L".."; }

// Whether the file indexes of the volume holding the open folder last across renames: not on FAT,
// whose index is the entry's place in its folder. A share whose server keeps none gives 0.
bool LastingFileIds(HANDLE folder) {
    wchar_t fileSystem[MAX_PATH + 1] = {};
    if (!GetVolumeInformationByHandleW(folder, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH + 1))
        return false;
    std::wstring_view name = fileSystem;
    return !name.starts_with(L"FAT") && name != L"exFAT";
}

DWORD Attributes(std::string_view path) { return GetFileAttributesW(LongPath(path).c_str()); }

bool CopyBytes(HANDLE from, HANDLE to, std::int64_t size, const CopyProgress& progress) {
    auto held = static_cast<DWORD>(std::clamp<std::int64_t>(size, CopyPace::kSmallest, CopyPace::kLargest));
    auto buffer = std::make_unique_for_overwrite<char[]>(held);
    DWORD error = 0;
    CopyEnd end = CopyInPieces(size, progress, [&](std::size_t piece) -> std::int64_t {
        DWORD got = 0, put = 0;
        if (!ReadFile(from, buffer.get(), std::min(held, static_cast<DWORD>(piece)), &got, nullptr)) {
            error = GetLastError();
            return -1;
        }
        if (got > 0 && !WriteFile(to, buffer.get(), got, &put, nullptr)) {
            error = GetLastError();
            return -1;
        }
        if (put != got) {
            error = ERROR_WRITE_FAULT;
            return -1;
        }
        return got;
    });
    if (end != CopyEnd::Done) SetLastError(end == CopyEnd::Stopped ? ERROR_CANCELLED : error);
    return end == CopyEnd::Done;
}

class Win32FileOps final : public FileOps {
public:
    bool Enumerate(std::string_view folder, const std::function<void(const FileInfo&)>& visit) override {
        // One listing of the folder's handle gives each entry's file index with its other facts.
        ScopedFileHandle handle(CreateFileW(LongPath(folder).c_str(), FILE_LIST_DIRECTORY,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!handle.valid()) return false;
        const bool ids = LastingFileIds(handle.get());
        // Entries are aligned to 8 bytes; visit may list other folders, each with a buffer of its own.
        std::vector<std::uint64_t> buffer(64 * 1024 / sizeof(std::uint64_t));
        const DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(std::uint64_t));
        FileInfo info;
        for (auto request = FileIdBothDirectoryRestartInfo;; request = FileIdBothDirectoryInfo) {
            if (!GetFileInformationByHandleEx(handle.get(), request, buffer.data(), bytes))
                return GetLastError() == ERROR_NO_MORE_FILES;
            const auto* at = reinterpret_cast<const unsigned char*>(buffer.data());
            for (;;) {
                const auto& entry = *reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
                std::wstring_view name(entry.FileName, entry.FileNameLength / sizeof(wchar_t));
                if (!IsDotName(name)) {
                    info.name = Narrow(name);
                    info.attributes = entry.FileAttributes;
                    info.directory = (entry.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
                    // A reparse point's tag stands where the extended attributes' size would.
                    info.link = IsFolderLink(entry.FileAttributes, entry.EaSize);
                    info.size = info.directory ? 0 : entry.EndOfFile.QuadPart;
                    info.lastWrite = entry.LastWriteTime.QuadPart;
                    info.fileId = ids ? static_cast<std::uint64_t>(entry.FileId.QuadPart) : 0;
                    visit(info);
                }
                if (entry.NextEntryOffset == 0) break;
                at += entry.NextEntryOffset;
            }
        }
    }

    std::optional<FileInfo> Find(std::string_view path) override {
        std::wstring pattern = LongPath(path);
        // A search takes "notes." for a pattern that "notes" matches too: a name without * or ? finds
        // only the entry of that very name.
        std::wstring_view name = std::wstring_view(pattern).substr(pattern.find_last_of(L'\\') + 1);
        bool wildcards = name.find_first_of(L"*?") != std::wstring_view::npos;
        WIN32_FIND_DATAW data;
        ScopedFindHandle find(FindFirst(pattern, data));
        if (!find.valid()) return std::nullopt;
        do {
            int length = static_cast<int>(name.size());
            if (wildcards || CompareStringOrdinal(data.cFileName, -1, name.data(), length, TRUE) == CSTR_EQUAL) {
                FileInfo info;
                Fill(info, data);
                return info;
            }
        } while (FindNextFileW(find.get(), &data));
        return std::nullopt;
    }

    bool CopyToFile(std::string_view source, std::string_view target, const CopyProgress& progress) override {
        // A loop of our own rather than CopyFileW, which copies a file in one call, or CopyFileExW,
        // whose progress routine Wine never calls: the window hears from a long copy while its pieces
        // move. Like CopyFileW it refuses a source another program writes to and gives the copy the
        // source's attributes and last-write time.
        ScopedFileHandle from(CreateFileW(LongPath(source).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        if (!from.valid() || !GetFileInformationByHandle(from.get(), &info)) return false;
        if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        DWORD kept = info.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        // Created read-only where the source is: the handle still writes. A fresh file where the name is
        // free: Linux's ext4 (under Wine) writes a file emptied on opening out to the disk when it is
        // closed, which held the window for most of a second after a large copy.
        auto create = [&](DWORD how) {
            return ScopedFileHandle(CreateFileW(LongPath(target).c_str(), GENERIC_WRITE, 0, nullptr, how,
                                                kept ? kept : FILE_ATTRIBUTE_NORMAL, nullptr));
        };
        ScopedFileHandle to = create(CREATE_NEW);
        if (!to.valid() && GetLastError() == ERROR_FILE_EXISTS) to = create(CREATE_ALWAYS);
        if (!to.valid()) return false;
        auto size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
        if (!CopyBytes(from.get(), to.get(), size, progress) ||
            !SetFileTime(to.get(), nullptr, nullptr, &info.ftLastWriteTime))
            return false;
        // A share may report a delayed write error only here.
        return CloseHandle(to.release()) != 0;
    }

    bool MoveReplacing(std::string_view from, std::string_view to) override {
        return CanReplace(to) && MoveFileExW(LongPath(from).c_str(), LongPath(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    }

    bool CanReplace(std::string_view path) override {
        // As CopyFileW refuses a hidden or read-only destination.
        DWORD attributes = Attributes(path);
        if (attributes == INVALID_FILE_ATTRIBUTES) return true;
        if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        // Nor can a file be replaced that another program holds without letting it go.
        ScopedFileHandle f(CreateFileW(LongPath(path).c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!f.valid() && GetLastError() == ERROR_SHARING_VIOLATION) return false;
        return true;
    }

    bool Rename(std::string_view from, std::string_view to) override {
        return MoveFileExW(LongPath(from).c_str(), LongPath(to).c_str(), 0) != 0;
    }

    bool RemoveFile(std::string_view path) override { return DeleteFileW(LongPath(path).c_str()) != 0; }

    bool Link(std::string_view existing, std::string_view name) override {
        return CreateHardLinkW(LongPath(name).c_str(), LongPath(existing).c_str(), nullptr) != 0;
    }

    bool RemoveName(std::string_view path) override {
        std::wstring p = LongPath(path);
        if (DeleteFileW(p.c_str())) return true;
        DWORD attributes = GetFileAttributesW(p.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return false;
        // The attributes belong to the file, not to its name: taken off for the removal through the
        // name's own handle, then put back, so the file's other names keep them.
        ScopedFileHandle f(CreateFileW(p.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        FILE_BASIC_INFO basic{};
        if (!f.valid() || !GetFileInformationByHandleEx(f.get(), FileBasicInfo, &basic, sizeof basic)) return false;
        FILE_BASIC_INFO writable = basic;
        writable.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
        if (writable.FileAttributes == 0) writable.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        FILE_DISPOSITION_INFO gone{TRUE};
        if (!SetFileInformationByHandle(f.get(), FileBasicInfo, &writable, sizeof writable)) return false;
        bool removed = SetFileInformationByHandle(f.get(), FileDispositionInfo, &gone, sizeof gone) != 0;
        SetFileInformationByHandle(f.get(), FileBasicInfo, &basic, sizeof basic);
        return removed;
    }

    std::optional<FileIdentity> Identity(std::string_view path) override {
        ScopedFileHandle f(CreateFileW(LongPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        if (!f.valid() || !GetFileInformationByHandle(f.get(), &info)) return std::nullopt;
        return FileIdentity{info.dwVolumeSerialNumber,
                            (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                            info.nNumberOfLinks};
    }

    bool CreateFolder(std::string_view path) override { return CreateDirectoryW(LongPath(path).c_str(), nullptr) != 0; }

    bool RemoveFolder(std::string_view path) override { return RemoveDirectoryW(LongPath(path).c_str()) != 0; }

    bool SetArchiveOnly(std::string_view path) override {
        return SetFileAttributesW(LongPath(path).c_str(), FILE_ATTRIBUTE_ARCHIVE) != 0;
    }

    bool FolderExists(std::string_view path) override {
        DWORD a = Attributes(path);
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
    }
};

}  // namespace

bool WaitForCopy(std::future<CopyEnd>& ended) {
    // A click need not wait for the rest of the 10 ms: the copy's caller lets it run when this returns.
    MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    return ended.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready;
}

FileOps& SystemFileOps() {
    static Win32FileOps instance;
    return instance;
}

}  // namespace platform

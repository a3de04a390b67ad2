#include "tests/engine/engine_fakes.h"

#include <cerrno>

#ifdef _WIN32
#include <windows.h>
#endif

#include "platform/file_system.h"

namespace engine_testing {

namespace {

// As a network share that dropped sets it.
void SetSystemError() {
#ifdef _WIN32
    SetLastError(ERROR_UNEXP_NET_ERR);
#else
    errno = EIO;
#endif
}

}  // namespace

bool FaultyFileOps::Enumerate(std::string_view folder, const std::function<void(const platform::FileInfo&)>& visit) {
    beforeEnumerate(folder);
    if (breakEnumerate(folder)) {
        SetSystemError();
        return false;
    }
    int left = breakListingAfter(folder);
    if (left < 0 && noIdentities) {
        return real.Enumerate(folder, [&](const platform::FileInfo& e) {
            platform::FileInfo without = e;
            without.fileId = 0;
            visit(without);
        });
    }
    if (left < 0) return real.Enumerate(folder, visit);
    // The entries before the break are seen; the listing then fails, whatever the folder still holds.
    std::vector<platform::FileInfo> entries;
    if (!real.Enumerate(folder, [&](const platform::FileInfo& e) { entries.push_back(e); })) return false;
    for (size_t i = 0; i < entries.size() && i < static_cast<size_t>(left); ++i) visit(entries[i]);
    SetSystemError();
    return false;
}

bool FaultyFileOps::CopyToFile(std::string_view source, std::string_view target,
                               const platform::CopyProgress& progress) {
    log.push_back("copy " + std::string(target));
    if (breakCopy(source)) {
        platform::WriteWholeFile(target, "partial");
        return false;
    }
    Copy how = copyOf(source);
    if (how == Copy::Real) return real.CopyToFile(source, target, progress);
    std::string bytes;
    platform::ReadWholeFile(source, bytes);
    platform::WriteWholeFile(target, std::string_view(bytes).substr(0, bytes.size() / 2));
    bool goOn = !progress || progress(static_cast<std::int64_t>(bytes.size() / 2), static_cast<std::int64_t>(bytes.size()));
    if (goOn && how == Copy::Halves) return real.CopyToFile(source, target, {});
#ifdef _WIN32
    SetLastError(!goOn ? ERROR_CANCELLED : how == Copy::ReadError ? ERROR_CRC : ERROR_DISK_FULL);
#else
    errno = !goOn ? ECANCELED : how == Copy::ReadError ? EIO : ENOSPC;
#endif
    return false;
}

}  // namespace engine_testing

#include <cstdint>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "engine/evaluate.h"
#include "platform/recycle_bin.h"
#include "engine/scan.h"

namespace engine_testing {

TestTrash::TestTrash() {
#ifdef _WIN32
    const char* data = std::getenv("XDG_DATA_HOME");
    if (!data || !*data) return;
    folder_ = std::filesystem::path("Z:" + std::string(data)) / "Trash";
#else
    data_ = std::filesystem::temp_directory_path() / ("mirv98-trash-" + std::to_string(getpid()) + "-" +
                                                      std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(data_);
    setenv("XDG_DATA_HOME", data_.c_str(), 1);
    folder_ = data_ / "Trash";
#endif
    platform::SystemRecycleBin().Volume(std::filesystem::temp_directory_path().string());
}

TestTrash::~TestTrash() {
#ifndef _WIN32
    unsetenv("XDG_DATA_HOME");
    std::error_code error;
    std::filesystem::remove_all(data_, error);
#endif
}

bool MakeFolderLink(const std::filesystem::path& link, const std::filesystem::path& target) {
#ifdef _WIN32
    // Some file systems (Wine's among them) accept the call and show no folder.
    return CreateSymbolicLinkW(link.c_str(), target.c_str(),
                               SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != 0 &&
           std::filesystem::is_directory(link);
#else
    std::error_code error;
    std::filesystem::create_directory_symlink(target, link, error);
    return !error;
#endif
}

bool HasTemporaryFiles(const std::filesystem::path& folder) {
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
        if (e.path().filename().string().find("~mirv98") != std::string::npos) return true;
    return false;
}

engine::ByteTotals ScanSides(engine::SyncLists& lists, std::string_view localRoot, std::string_view remoteRoot,
                             platform::FileOps& files) {
    engine::ScanOptions options;
    options.useSubfolders = true;
    engine::ByteTotals totals;
    lists.lvLocal.Clear();
    lists.lvRemote.Clear();
    engine::ScanFolder(files, std::string(localRoot) + "\\*.*", localRoot, options, lists.lvLocal, totals.local.item);
    engine::ScanFolder(files, std::string(remoteRoot) + "\\*.*", remoteRoot, options, lists.lvRemote,
                       totals.remote.item);
    lists.lvLocal.SetSorted(true);
    lists.lvRemote.SetSorted(true);
    return totals;
}

engine::SyncLists Load(std::string_view localRoot, std::string_view remoteRoot, platform::FileOps& files) {
    engine::SyncLists lists;
    engine::ByteTotals totals = ScanSides(lists, localRoot, remoteRoot, files);
    RecordingView view;
    engine::EvaluateFolders(lists, false, totals, view);
    return lists;
}

}  // namespace engine_testing

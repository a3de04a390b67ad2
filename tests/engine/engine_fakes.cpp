#include "tests/engine/engine_fakes.h"

#include "platform/file_system.h"

namespace engine_testing {

bool FaultyFileOps::CopyToFile(std::string_view source, std::string_view target) {
    log.push_back("copy " + std::string(target));
    if (!breakCopy(source)) return real.CopyToFile(source, target);
    platform::WriteWholeFile(target, "partial");
    return false;
}

}  // namespace engine_testing

#include "engine/evaluate.h"
#include "engine/scan.h"

namespace engine_testing {

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

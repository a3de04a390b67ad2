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

engine::SyncLists Load(std::string_view localRoot, std::string_view remoteRoot) {
    engine::SyncLists lists;
    engine::ScanOptions options;
    options.useSubfolders = true;
    engine::ByteTotals totals;
    auto& files = platform::SystemFileOps();
    engine::ScanFolder(files, std::string(localRoot) + "\\*.*", localRoot, options, lists.lvLocal, totals.local.item);
    engine::ScanFolder(files, std::string(remoteRoot) + "\\*.*", remoteRoot, options, lists.lvRemote,
                       totals.remote.item);
    lists.lvLocal.SetSorted(true);
    lists.lvRemote.SetSorted(true);
    RecordingView view;
    engine::EvaluateFolders(lists, false, totals, view);
    return lists;
}

}  // namespace engine_testing

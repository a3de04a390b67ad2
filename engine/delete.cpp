#include "engine/delete.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/file_helpers.h"

namespace engine {

namespace {

void StripCodes(CodedList& list, RunView& view) {
    size_t count = list.size();
    for (size_t i = 0; i < count; ++i) {
        view.ProcessMessages();
        if (view.StopRequested()) return;
        const std::string& entry = list[i];
        list.ReplaceAt(i, entry.substr(0, entry.size() >= 2 ? entry.size() - 2 : 0));
    }
}

bool HoldsAnything(platform::FileOps& files, std::string_view folder) {
    bool any = false;
    files.Enumerate(folder, [&](const platform::FileInfo&) { any = true; });
    return any;
}

// Files first, in list order; then the folder entries, deepest first, so a folder listed together
// with its contents goes as well. A folder that still holds something stays.
void DeleteListed(platform::FileOps& files, CodedList& list, const ItemList& items, std::string_view root,
                  RunView& view, StepCounts& counts) {
    LoadedSide loaded(items);
    std::vector<std::string> folders;
    bool stopped = false;
    size_t count = list.size();
    for (size_t i = 0; i < count && !stopped; ++i) {
        view.ProcessMessages();
        if ((stopped = view.StopRequested())) break;
        SplitEntry split = SplitFolderEntry(list[i]);
        std::string path = std::string(root) + "\\" + std::string(split.path);
        if (split.folder) {
            folders.push_back(std::move(path));
            continue;
        }
        ++counts.handled;
        // A file written since the Load holds content the user has not seen.
        if (loaded.ChangedSinceLoad(files, split.path, path)) {
            ++counts.failed;
            continue;
        }
        files.SetArchiveOnly(path);
        if (!files.RemoveFile(path) && files.Find(path)) ++counts.failed;
    }
    std::stable_sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) {
        return std::count(a.begin(), a.end(), '\\') > std::count(b.begin(), b.end(), '\\');
    });
    for (size_t i = 0; i < folders.size() && !stopped; ++i) {
        view.ProcessMessages();
        if ((stopped = view.StopRequested())) break;
        ++counts.handled;
        files.SetArchiveOnly(folders[i]);
        if (!files.RemoveFolder(folders[i]) && files.FolderExists(folders[i]) && !HoldsAnything(files, folders[i]))
            ++counts.failed;
    }
    list.Clear();
}

}  // namespace

void PrepareDeletion(SyncLists& lists, RunView& view) {
    view.SetStepCaption("Delete Files");
    if (!view.StopRequested() && !lists.ldelfile1.empty()) StripCodes(lists.ldelfile1, view);
    if (!view.StopRequested() && !lists.rdelfile1.empty()) StripCodes(lists.rdelfile1, view);
}

StepCounts DeleteItems(platform::FileOps& files, SyncLists& lists, std::string_view localRoot,
                       std::string_view remoteRoot, RunView& view) {
    view.SetStepCaption("Delete Files");
    StepCounts counts;
    if (!view.StopRequested() && !lists.ldelfile1.empty())
        DeleteListed(files, lists.ldelfile1, lists.lvLocal, localRoot, view, counts);
    if (!view.StopRequested() && !lists.rdelfile1.empty())
        DeleteListed(files, lists.rdelfile1, lists.lvRemote, remoteRoot, view, counts);
    return counts;
}

}  // namespace engine

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
        const std::string& entry = list.Text(i);
        list.ReplaceAt(i, entry.substr(0, entry.size() >= 2 ? entry.size() - 2 : 0));
    }
}

bool HoldsAnything(platform::FileOps& files, std::string_view folder) {
    bool any = false;
    files.Enumerate(folder, [&](const platform::FileInfo&) { any = true; });
    return any;
}

bool IsFolderLink(platform::FileOps& files, std::string_view path) {
    auto info = files.Find(path);
    return info && info->link;
}

// Files first, in list order; then the folder entries, deepest first, so a folder listed together
// with its contents goes as well. A folder that still holds something stays. Nothing behind a folder
// link is touched; a listed link goes alone, its target's content stays.
void DeleteListed(platform::FileOps& files, CodedList& list, const ItemList& items, std::string_view root,
                  RunView& view, StepCounts& counts) {
    LoadedSide loaded(items);
    std::vector<std::string> folders;
    bool stopped = false;
    size_t count = list.size();
    for (size_t i = 0; i < count && !stopped; ++i) {
        view.ProcessMessages();
        if ((stopped = view.StopRequested())) break;
        std::string_view relative = EntryPath(list.Text(i), list.Folder(i));
        if (BehindLink(files, root, relative)) {
            ++counts.handled;
            ++counts.failed;
            continue;
        }
        std::string path = std::string(root) + "\\" + std::string(relative);
        if (list.Folder(i)) {
            folders.push_back(std::move(path));
            continue;
        }
        ++counts.handled;
        // A file written since the Load holds content the user has not seen.
        if (loaded.ChangedSinceLoad(files, relative, path)) {
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
        if (IsFolderLink(files, folders[i])) {
            // Its attributes would be its target's.
            if (!files.RemoveFolder(folders[i])) ++counts.failed;
            continue;
        }
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

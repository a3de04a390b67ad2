#include "engine/delete.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/file_helpers.h"

namespace engine {

namespace {

// Returns how many entries lost their codes before a stop.
size_t StripCodes(CodedList& list, RunView& view) {
    size_t count = list.size();
    for (size_t i = 0; i < count; ++i) {
        view.ProcessMessages();
        if (view.StopRequested()) return i;
        const std::string& entry = list.Text(i);
        list.ReplaceAt(i, entry.substr(0, entry.size() >= 2 ? entry.size() - 2 : 0));
    }
    return count;
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

// Tells the log of entries a stop left, from the given one on. coded: they still carry their codes.
void TellStopped(const CodedList& list, size_t from, Side side, bool coded, const SyncOptions& options) {
    if (!options.log) return;
    for (size_t i = from; i < list.size(); ++i) {
        std::string_view text = list.Text(i);
        if (coded) text.remove_suffix(std::min<size_t>(2, text.size()));
        options.log->Record({Outcome::Stopped, side, std::string(EntryPath(text, list.Folder(i))), list.Folder(i), true, {}});
    }
}

// Removes the files and folders of one side: into the Recycle Bin in batches where it serves, else
// as the program always did (attributes cleared, then deleted).
class Remover {
public:
    struct Item {
        std::string path, relative;
        bool folder;
    };

    Remover(platform::FileOps& files, const SyncOptions& options, Side side, std::string_view root, StepCounts& counts)
        : files_(files), options_(options), side_(side), counts_(counts),
          recycle_(options.recycleBin && options.recycleBin->Serves(root)) {}
    ~Remover() { Flush(); }
    Remover(const Remover&) = delete;
    Remover& operator=(const Remover&) = delete;

    void Remove(std::string path, std::string relative, bool folder) {
        if (recycle_) {
            pending_.push_back({std::move(path), std::move(relative), folder});
            if (pending_.size() >= kBatch) Flush();
            return;
        }
        Delete({std::move(path), std::move(relative), folder},
               options_.recycleBin ? "no Recycle Bin on this drive" : "");
    }
    // The folders of one depth go together; a deeper one must be gone before its parent looks empty.
    void Flush() {
        if (pending_.empty()) return;
        std::vector<std::string> paths;
        for (const Item& item : pending_) paths.push_back(item.path);
        std::vector<bool> gone = options_.recycleBin->Recycle(paths);
        for (size_t i = 0; i < pending_.size(); ++i) {
            if (gone[i]) Tell(Outcome::Recycled, pending_[i], {});
            else Delete(pending_[i], "the Recycle Bin did not take it");
        }
        pending_.clear();
    }
    void Tell(Outcome outcome, const Item& item, std::string detail) {
        if (outcome == Outcome::Failed) ++counts_.failed;
        if (options_.log) options_.log->Record({outcome, side_, item.relative, item.folder, true, std::move(detail)});
    }

private:
    void Delete(const Item& item, std::string why) {
        files_.SetArchiveOnly(item.path);
        bool removed = item.folder ? files_.RemoveFolder(item.path) : files_.RemoveFile(item.path);
        if (removed || !(item.folder ? files_.FolderExists(item.path) : files_.Find(item.path).has_value())) {
            Tell(Outcome::Deleted, item, std::move(why));
            return;
        }
        std::string error = platform::LastErrorText();
        // A folder that still holds what the list does not name stays, by design: no failure.
        if (item.folder && HoldsAnything(files_, item.path)) Tell(Outcome::Kept, item, {});
        else Tell(Outcome::Failed, item, error);
    }

    static constexpr size_t kBatch = 200;
    platform::FileOps& files_;
    const SyncOptions& options_;
    Side side_;
    StepCounts& counts_;
    bool recycle_;
    std::vector<Item> pending_;
};

size_t Depth(const std::string& path) { return static_cast<size_t>(std::count(path.begin(), path.end(), '\\')); }

// Files first, in list order; then the folder entries, deepest first, so a folder listed together
// with its contents goes as well. A folder that still holds something stays. Nothing behind a folder
// link is touched; a listed link goes alone, its target's content stays.
void DeleteListed(platform::FileOps& files, CodedList& list, const ItemList& items, std::string_view root, Side side,
                  RunView& view, const SyncOptions& options, StepCounts& counts) {
    LoadedSide loaded(items, [&] { view.ProcessMessages(); });
    Remover remover(files, options, side, root, counts);
    std::vector<Remover::Item> folders;
    size_t count = list.size();
    for (size_t i = 0; i < count; ++i) {
        view.ProcessMessages();
        if (view.StopRequested()) {
            TellStopped(list, i, side, false, options);
            break;
        }
        std::string relative(EntryPath(list.Text(i), list.Folder(i)));
        std::string path = std::string(root) + "\\" + relative;
        Remover::Item item{path, relative, list.Folder(i)};
        if (BehindLink(files, root, relative)) {
            ++counts.handled;
            remover.Tell(Outcome::Failed, item, "behind a folder link, outside the pair");
            continue;
        }
        if (item.folder) {
            folders.push_back(std::move(item));
            continue;
        }
        ++counts.handled;
        // A file written since the Load holds content the user has not seen.
        if (loaded.ChangedSinceLoad(files, relative, path)) {
            ++counts.failed;
            remover.Tell(Outcome::Changed, item, {});
            continue;
        }
        remover.Remove(std::move(item.path), std::move(item.relative), false);
    }
    remover.Flush();
    std::stable_sort(folders.begin(), folders.end(),
                     [](const Remover::Item& a, const Remover::Item& b) { return Depth(a.path) > Depth(b.path); });
    size_t depth = folders.empty() ? 0 : Depth(folders.front().path);
    for (size_t i = 0; i < folders.size(); ++i) {
        if (Depth(folders[i].path) != depth) {
            depth = Depth(folders[i].path);
            remover.Flush();
        }
        view.ProcessMessages();
        Remover::Item& folder = folders[i];
        if (view.StopRequested()) {
            for (size_t k = i; k < folders.size() && options.log; ++k)
                options.log->Record({Outcome::Stopped, side, folders[k].relative, true, true, {}});
            break;
        }
        ++counts.handled;
        if (IsFolderLink(files, folder.path)) {
            // Only the link goes: its attributes, and its content, are its target's.
            if (files.RemoveFolder(folder.path)) remover.Tell(Outcome::Deleted, folder, "the folder link alone");
            else remover.Tell(Outcome::Failed, folder, platform::LastErrorText());
            continue;
        }
        if (HoldsAnything(files, folder.path)) {
            remover.Tell(Outcome::Kept, folder, {});
            continue;
        }
        remover.Remove(std::move(folder.path), std::move(folder.relative), true);
    }
    remover.Flush();
    list.Clear();
}

}  // namespace

void PrepareDeletion(SyncLists& lists, RunView& view, const SyncOptions& options) {
    view.SetStepCaption("Delete Files");
    struct List {
        CodedList& list;
        Side side;
    };
    for (List l : {List{lists.ldelfile1, Side::First}, List{lists.rdelfile1, Side::Second}}) {
        size_t stripped = 0;
        if (!view.StopRequested() && !l.list.empty()) stripped = StripCodes(l.list, view);
        // A stop here leaves the deletions undone, each entry as far as it was prepared.
        if (view.StopRequested()) {
            if (options.log)
                for (size_t i = 0; i < l.list.size(); ++i) {
                    std::string_view text = l.list.Text(i);
                    if (i >= stripped) text.remove_suffix(std::min<size_t>(2, text.size()));
                    options.log->Record({Outcome::Stopped, l.side, std::string(EntryPath(text, l.list.Folder(i))),
                                         l.list.Folder(i), true, {}});
                }
        }
    }
}

StepCounts DeleteItems(platform::FileOps& files, SyncLists& lists, std::string_view localRoot,
                       std::string_view remoteRoot, RunView& view, const SyncOptions& options) {
    view.SetStepCaption("Delete Files");
    StepCounts counts;
    // A stop before this step was told of by PrepareDeletion.
    if (view.StopRequested()) return counts;
    if (!lists.ldelfile1.empty())
        DeleteListed(files, lists.ldelfile1, lists.lvLocal, localRoot, Side::First, view, options, counts);
    if (view.StopRequested()) TellStopped(lists.rdelfile1, 0, Side::Second, false, options);
    else if (!lists.rdelfile1.empty())
        DeleteListed(files, lists.rdelfile1, lists.lvRemote, remoteRoot, Side::Second, view, options, counts);
    return counts;
}

}  // namespace engine

#include "engine/delete.h"

#include <algorithm>
#include <functional>
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

bool IsFolderLink(platform::FileOps& files, std::string_view path) {
    auto info = files.Find(path);
    return info && info->link;
}

// Tells of the entries a stop left, from the given one on; those before codedFrom lost their codes.
void TellStopped(const CodedList& list, size_t from, size_t codedFrom, Side side,
                 const std::function<void(ItemRecord)>& tell) {
    for (size_t i = from; i < list.size(); ++i) {
        std::string_view text = list.Text(i);
        if (i >= codedFrom) text.remove_suffix(std::min<size_t>(2, text.size()));
        tell({Outcome::Stopped, side, std::string(EntryPath(text, list.Folder(i))), list.Folder(i), true, {}});
    }
}

// A folder of a delete list goes only when empty, with a plain folder removal: an empty folder holds no
// data, and a folder that gained content since the Load keeps it. A folder link goes alone, its
// target's content stays.
void RemoveFolder(platform::FileOps& files, const std::string& path, ItemRecord record, Removal& removal) {
    record.before = record.after = ItemStateOf(files, path);
    if (!record.before.present) {
        record.outcome = Outcome::Deleted;  // gone already
        return removal.Tell(std::move(record));
    }
    bool link = IsFolderLink(files, path);
    if (!link && HoldsAnything(files, path)) {
        record.outcome = Outcome::Kept;
        return removal.Tell(std::move(record));
    }
    // A link's attributes are its target's.
    if (!link) files.SetArchiveOnly(path);
    if (files.RemoveFolder(path) || !files.FolderExists(path)) {
        record.outcome = Outcome::Deleted;
        record.after = {};
        if (link) record.detail = "the folder link alone";
    } else {
        record.outcome = Outcome::Failed;
        record.detail = platform::LastErrorText();
    }
    removal.Tell(std::move(record));
}

// Files first, in list order; then the folder entries, deepest first, so a folder listed together
// with its contents goes as well. Nothing behind a folder link is touched.
void DeleteListed(platform::FileOps& files, CodedList& list, const ItemList& items, std::string_view root, Side side,
                  RunView& view, Removal& removal) {
    LoadedSide loaded(items, [&] { view.ProcessMessages(); });
    std::vector<ItemRecord> folders;
    size_t count = list.size();
    for (size_t i = 0; i < count; ++i) {
        view.ProcessMessages();
        if (view.StopRequested()) {
            TellStopped(list, i, list.size(), side, [&](ItemRecord r) { removal.Tell(std::move(r)); });
            break;
        }
        std::string relative(EntryPath(list.Text(i), list.Folder(i)));
        ItemRecord record{Outcome::Deleted, side, relative, list.Folder(i), true, {}};
        if (BehindLink(files, root, relative)) {
            record.outcome = Outcome::Failed;
            record.detail = "behind a folder link, outside the pair";
            removal.Tell(std::move(record));
            continue;
        }
        if (record.folder) {
            folders.push_back(std::move(record));
            continue;
        }
        std::string path = std::string(root) + "\\" + relative;
        record.before = record.after = ItemStateOf(files, path);
        // A file written since the Load holds content the user has not seen.
        if (loaded.ChangedSinceLoad(files, relative, path)) {
            record.outcome = Outcome::Changed;
            removal.Tell(std::move(record));
            continue;
        }
        if (!record.before.present) {
            removal.Tell(std::move(record));  // gone already: nothing to do, nothing to undo
            continue;
        }
        ByteCount size = record.before.size;
        removal.RemoveFile(std::move(record), std::move(path), size);
    }
    // The folders' emptiness is judged once their files have left.
    removal.Flush();
    std::stable_sort(folders.begin(), folders.end(),
                     [](const ItemRecord& a, const ItemRecord& b) { return Depth(a.path) > Depth(b.path); });
    for (size_t i = 0; i < folders.size(); ++i) {
        view.ProcessMessages();
        if (view.StopRequested()) {
            for (size_t k = i; k < folders.size(); ++k) removal.Tell({Outcome::Stopped, side, folders[k].path, true, true, {}});
            break;
        }
        std::string path = std::string(root) + "\\" + folders[i].path;
        RemoveFolder(files, path, std::move(folders[i]), removal);
    }
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
        if (view.StopRequested() && options.log)
            TellStopped(l.list, 0, stripped, l.side, [&](const ItemRecord& r) { options.log->Record(r); });
    }
}

void DeleteItems(platform::FileOps& files, SyncLists& lists, std::string_view localRoot, std::string_view remoteRoot,
                 RunView& view, Removal& removal) {
    view.SetStepCaption("Delete Files");
    // A stop before this step was told of by PrepareDeletion.
    if (view.StopRequested()) return;
    if (!lists.ldelfile1.empty())
        DeleteListed(files, lists.ldelfile1, lists.lvLocal, localRoot, Side::First, view, removal);
    if (view.StopRequested())
        TellStopped(lists.rdelfile1, 0, lists.rdelfile1.size(), Side::Second, [&](ItemRecord r) { removal.Tell(std::move(r)); });
    else if (!lists.rdelfile1.empty())
        DeleteListed(files, lists.rdelfile1, lists.lvRemote, remoteRoot, Side::Second, view, removal);
}

StepCounts DeleteItems(platform::FileOps& files, SyncLists& lists, std::string_view localRoot,
                       std::string_view remoteRoot, RunView& view, const SyncOptions& options) {
    Removal removal(files, options, view, localRoot, remoteRoot);
    DeleteItems(files, lists, localRoot, remoteRoot, view, removal);
    removal.Finish();
    return removal.Counts();
}

}  // namespace engine

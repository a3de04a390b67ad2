#include "engine/update.h"

#include <functional>
#include <string>

#include "engine/file_helpers.h"

namespace engine {

namespace {

std::string Join(std::string_view root, std::string_view relative) {
    std::string path;
    path.reserve(root.size() + 1 + relative.size());
    return path.append(root).append("\\").append(relative);
}

std::string_view FolderPart(std::string_view path) {
    size_t cut = path.find_last_of('\\');
    return cut == std::string_view::npos ? std::string_view() : path.substr(0, cut + 1);
}

// Copies to to\relative. Before the first copy into a folder, the temporary files that cut-off
// copies left there go.
bool CopyInto(platform::FileOps& files, std::string_view source, std::string_view to, std::string_view relative,
              const std::string& destination, LoadedSide& loaded, const std::function<bool()>& mayReplace) {
    size_t cut = relative.find_last_of('\\');
    loaded.RemoveLeftovers(files, to, cut == std::string_view::npos ? std::string_view() : relative.substr(0, cut));
    return CopyItemFile(files, source, destination, mayReplace);
}

// An add entry: a folder is created; a file whose folder is missing gets the folder chain and a
// second try. Walking the list backward brings a folder's files before its own entry. Nothing is
// written behind a folder link: that would be outside the pair.
bool CarryOutAdd(platform::FileOps& files, const ResultEntry& entry, std::string_view from, std::string_view to,
                 LoadedSide& loaded) {
    std::string_view path = EntryPath(entry.text, entry.folder);
    if (BehindLink(files, to, path)) return false;
    std::string destination = Join(to, path);
    if (entry.folder) {
        CreateFolderChain(files, destination);
        return files.FolderExists(destination);
    }
    // Asked before the copy and again just before the copy takes the destination's place.
    auto unchanged = [&] { return !loaded.ChangedSinceLoad(files, path, destination); };
    if (!unchanged()) return false;
    std::string source = Join(from, path);
    if (CopyInto(files, source, to, path, destination, loaded, unchanged)) return true;
    CreateFolderChain(files, FolderPart(destination));
    return CopyItemFile(files, source, destination, unchanged);
}

// An update entry: a failed copy asks whether to clear the destination's attributes and force it.
// A destination that changed since the Load, or lies behind a folder link, is left as it is, without
// a question.
bool CarryOutUpdate(platform::FileOps& files, std::string_view entry, std::string_view from, std::string_view to,
                    LoadedSide& loaded, RunView& view) {
    if (BehindLink(files, to, entry)) return false;
    std::string source = Join(from, entry), destination = Join(to, entry);
    auto unchanged = [&] { return !loaded.ChangedSinceLoad(files, entry, destination); };
    if (!unchanged()) return false;
    if (CopyInto(files, source, to, entry, destination, loaded, unchanged)) return true;
    if (!unchanged()) return false;  // changed while the copy ran: nothing to force
    std::string paths = "From: " + source + "\r" + "To  : " + destination + "\r";
    if (!view.AskYesNo(paths + "Copy Failed, Force Update?")) return false;
    files.SetArchiveOnly(destination);
    if (CopyItemFile(files, source, destination, unchanged)) return true;
    if (unchanged()) view.Warn(paths + "Copy still failed");
    return false;
}

}  // namespace

int UpdateItems(platform::FileOps& files, const SyncLists& lists, std::string_view localRoot,
                std::string_view remoteRoot, RunView& view) {
    struct Pass {
        const ResultList& list;
        std::string_view from, to;
        LoadedSide& destination;
        bool add;
    };
    LoadedSide local(lists.lvLocal), remote(lists.lvRemote);
    const Pass passes[] = {
        {lists.lFileAdd1, remoteRoot, localRoot, local, true},
        {lists.rFileAdd1, localRoot, remoteRoot, remote, true},
        {lists.lUpdate1, remoteRoot, localRoot, local, false},
        {lists.rUpdate1, localRoot, remoteRoot, remote, false},
    };
    size_t total = 0, done = 0;
    for (const Pass& pass : passes) total += pass.list.size();
    view.SetStepCaption("Updating Files");
    int failed = 0;
    for (const Pass& pass : passes) {
        if (view.StopRequested()) break;
        size_t count = pass.list.size();
        for (size_t k = 0; k < count; ++k) {
            ++done;
            view.SetProgress(static_cast<int>(done * 100 / total));
            view.ProcessMessages();
            if (view.StopRequested()) break;
            const ResultEntry& entry = pass.list[pass.add ? count - 1 - k : k];
            bool ok = pass.add ? CarryOutAdd(files, entry, pass.from, pass.to, pass.destination)
                               : CarryOutUpdate(files, entry.text, pass.from, pass.to, pass.destination, view);
            if (!ok) ++failed;
        }
    }
    return failed;
}

}  // namespace engine

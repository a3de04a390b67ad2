#include "engine/update.h"

#include <functional>
#include <string>
#include <vector>

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

// What came of one entry.
struct Result {
    Outcome outcome;
    std::string detail;
    std::string aside;  // an update's old content, kept for the Recycle Bin
};

Result Failure(std::string detail) { return {Outcome::Failed, std::move(detail), {}}; }

// Copies to to\relative. Before the first copy into a folder, the temporary files that cut-off
// copies left there go.
bool CopyInto(platform::FileOps& files, std::string_view source, std::string_view to, std::string_view relative,
              const std::string& destination, LoadedSide& loaded, const std::function<bool()>& mayReplace,
              CopyPlacement& placement) {
    size_t cut = relative.find_last_of('\\');
    loaded.RemoveLeftovers(files, to, cut == std::string_view::npos ? std::string_view() : relative.substr(0, cut));
    return CopyItemFile(files, source, destination, mayReplace, &placement);
}

constexpr const char* kBehindLink = "behind a folder link, outside the pair";

// An add entry: a folder is created; a file whose folder is missing gets the folder chain and a
// second try. Walking the list backward brings a folder's files before its own entry. Nothing is
// written behind a folder link: that would be outside the pair.
Result CarryOutAdd(platform::FileOps& files, const ResultEntry& entry, std::string_view from, std::string_view to,
                   LoadedSide& loaded) {
    std::string_view path = EntryPath(entry.text, entry.folder);
    if (BehindLink(files, to, path)) return Failure(kBehindLink);
    std::string destination = Join(to, path);
    if (entry.folder) {
        CreateFolderChain(files, destination);
        if (files.FolderExists(destination)) return {Outcome::FolderCreated, {}, {}};
        return Failure("the folder could not be created");
    }
    // Asked before the copy and again just before the copy takes the destination's place.
    auto unchanged = [&] { return !loaded.ChangedSinceLoad(files, path, destination); };
    if (!unchanged()) return {Outcome::Changed, {}, {}};
    std::string source = Join(from, path);
    CopyPlacement placement;
    if (CopyInto(files, source, to, path, destination, loaded, unchanged, placement)) return {Outcome::Copied, {}, {}};
    CreateFolderChain(files, FolderPart(destination));
    if (CopyItemFile(files, source, destination, unchanged, &placement)) return {Outcome::Copied, {}, {}};
    return unchanged() ? Failure(placement.error) : Result{Outcome::Changed, {}, {}};
}

// An update entry: a failed copy asks whether to clear the destination's attributes and force it.
// A destination that changed since the Load, or lies behind a folder link, is left as it is, without
// a question. keepOld, when given, keeps the old content aside for the Recycle Bin.
Result CarryOutUpdate(platform::FileOps& files, std::string_view entry, std::string_view from, std::string_view to,
                      LoadedSide& loaded, RunView& view, platform::RecycleBin* keepOld) {
    if (BehindLink(files, to, entry)) return Failure(kBehindLink);
    std::string source = Join(from, entry), destination = Join(to, entry);
    auto unchanged = [&] { return !loaded.ChangedSinceLoad(files, entry, destination); };
    if (!unchanged()) return {Outcome::Changed, {}, {}};
    CopyPlacement placement{keepOld, {}, {}};
    auto replaced = [&] { return Result{Outcome::Replaced, {}, placement.aside}; };
    if (CopyInto(files, source, to, entry, destination, loaded, unchanged, placement)) return replaced();
    if (!unchanged()) return {Outcome::Changed, {}, {}};  // changed while the copy ran: nothing to force
    std::string paths = "From: " + source + "\r" + "To  : " + destination + "\r";
    if (!view.AskYesNo(paths + "Copy Failed, Force Update?")) return {Outcome::Declined, {}, {}};
    files.SetArchiveOnly(destination);
    if (CopyItemFile(files, source, destination, unchanged, &placement)) return replaced();
    if (!unchanged()) return {Outcome::Changed, {}, {}};
    view.Warn(paths + "Copy still failed");
    return Failure(placement.error);
}

// The old contents of replaced files, recycled together: one shell operation for many files.
class OldCopies {
public:
    OldCopies(platform::FileOps& files, const SyncOptions& options) : files_(files), options_(options) {}
    ~OldCopies() { Flush(); }
    OldCopies(const OldCopies&) = delete;
    OldCopies& operator=(const OldCopies&) = delete;

    void Add(ItemRecord record, std::string aside) {
        pending_.push_back({std::move(record), std::move(aside)});
        if (pending_.size() >= kBatch) Flush();
    }
    void Flush() {
        if (pending_.empty()) return;
        std::vector<std::string> asides;
        for (const auto& p : pending_) asides.push_back(p.aside);
        std::vector<bool> gone = options_.recycleBin->Recycle(asides);
        for (size_t i = 0; i < pending_.size(); ++i) {
            ItemRecord& record = pending_[i].record;
            if (gone[i]) {
                record.detail = "old copy in the Recycle Bin";
            } else {
                // As without the Recycle Bin: the old content does not stay beside the new.
                files_.SetArchiveOnly(pending_[i].aside);
                files_.RemoveFile(pending_[i].aside);
                record.detail = "old copy deleted for good: the Recycle Bin did not take it";
            }
            if (options_.log) options_.log->Record(record);
        }
        pending_.clear();
    }

private:
    static constexpr size_t kBatch = 200;
    struct Pending {
        ItemRecord record;
        std::string aside;
    };
    platform::FileOps& files_;
    const SyncOptions& options_;
    std::vector<Pending> pending_;
};

}  // namespace

StepCounts UpdateItems(platform::FileOps& files, const SyncLists& lists, std::string_view localRoot,
                       std::string_view remoteRoot, RunView& view, const SyncOptions& options) {
    struct Pass {
        const ResultList& list;
        std::string_view from, to;
        LoadedSide& destination;
        Side side;
        bool add;
    };
    auto pump = [&] { view.ProcessMessages(); };
    LoadedSide local(lists.lvLocal, pump), remote(lists.lvRemote, pump);
    const Pass passes[] = {
        {lists.lFileAdd1, remoteRoot, localRoot, local, Side::First, true},
        {lists.rFileAdd1, localRoot, remoteRoot, remote, Side::Second, true},
        {lists.lUpdate1, remoteRoot, localRoot, local, Side::First, false},
        {lists.rUpdate1, localRoot, remoteRoot, remote, Side::Second, false},
    };
    // A drive without a Recycle Bin replaces as the program always did.
    platform::RecycleBin* bin = options.recycleBin;
    const bool keeps[] = {bin && bin->Serves(localRoot), bin && bin->Serves(remoteRoot)};
    OldCopies oldCopies(files, options);
    size_t total = 0, done = 0;
    for (const Pass& pass : passes) total += pass.list.size();
    view.SetStepCaption("Updating Files");
    StepCounts counts;
    for (const Pass& pass : passes) {
        if (view.StopRequested() && !options.log) break;
        size_t count = pass.list.size();
        for (size_t k = 0; k < count; ++k) {
            const ResultEntry& entry = pass.list[pass.add ? count - 1 - k : k];
            bool stopped = view.StopRequested();
            if (!stopped) {
                ++done;
                view.SetProgress(static_cast<int>(done * 100 / total));
                view.ProcessMessages();
                stopped = view.StopRequested();
            }
            if (stopped && !options.log) break;
            ItemRecord record{Outcome::Stopped, pass.side, std::string(EntryPath(entry.text, entry.folder)),
                              entry.folder, false, {}};
            // From the stop on, what is left is only told.
            if (stopped) {
                options.log->Record(record);
                continue;
            }
            bool keep = keeps[pass.side == Side::First ? 0 : 1];
            Result result = pass.add ? CarryOutAdd(files, entry, pass.from, pass.to, pass.destination)
                                     : CarryOutUpdate(files, entry.text, pass.from, pass.to, pass.destination, view,
                                                      keep ? bin : nullptr);
            ++counts.handled;
            record.outcome = result.outcome;
            record.detail = std::move(result.detail);
            bool ok = result.outcome == Outcome::Copied || result.outcome == Outcome::FolderCreated ||
                      result.outcome == Outcome::Replaced;
            if (!ok) ++counts.failed;
            if (!result.aside.empty()) {
                oldCopies.Add(std::move(record), std::move(result.aside));
                continue;
            }
            if (result.outcome == Outcome::Replaced && bin && !keep)
                record.detail = "old copy deleted for good: no Recycle Bin on this drive";
            if (options.log) options.log->Record(record);
        }
    }
    return counts;
}

}  // namespace engine

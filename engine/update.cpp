#include "engine/update.h"

#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/file_helpers.h"
#include "engine/move.h"

namespace engine {

namespace {

std::string Join(std::string_view root, std::string_view relative) {
    std::string path;
    path.reserve(root.size() + 1 + relative.size());
    return path.append(root).append("\\").append(relative);
}

constexpr const char* kBehindLink = "behind a folder link, outside the pair";

// One pass's direction: from one root to the other, both sides as the Load saw them, and the folders
// this Sync has made at the destination.
struct Direction {
    std::string_view from, to;
    LoadedSide& loaded;
    LoadedSide& source;
    Side side;
    std::unordered_set<std::string>& made;  // name keys of full paths
    Mover* mover = nullptr;                 // the adds planned as moves within the destination side
};

class Updater {
public:
    Updater(platform::FileOps& files, RunView& view, Removal& removal) : files_(files), view_(view), removal_(removal) {}

    // The entry about to be handled, counted from 1 of total, and the bar's step that shows it.
    void AtEntry(size_t done, size_t total, int step) {
        done_ = done;
        total_ = total;
        shown_ = step;
    }

    // An add entry: a folder is created; a file whose folder is missing gets the folder chain and a
    // second try. Walking the list backward brings a folder's files before its own entry. Nothing is
    // written behind a folder link: that would be outside the pair.
    void Add(const ResultEntry& entry, Direction& d, ItemRecord record) {
        if (!entry.movedFrom.empty() && !entry.folder && d.mover->MoveFile(entry, record)) return;
        std::string_view path = EntryPath(entry.text, entry.folder);
        if (BehindLink(files_, d.to, path)) return Fail(std::move(record), kBehindLink);
        std::string destination = Join(d.to, path);
        if (entry.folder) {
            // A folder this Sync made for the files in it was not there before the Sync either.
            bool existed = files_.FolderExists(destination) && !d.made.contains(NameKey(destination));
            MakeFolders(d, destination, destination);
            if (!files_.FolderExists(destination)) return Fail(std::move(record), "the folder could not be created");
            record.outcome = Outcome::FolderCreated;
            record.before = existed ? ItemState{true, true, 0, 0} : ItemState{};
            record.after = {true, true, 0, 0};
            return removal_.Tell(std::move(record));
        }
        // Asked before the copy and again just before the copy takes the destination's place.
        auto unchanged = [&] { return !d.loaded.ChangedSinceLoad(files_, path, destination); };
        if (!unchanged()) return LeftBecauseChanged(std::move(record), destination);
        std::string source = Join(d.from, path);
        std::string temporary = TemporaryBeside(destination), error;
        record.intent = Announce(WorkIntent::Kind::Copy, record, temporary, {}, d.source.Loaded(path, false));
        bool copied = CopyItemFile(files_, source, destination, unchanged, &error, temporary, Progress());
        if (!copied && !view_.StopRequested()) {
            MakeFolders(d, FolderPart(destination));
            copied = CopyItemFile(files_, source, destination, unchanged, &error, temporary, Progress());
        }
        if (!copied) {
            if (view_.StopRequested()) return Stopped(std::move(record));
            if (!unchanged()) return LeftBecauseChanged(std::move(record), destination);
            return Fail(std::move(record), error);
        }
        record.outcome = Outcome::Copied;
        record.after = ItemStateOf(files_, destination);
        removal_.Tell(std::move(record));
    }

    // An update entry: a failed copy asks whether to clear the destination's attributes and force it.
    // A destination that changed since the Load, or lies behind a folder link, is left as it is, without
    // a question. The new content is complete beside the file before the old one leaves, as the
    // removal owner says.
    void Update(std::string_view entry, Direction& d, ItemRecord record) {
        if (BehindLink(files_, d.to, entry)) return Fail(std::move(record), kBehindLink);
        std::string source = Join(d.from, entry), destination = Join(d.to, entry);
        auto unchanged = [&] { return !d.loaded.ChangedSinceLoad(files_, entry, destination); };
        if (!unchanged()) return LeftBecauseChanged(std::move(record), destination);
        record.before = d.loaded.Loaded(entry, false).value_or(ItemStateOf(files_, destination));
        Removal::Replacement way = removal_.ForReplacement(d.side, destination, record.before.size);
        if (way.how == Removal::OldContent::Stay) {
            record.outcome = Outcome::LeftInPlace;
            record.detail = way.why;
            record.after = record.before;
            return removal_.Tell(std::move(record));
        }
        std::string temporary = TemporaryBeside(destination), error;
        std::string second = way.how == Removal::OldContent::Recycle ? OldCopyBeside(destination) : std::string();
        record.intent = Announce(WorkIntent::Kind::Replace, record, temporary, second, d.source.Loaded(entry, false));
        // Overwritten, the copy takes the place at once; otherwise it is complete beside the file, which is
        // unchanged since the Load and may be replaced, and the removal owner does the rest.
        auto ready = [&] {
            if (way.how == Removal::OldContent::Overwrite)
                return CopyItemFile(files_, source, destination, unchanged, &error, temporary, Progress());
            if (!CopyToTemporary(files_, source, temporary, &error, Progress())) return false;
            if (unchanged() && files_.CanReplace(destination)) return true;
            error = platform::LastErrorText();
            DiscardCopy(files_, temporary);
            return false;
        };
        auto placed = [&] {
            if (way.how != Removal::OldContent::Overwrite)
                return removal_.Replace(std::move(record), temporary, second, destination, way);
            record.outcome = Outcome::Replaced;
            record.detail = way.why;
            record.after = ItemStateOf(files_, destination);
            removal_.Tell(std::move(record));
        };
        if (ready()) return placed();
        if (view_.StopRequested()) return Stopped(std::move(record));  // stopped inside the file
        if (!unchanged()) return LeftBecauseChanged(std::move(record), destination);  // nothing to force
        std::string paths = "From: " + source + "\r" + "To  : " + destination + "\r";
        if (!view_.AskYesNo(paths + "Copy Failed, Force Update?", RunView::Default::Yes)) {
            record.outcome = Outcome::Declined;
            record.after = record.before;
            return removal_.Tell(std::move(record));
        }
        files_.SetArchiveOnly(destination);
        if (ready()) return placed();
        if (view_.StopRequested()) return Stopped(std::move(record));
        if (!unchanged()) return LeftBecauseChanged(std::move(record), destination);
        view_.Warn(paths + "Copy still failed");
        Fail(std::move(record), error);
    }

    void MakeFoldersAbove(Direction& d, std::string_view folder) { MakeFolders(d, folder); }

private:
    // Tells the journal of the work before any file of it is made; copy is the source as the Load saw it,
    // what the temporary copy is once complete.
    int Announce(WorkIntent::Kind kind, const ItemRecord& record, const std::string& temporary,
                 const std::string& second, const std::optional<ItemState>& copy) {
        WorkIntent intent{kind, record.side, record.path, std::string(NamePart(temporary)), std::string(NamePart(second)),
                          record.before, copy.value_or(ItemState{})};
        return removal_.Intend(intent);
    }

    // Creates the folder chain; each folder made is told (but the entry's own), so that an undo knows
    // it was not there.
    void MakeFolders(Direction& d, std::string_view path, std::string_view entryFolder = {}) {
        std::vector<std::string> created;
        CreateFolderChain(files_, path, &created);
        for (std::string& folder : created) {
            d.made.insert(NameKey(folder));
            if (folder.size() <= d.to.size() + 1 || folder == entryFolder) continue;
            ItemRecord record{Outcome::FolderCreated, d.side, folder.substr(d.to.size() + 1), true, false, {}};
            record.after = {true, true, 0, 0};
            record.extra = true;
            removal_.Tell(std::move(record));
        }
    }

    // While a long copy runs: pb1 moves on from the step before the entry by the share of it copied
    // (the entry's own step, shown at its start, is where the bar ends up), the window lets its
    // messages run, and a stop, a close or the session's end ends the copy.
    platform::CopyProgress Progress() {
        return [this](std::int64_t copied, std::int64_t size) {
            double share = size > 0 ? std::min(1.0, static_cast<double>(copied) / static_cast<double>(size)) : 1.0;
            int percent = static_cast<int>((static_cast<double>(done_ - 1) + share) * 100 / static_cast<double>(total_));
            if (percent != shown_) view_.SetProgress(shown_ = percent);
            view_.ProcessMessages();
            return !view_.StopRequested();
        };
    }

    // The copy was stopped inside the file: the entry is not done, its destination as it was.
    void Stopped(ItemRecord record) {
        record.outcome = Outcome::Stopped;
        record.after = record.before;
        removal_.Tell(std::move(record));
    }

    void LeftBecauseChanged(ItemRecord record, std::string_view destination) {
        record.outcome = Outcome::Changed;
        record.before = record.after = ItemStateOf(files_, destination);
        removal_.Tell(std::move(record));
    }

    void Fail(ItemRecord record, std::string detail) {
        record.outcome = Outcome::Failed;
        record.detail = std::move(detail);
        record.after = record.before;
        removal_.Tell(std::move(record));
    }

    platform::FileOps& files_;
    RunView& view_;
    Removal& removal_;
    size_t done_ = 1, total_ = 1;
    int shown_ = 0;  // the bar's position
};

}  // namespace

void UpdateItems(platform::FileOps& files, const SyncLists& lists, std::string_view localRoot,
                 std::string_view remoteRoot, RunView& view, Removal& removal) {
    struct Pass {
        const ResultList& list;
        Direction& direction;
        bool add;
    };
    auto pump = [&] { view.ProcessMessages(); };
    LoadedSide local(lists.lvLocal, pump), remote(lists.lvRemote, pump);
    std::unordered_set<std::string> madeLocal, madeRemote;
    Direction toLocal{remoteRoot, localRoot, local, remote, Side::First, madeLocal};
    Direction toRemote{localRoot, remoteRoot, remote, local, Side::Second, madeRemote};
    const Pass passes[] = {
        {lists.lFileAdd1, toLocal, true},
        {lists.rFileAdd1, toRemote, true},
        {lists.lUpdate1, toLocal, false},
        {lists.rUpdate1, toRemote, false},
    };
    Updater updater(files, view, removal);
    Mover movesLocal(files, removal, localRoot, local, Side::First, [&](std::string_view f) { updater.MakeFoldersAbove(toLocal, f); });
    Mover movesRemote(files, removal, remoteRoot, remote, Side::Second,
                      [&](std::string_view f) { updater.MakeFoldersAbove(toRemote, f); });
    toLocal.mover = &movesLocal;
    toRemote.mover = &movesRemote;
    size_t total = 0, done = 0;
    for (const Pass& pass : passes) total += pass.list.size();
    view.SetStepCaption("Updating Files");
    // A folder moved with all it holds goes first, in one step; what goes with it is done then.
    if (!view.StopRequested()) {
        movesLocal.MoveFolders(lists.lFileAdd1);
        movesRemote.MoveFolders(lists.rFileAdd1);
    }
    for (const Pass& pass : passes) {
        size_t count = pass.list.size();
        for (size_t k = 0; k < count; ++k) {
            const ResultEntry& entry = pass.list[pass.add ? count - 1 - k : k];
            if (pass.add && pass.direction.mover->Told(entry)) continue;
            bool stopped = view.StopRequested();
            if (!stopped) {
                ++done;
                int step = static_cast<int>(done * 100 / total);
                updater.AtEntry(done, total, step);
                view.SetProgress(step);
                view.ProcessMessages();
                stopped = view.StopRequested();
            }
            ItemRecord record{Outcome::Stopped, pass.direction.side, std::string(EntryPath(entry.text, entry.folder)),
                              entry.folder, false, {}};
            // From the stop on, what is left is only told.
            if (stopped) removal.Tell(std::move(record));
            else if (pass.add) updater.Add(entry, pass.direction, std::move(record));
            else updater.Update(entry.text, pass.direction, std::move(record));
        }
    }
}

StepCounts UpdateItems(platform::FileOps& files, const SyncLists& lists, std::string_view localRoot,
                       std::string_view remoteRoot, RunView& view, const SyncOptions& options) {
    Removal removal(files, options, view, localRoot, remoteRoot);
    UpdateItems(files, lists, localRoot, remoteRoot, view, removal);
    removal.Finish();
    return removal.Counts();
}

}  // namespace engine

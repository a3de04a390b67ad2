#include "engine/removal.h"

#include <algorithm>

#include "engine/file_helpers.h"

namespace engine {

namespace {

constexpr size_t kBatch = 200;
constexpr const char* kNoBin = "no Recycle Bin on this drive";

platform::RecycleBin& BinOf(const SyncOptions& options) { return *options.recycleBin; }

}  // namespace

Removal::Removal(platform::FileOps& files, const SyncOptions& options, RunView& view, std::string_view firstRoot,
                 std::string_view secondRoot)
    : files_(files), options_(options), view_(view) {
    if (options_.recycleBin) {
        volumes_[0] = options_.recycleBin->Volume(firstRoot);
        volumes_[1] = options_.recycleBin->Volume(secondRoot);
    }
    if (options_.unattended) answer_ = Answer::No;
}

Removal::~Removal() {
    if (!finished_) Finish(false);
}

std::string Removal::Refusal(Side side, std::string_view path, ByteCount size) {
    const platform::BinVolume& volume = Volume(side);
    if (volume.kind == platform::BinVolume::Kind::Refuses) return volume.refusal;
    if (volume.largest >= 0 && size > volume.largest) return "it is too big for the Recycle Bin";
    return BinOf(options_).PathRefusal(path);
}

void Removal::AskBeforehand(const SyncLists& lists, std::string_view firstRoot, std::string_view secondRoot) {
    if (!options_.recycleBin || answer_ != Answer::NotAsked) return;
    struct SideOfPlan {
        Side side;
        const ItemList& items;
        std::string_view root;
        const ResultList& updates;
        const CodedList& deletions;
    };
    std::vector<std::pair<std::string, int>> byDrive;
    for (const SideOfPlan& plan : {SideOfPlan{Side::First, lists.lvLocal, firstRoot, lists.lUpdate1, lists.ldelfile1},
                                   SideOfPlan{Side::Second, lists.lvRemote, secondRoot, lists.rUpdate1, lists.rdelfile1}}) {
        if (Volume(plan.side).kind == platform::BinVolume::Kind::None) continue;
        LoadedSide loaded(plan.items);
        int refused = 0;
        auto weigh = [&](std::string_view relative, bool replacement) {
            std::optional<ItemState> state = loaded.Loaded(relative, false);
            if (!state) return;
            std::string path = std::string(plan.root) + "\\" + std::string(relative);
            // A replacement recycles the old content under its short own name beside the file.
            if (replacement) path = OldCopyBeside(path);
            if (!Refusal(plan.side, path, state->size).empty()) ++refused;
        };
        for (size_t i = 0; i < plan.updates.size(); ++i) weigh(plan.updates.Text(i), true);
        for (size_t i = 0; i < plan.deletions.size(); ++i) {
            if (plan.deletions.Folder(i)) continue;
            std::string_view text = plan.deletions.Text(i);
            weigh(text.substr(0, text.size() >= 2 ? text.size() - 2 : 0), false);  // without its origin code
        }
        if (refused > 0) byDrive.emplace_back(Volume(plan.side).drive, refused);
    }
    if (!byDrive.empty()) DeleteForGood(byDrive);
}

bool Removal::DeleteForGood(const std::vector<std::pair<std::string, int>>& countsByDrive) {
    if (answer_ == Answer::NotAsked) {
        if (view_.StopRequested()) return false;
        std::string items;
        for (size_t i = 0; i < countsByDrive.size(); ++i) {
            if (i > 0) items += " and ";
            const auto& [drive, n] = countsByDrive[i];
            items += std::to_string(n) + (n == 1 ? " item on " : " items on ") + drive;
        }
        answer_ = view_.AskToDeleteForGood("The Recycle Bin cannot take " + items + ". Delete them for good?") ? Answer::Yes
                                                                                                      : Answer::No;
    }
    return answer_ == Answer::Yes;
}

Removal::Replacement Removal::ForReplacement(Side side, std::string_view destination, ByteCount oldSize) {
    if (!options_.recycleBin) return {OldContent::Overwrite, {}, {}};
    if (Volume(side).kind == platform::BinVolume::Kind::None)
        return {OldContent::Overwrite, {}, std::string("old copy deleted for good: ") + kNoBin};
    std::string aside = OldCopyBeside(destination);
    std::string refusal = Refusal(side, aside, oldSize);
    if (refusal.empty()) return {OldContent::Keep, std::move(aside), {}};
    if (DeleteForGood({{Volume(side).drive, 1}}))
        return {OldContent::Overwrite, {}, "old copy deleted for good at your word: " + refusal};
    return {OldContent::Stay, {}, "the Recycle Bin cannot take its old copy: " + refusal};
}

void Removal::KeepOldCopy(ItemRecord record, std::string aside, std::string destination) {
    std::string drive = Volume(record.side).drive;
    pending_.push_back({std::move(record), Kind::OldCopy, std::move(aside), std::move(destination), drive, {}});
    if (pending_.size() >= kBatch) Flush();
}

void Removal::RemoveFile(ItemRecord record, std::string path, ByteCount size) {
    if (!options_.recycleBin) return DeleteNow(std::move(record), path, {});
    const platform::BinVolume& volume = Volume(record.side);
    if (volume.kind == platform::BinVolume::Kind::None) return DeleteNow(std::move(record), path, kNoBin);
    if (std::string refusal = Refusal(record.side, path, size); !refusal.empty()) {
        if (DeleteForGood({{volume.drive, 1}}))
            return DeleteNow(std::move(record), path, "at your word: the Recycle Bin cannot take it: " + refusal);
        record.outcome = Outcome::LeftInPlace;
        record.detail = "the Recycle Bin cannot take it: " + refusal;
        record.after = record.before;
        return Tell(std::move(record));
    }
    pending_.push_back({std::move(record), Kind::File, std::move(path), {}, volume.drive, {}});
    if (pending_.size() >= kBatch) Flush();
}

void Removal::RemoveLeftover(Side side, std::string relative, std::string path) {
    const std::string why = "an old copy a cut-off Sync left";
    ItemRecord record{Outcome::Recycled, side, std::move(relative), false, true, why};
    record.extra = true;
    // Without a bin for it, an old copy goes as every replaced content goes there: for good.
    if (!options_.recycleBin || Volume(side).kind == platform::BinVolume::Kind::None)
        return DeleteNow(std::move(record), path, why);
    if (Volume(side).kind == platform::BinVolume::Kind::Refuses) return;  // it waits for a bin that works
    pending_.push_back({std::move(record), Kind::Leftover, std::move(path), {}, Volume(side).drive, {}});
    if (pending_.size() >= kBatch) Flush();
}

void Removal::Tell(ItemRecord record) {
    if (!record.extra && record.outcome != Outcome::Stopped) {
        ++counts_.handled;
        if (!Done(record.outcome)) ++counts_.failed;
    }
    if (options_.log) options_.log->Record(record);
}

void Removal::DeleteNow(ItemRecord record, const std::string& path, std::string why) {
    files_.SetArchiveOnly(path);
    if (files_.RemoveFile(path) || !files_.Find(path)) {
        record.outcome = Outcome::Deleted;
        record.detail = std::move(why);
        record.after = {};
    } else {
        record.outcome = Outcome::Failed;
        record.detail = platform::LastErrorText();
        record.after = record.before;
    }
    Tell(std::move(record));
}

void Removal::Flush() {
    if (pending_.empty()) return;
    std::vector<Item> batch = std::move(pending_);
    pending_.clear();
    std::vector<std::string> paths;
    for (const Item& item : batch) paths.push_back(item.path);
    platform::FileTime from = platform::CurrentFileTime();
    std::vector<platform::RecycleResult> results = BinOf(options_).Recycle(paths);
    platform::FileTime until = platform::CurrentFileTime();
    for (size_t i = 0; i < batch.size(); ++i) {
        Item& item = batch[i];
        ItemRecord& record = item.record;
        const platform::RecycleResult& result = results[i];
        switch (result.result) {
        case platform::Recycled::InBin:
            record.binPath = item.path;
            record.recycledFrom = from;
            record.recycledUntil = until;
            if (item.kind == Kind::OldCopy) {
                record.detail = "old copy in the Recycle Bin";
            } else {
                record.outcome = Outcome::Recycled;
                if (item.kind == Kind::File) record.after = {};
            }
            Tell(std::move(record));
            break;
        case platform::Recycled::Destroyed:
            if (item.kind == Kind::OldCopy) {
                record.detail = "old copy deleted for good: the Recycle Bin did not keep it";
            } else {
                record.outcome = Outcome::Deleted;
                record.detail = "the Recycle Bin did not keep it";
                record.after = {};
            }
            Tell(std::move(record));
            break;
        case platform::Recycled::InUse:
        case platform::Recycled::Failed:
            if (item.kind == Kind::File) {
                record.outcome = Outcome::Failed;
                record.detail = result.result == platform::Recycled::InUse ? "in use" : result.error;
                record.after = record.before;
                Tell(std::move(record));
                break;
            }
            [[fallthrough]];
        case platform::Recycled::Refused:
            if (item.kind == Kind::Leftover) break;  // it waits beside its file for the next Sync
            item.why = result.result == platform::Recycled::Refused ? "the Recycle Bin did not take it"
                       : result.error.empty()                       ? "the Recycle Bin could not take it: in use"
                                                                    : "the Recycle Bin could not take it: " + result.error;
            if (answer_ == Answer::NotAsked) refused_.push_back(std::move(item));
            else Settle(std::move(item), answer_ == Answer::Yes);
            break;
        }
    }
}

void Removal::Settle(Item item, bool forGood) {
    ItemRecord& record = item.record;
    if (item.kind == Kind::File) {
        if (forGood) return DeleteNow(std::move(record), item.path, "at your word: " + item.why);
        record.outcome = Outcome::LeftInPlace;
        record.detail = item.why;
        record.after = record.before;
        return Tell(std::move(record));
    }
    // An old copy: at the user's word it goes for good; otherwise the file gets it back, so no old
    // content stays under a name nobody sees, and the update counts as not done.
    if (forGood) {
        files_.SetArchiveOnly(item.path);
        if (files_.RemoveFile(item.path)) {
            record.detail = "old copy deleted for good at your word: " + item.why;
            return Tell(std::move(record));
        }
    } else {
        auto now = files_.Find(item.destination);
        bool unchanged = now && !now->directory && now->size == record.after.size && now->lastWrite == record.after.lastWrite;
        if (unchanged) {
            // The new content may carry a read-only attribute from its source.
            files_.SetArchiveOnly(item.destination);
            if (files_.MoveReplacing(item.path, item.destination)) {
                record.outcome = Outcome::LeftInPlace;
                record.detail = item.why + ": its old copy is back in its place";
                record.after = record.before;
                return Tell(std::move(record));
            }
        }
    }
    record.detail = "old copy kept beside it as " + std::string(NamePart(item.path)) + ": " + item.why;
    Tell(std::move(record));
}

void Removal::Finish() { Finish(true); }

void Removal::Finish(bool ask) {
    finished_ = true;
    Flush();
    if (refused_.empty()) return;
    std::vector<Item> refused = std::move(refused_);
    refused_.clear();
    std::vector<std::pair<std::string, int>> byDrive;
    for (const Item& item : refused) {
        auto at = std::find_if(byDrive.begin(), byDrive.end(), [&](const auto& d) { return d.first == item.drive; });
        if (at == byDrive.end()) byDrive.emplace_back(item.drive, 1);
        else ++at->second;
    }
    bool forGood = ask && DeleteForGood(byDrive);
    for (Item& item : refused) Settle(std::move(item), forGood);
}

}  // namespace engine

#include "engine/removal.h"

#include <algorithm>

#include "engine/file_helpers.h"
#include "engine/recycle.h"

namespace engine {

namespace {

constexpr size_t kBatch = 200;
// New contents waiting beside their files for the batch take disk space: a batch of big files goes early.
constexpr std::int64_t kBatchBytes = std::int64_t{512} << 20;
constexpr const char* kNoBin = "no Recycle Bin on this drive";

}  // namespace

Removal::Removal(platform::FileOps& files, const SyncOptions& options, RunView& view, std::string_view firstRoot,
                 std::string_view secondRoot)
    : files_(files), options_(options), view_(view) {
    if (options_.recycleBin) {
        // The shell counts a whole bin to answer: that may take a second.
        platform::RecycleBin& bin = *options_.recycleBin;
        auto [first, second] = WhileAlive(view_, [&bin, a = std::string(firstRoot), b = std::string(secondRoot)] {
            return std::pair{bin.Volume(a), bin.Volume(b)};
        });
        volumes_[0] = std::move(first);
        volumes_[1] = std::move(second);
    }
}

Removal::~Removal() {
    if (!finished_) Finish(false);
}

std::string Removal::Refusal(Side side, std::string_view path, ByteCount size) {
    const platform::BinVolume& volume = Volume(side);
    if (volume.kind == platform::BinVolume::Kind::Refuses) return volume.refusal;
    if (volume.largest >= 0 && size > volume.largest) return "it is too big for the Recycle Bin";
    return options_.recycleBin->PathRefusal(path);
}

void Removal::AskBeforehand(const SyncLists& lists, std::string_view firstRoot, std::string_view secondRoot) {
    if (!options_.recycleBin || options_.unattended) return;
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
        auto weigh = [&](std::string_view relative) {
            std::optional<ItemState> state = loaded.Loaded(relative, false);
            if (state && !Refusal(plan.side, std::string(plan.root) + "\\" + std::string(relative), state->size).empty())
                ++refused;
        };
        for (size_t i = 0; i < plan.updates.size(); ++i) weigh(plan.updates.Text(i));
        for (size_t i = 0; i < plan.deletions.size(); ++i) {
            if (plan.deletions.Folder(i)) continue;
            std::string_view text = plan.deletions.Text(i);
            weigh(text.substr(0, text.size() >= 2 ? text.size() - 2 : 0));  // without its origin code
        }
        if (refused > 0) byDrive.emplace_back(Volume(plan.side).drive, refused);
    }
    if (byDrive.empty()) return;
    bool yes = AskForGood(byDrive);
    for (const auto& [drive, n] : byDrive) (yes ? words_[drive].forGood : words_[drive].keep) += n;
}

bool Removal::AskForGood(const std::vector<std::pair<std::string, int>>& countsByDrive) {
    if (options_.unattended || view_.StopRequested()) return false;
    std::string items;
    for (size_t i = 0; i < countsByDrive.size(); ++i) {
        if (i > 0) items += " and ";
        const auto& [drive, n] = countsByDrive[i];
        items += std::to_string(n) + (n == 1 ? " item on " : " items on ") + drive;
    }
    return view_.AskYesNo("The Recycle Bin cannot take " + items + ". Delete them for good?", RunView::Default::No);
}

Removal::Verdict Removal::Judge(const std::string& drive) {
    if (options_.unattended) return Verdict::Keep;
    auto word = words_.find(drive);
    if (word == words_.end()) return Verdict::Ask;
    if (word->second.forGood > 0) {
        --word->second.forGood;
        return Verdict::ForGood;
    }
    if (word->second.keep > 0) {
        --word->second.keep;
        return Verdict::Keep;
    }
    return Verdict::Ask;
}

Removal::Replacement Removal::ForReplacement(Side side, std::string_view destination, ByteCount oldSize) {
    if (!options_.recycleBin) return {OldContent::Overwrite, {}};
    if (Volume(side).kind == platform::BinVolume::Kind::None)
        return {OldContent::Overwrite, std::string("old copy deleted for good: ") + kNoBin};
    std::string refusal = Refusal(side, destination, oldSize);
    if (refusal.empty()) return {OldContent::Recycle, {}};
    switch (Judge(Volume(side).drive)) {
    case Verdict::ForGood: return {OldContent::Overwrite, "old copy deleted for good at your word: " + refusal};
    case Verdict::Keep: return {OldContent::Stay, "the Recycle Bin cannot take its old copy: " + refusal};
    case Verdict::Ask: break;
    }
    return {OldContent::Ask, refusal};
}

int Removal::Intend(const WorkIntent& intent) { return options_.log ? options_.log->Intend(intent) : 0; }

void Removal::Replace(ItemRecord record, std::string temporary, std::string second, std::string destination,
                      const Replacement& way) {
    std::string drive = Volume(record.side).drive;
    Item item{std::move(record), Kind::OldContent, std::move(destination), std::move(second), std::move(temporary),
              drive, way.why};
    switch (way.how) {
    case OldContent::Recycle: return Queue(std::move(item));
    case OldContent::Ask: refused_.push_back(std::move(item)); return;
    case OldContent::Overwrite:
    case OldContent::Stay: break;
    }
    // Overwritten in one step: the name never stands empty.
    if (files_.MoveReplacing(item.temporary, item.path)) {
        item.record.outcome = Outcome::Replaced;
        item.record.detail = way.why;
        item.record.after = ItemStateOf(files_, item.path);
        return Tell(std::move(item.record));
    }
    item.record.outcome = Outcome::Failed;
    item.record.detail = platform::LastErrorText();
    item.record.after = item.record.before;
    DiscardCopy(files_, item.temporary);
    Tell(std::move(item.record));
}

void Removal::RemoveFile(ItemRecord record, std::string path, ByteCount size) {
    if (!options_.recycleBin) return DeleteNow(std::move(record), path, {});
    const platform::BinVolume& volume = Volume(record.side);
    if (volume.kind == platform::BinVolume::Kind::None) return DeleteNow(std::move(record), path, kNoBin);
    Item item{std::move(record), Kind::File, std::move(path), {}, {}, volume.drive, {}};
    if (std::string refusal = Refusal(item.record.side, item.path, size); !refusal.empty()) {
        item.why = "the Recycle Bin cannot take it: " + refusal;
        switch (Judge(item.drive)) {
        case Verdict::ForGood: return DeleteNow(std::move(item.record), item.path, "at your word: " + item.why);
        case Verdict::Keep: return Settle(std::move(item), false);
        case Verdict::Ask: refused_.push_back(std::move(item)); return;
        }
    }
    item.second = OldCopyBeside(item.path);
    WorkIntent intent{WorkIntent::Kind::Remove, item.record.side, item.record.path, {}, std::string(NamePart(item.second)),
                      item.record.before, {}};
    item.record.intent = Intend(intent);
    Queue(std::move(item));
}

void Removal::Queue(Item item) {
    pendingBytes_ += item.record.before.size;
    pending_.push_back(std::move(item));
    if (pending_.size() >= kBatch || pendingBytes_ >= kBatchBytes) Flush();
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

void Removal::BringIn(Item& item) {
    ItemRecord& record = item.record;
    if (files_.Rename(item.temporary, item.path)) {
        record.outcome = Outcome::Replaced;
        record.after = ItemStateOf(files_, item.path);
        return;
    }
    std::string error = platform::LastErrorText();
    record.outcome = Outcome::Failed;
    record.after = record.before;
    // The old content comes back from the bin; failing that, the new one waits under its own name for
    // the next run, which finds it in the journal (the record leaves the work open).
    if (!record.binPath.empty() &&
        options_.recycleBin->Restore(
            {{item.path, record.recycledFrom, record.recycledUntil, record.before.size, record.before.lastWrite}}, {})[0]) {
        DiscardCopy(files_, item.temporary);
        record.detail = error + ": the old content is back from the Recycle Bin";
        record.binPath.clear();
    } else {
        record.detail = error + ": the new content waits as " + std::string(NamePart(item.temporary));
        record.after = {};
        record.intent = 0;
    }
}

void Removal::Flush() {
    if (pending_.empty()) return;
    std::vector<Item> batch = std::move(pending_);
    pending_.clear();
    pendingBytes_ = 0;
    std::vector<RecycleRequest> requests;
    for (const Item& item : batch) requests.push_back({item.path, item.second});
    platform::FileTime from = platform::CurrentFileTime();
    std::vector<platform::RecycleResult> results =
        WhileAlive(view_, [&] { return RecycleVerified(files_, *options_.recycleBin, requests); });
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
            if (item.kind == Kind::OldContent) {
                BringIn(item);
                if (record.outcome == Outcome::Replaced) record.detail = "old copy in the Recycle Bin";
            } else {
                record.outcome = Outcome::Recycled;
                record.after = {};
            }
            Tell(std::move(record));
            break;
        case platform::Recycled::Destroyed:
            if (item.kind == Kind::OldContent) {
                BringIn(item);
                if (record.outcome == Outcome::Replaced)
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
            record.outcome = Outcome::Failed;
            record.detail = result.result == platform::Recycled::InUse ? "in use" : result.error;
            record.after = record.before;
            if (item.kind == Kind::OldContent) {
                DiscardCopy(files_, item.temporary);
            }
            Tell(std::move(record));
            break;
        case platform::Recycled::Refused:
            item.why = item.kind == Kind::OldContent ? "the Recycle Bin did not take its old copy"
                                                     : "the Recycle Bin did not take it";
            switch (Judge(item.drive)) {
            case Verdict::ForGood: Settle(std::move(item), true); break;
            case Verdict::Keep: Settle(std::move(item), false); break;
            case Verdict::Ask: refused_.push_back(std::move(item)); break;
            }
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
    // An old content: at the user's word the new content takes its place; otherwise it stays.
    if (forGood) return Replace(std::move(record), item.temporary, {}, item.path,
                                {OldContent::Overwrite, "old copy deleted for good at your word: " + item.why});
    DiscardCopy(files_, item.temporary);
    record.outcome = Outcome::LeftInPlace;
    record.detail = item.why.starts_with("the Recycle Bin") ? item.why : "the Recycle Bin cannot take its old copy: " + item.why;
    record.after = record.before;
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
    bool forGood = ask && AskForGood(byDrive);
    for (Item& item : refused) Settle(std::move(item), forGood);
}

}  // namespace engine

#pragma once
// The one owner of how a Sync removes and replaces content, for the copy step and the deletion step
// alike: whether a Recycle Bin serves each side, the batches it gets, what becomes of what it will not
// take, and the record of every item, told when its fate is known.
//
// With the Recycle Bin option on, nothing leaves for good without the user's word: where a fixed
// drive's bin will not take an item, an interactive Sync asks once ("Delete them for good?") and an
// unattended one leaves the item in place. Drives without a bin (sticks, shares) delete as the program
// always did, and the record says so.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/lists.h"
#include "engine/run_view.h"
#include "engine/step_counts.h"
#include "engine/sync_log.h"
#include "platform/file_ops.h"
#include "platform/recycle_bin.h"

namespace engine {

class Removal {
public:
    Removal(platform::FileOps& files, const SyncOptions& options, RunView& view, std::string_view firstRoot,
            std::string_view secondRoot);
    // What still waits for the bin goes there; what the bin did not take stays, as if the answer were No.
    ~Removal();
    Removal(const Removal&) = delete;
    Removal& operator=(const Removal&) = delete;

    // Before the first step: counts what the bins will not take among the plan's replacements and
    // deletions (delete entries still coded, sizes as the Load saw them) and asks once, when there is
    // someone to ask.
    void AskBeforehand(const SyncLists& lists, std::string_view firstRoot, std::string_view secondRoot);

    // How an update's old content leaves the file at destination (of oldSize bytes).
    enum class OldContent {
        Keep,       // swapped out to aside, then into the Recycle Bin
        Overwrite,  // replaced without a copy kept: no bin asked for, none on this drive, or the user's word
        Stay,       // the bin cannot take it: the file is not replaced
    };
    struct Replacement {
        OldContent how;
        std::string aside;  // Keep: the name the old content takes beside the file
        std::string why;    // what the record says of the old content
    };
    Replacement ForReplacement(Side side, std::string_view destination, ByteCount oldSize);

    // A replacement whose old content now stands at aside; told once the bin has taken it (or not).
    void KeepOldCopy(ItemRecord record, std::string aside, std::string destination);
    // A file of a delete list, of size bytes when the Load saw it.
    void RemoveFile(ItemRecord record, std::string path, ByteCount size);
    // An old copy that a cut-off Sync left beside its file (relative below the side's root).
    void RemoveLeftover(Side side, std::string relative, std::string path);
    // Any other record, told as it stands.
    void Tell(ItemRecord record);

    // Sends what waits to the bin: before a folder's emptiness is judged, and at the end.
    void Flush();
    // The end of the Sync's steps: the last batch, then what the bin did not take is settled.
    void Finish();

    // The items of the plan told so far: tried (not left by a stop), and of those not done.
    StepCounts Counts() const { return counts_; }

private:
    enum class Kind { File, OldCopy, Leftover };
    struct Item {
        ItemRecord record;
        Kind kind;
        std::string path;         // what goes to the bin: the file, or the old content's own name
        std::string destination;  // an old copy's file, holding the new content
        std::string drive;
        std::string why;          // why the bin did not take it
    };
    enum class Answer { NotAsked, Yes, No };

    const platform::BinVolume& Volume(Side side) const { return volumes_[side == Side::First ? 0 : 1]; }
    // Why the bin of side will not take a file of size bytes at path; "" when it will.
    std::string Refusal(Side side, std::string_view path, ByteCount size);
    // Asks, once per Sync, unless nobody is there or the run was stopped.
    bool DeleteForGood(const std::vector<std::pair<std::string, int>>& countsByDrive);
    void Settle(Item item, bool forGood);
    void DeleteNow(ItemRecord record, const std::string& path, std::string why);
    void Finish(bool ask);

    platform::FileOps& files_;
    SyncOptions options_;
    RunView& view_;
    platform::BinVolume volumes_[2];
    Answer answer_ = Answer::NotAsked;
    std::vector<Item> pending_;  // for the next batch
    std::vector<Item> refused_;  // waiting for the user's word
    StepCounts counts_;
    bool finished_ = false;
};

}  // namespace engine

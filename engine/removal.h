#pragma once
// The one owner of how a Sync removes and replaces content, for the copy step and the deletion step
// alike: whether a Recycle Bin serves each side, the batches it gets, what becomes of what it will not
// take, and the record of every item, told when its fate is known.
//
// With the Recycle Bin option on, nothing leaves for good without the user's word: where a fixed
// drive's bin will not take an item, an interactive Sync asks ("Delete them for good?", No by
// default) and an unattended one leaves the item in place. A Yes covers the drives and the number of
// items it named; what is refused beyond them is asked about once more at the end. Drives without a
// bin (sticks, shares, a bin the user turned off) delete as the program always did, and the record says
// so. What goes to the bin goes by its own name, from its own folder, as Explorer's Delete puts it there:
// a replaced file's old content first, then the new content takes the name.
#include <map>
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
        Recycle,    // to the Recycle Bin by its own name, before the new content takes its place
        Overwrite,  // replaced without a copy kept: no bin asked for, none on this drive, or the user's word
        Stay,       // the bin cannot take it and the answer is known to be No: the file is not replaced
        Ask,        // the bin cannot take it: replaced only if the question at the end is answered Yes
    };
    struct Replacement {
        OldContent how;
        std::string why;  // what the record says of the old content
    };
    Replacement ForReplacement(Side side, std::string_view destination, ByteCount oldSize);

    // A replacement whose new content is complete at temporary, beside destination: carried out as the
    // way says, now or with the next batch, and told once done. The record's intent names temporary and,
    // for the Recycle Bin, the second name the old content has while the shell works.
    void Replace(ItemRecord record, std::string temporary, std::string second, std::string destination,
                 const Replacement& way);
    // A file of a delete list, of size bytes when the Load saw it. The work is announced to the log here.
    void RemoveFile(ItemRecord record, std::string path, ByteCount size);
    // Any other record, told as it stands.
    void Tell(ItemRecord record);
    // Announces work to the log; the number its record is to carry.
    int Intend(const WorkIntent& intent);

    // Sends what waits to the bin: before a folder's emptiness is judged, and at the end.
    void Flush();
    // The end of the Sync's steps: the last batch, then what the bin did not take is settled.
    void Finish();

    // The items of the plan told so far: tried (not left by a stop), and of those not done.
    StepCounts Counts() const { return counts_; }

private:
    enum class Kind { File, OldContent };
    struct Item {
        ItemRecord record;
        Kind kind;
        std::string path;       // what goes to the bin, by its own name
        std::string second;     // its second name while the shell works
        std::string temporary;  // the new content of an old content's file, complete
        std::string drive;
        std::string why;        // why the bin did not take it
    };
    // The user's word on what the bins will not take, per drive: how many items it covers.
    struct Word {
        int forGood = 0, keep = 0;
    };
    enum class Verdict { ForGood, Keep, Ask };

    const platform::BinVolume& Volume(Side side) const { return volumes_[side == Side::First ? 0 : 1]; }
    // Why the bin of side will not take a file of size bytes at path; "" when it will.
    std::string Refusal(Side side, std::string_view path, ByteCount size);
    // What becomes of one more item the bin of drive will not take, by the word given for it.
    Verdict Judge(const std::string& drive);
    // Asks, unless nobody is there or the run was stopped; No by default.
    bool AskForGood(const std::vector<std::pair<std::string, int>>& countsByDrive);
    void Queue(Item item);
    void Settle(Item item, bool forGood);
    void DeleteNow(ItemRecord record, const std::string& path, std::string why);
    // The old content is gone from destination (into the bin, or deleted): the new one takes its place.
    void BringIn(Item& item);
    void Finish(bool ask);

    platform::FileOps& files_;
    SyncOptions options_;
    RunView& view_;
    platform::BinVolume volumes_[2];
    std::map<std::string, Word> words_;
    std::vector<Item> pending_;  // for the next batch
    std::int64_t pendingBytes_ = 0;
    std::vector<Item> refused_;  // waiting for the user's word
    StepCounts counts_;
    bool finished_ = false;
};

}  // namespace engine

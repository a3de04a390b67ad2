#pragma once
// Undoing a Sync from its journal: both folders of every pair back as they were before it, item by
// item. An item the user has changed since the Sync (another size or last-write time than the Sync
// left, or gone) is left as the user has it: nothing done after the Sync is overwritten or removed.
#include <string>
#include <string_view>
#include <vector>

#include "engine/run_view.h"
#include "engine/sync_log.h"
#include "platform/file_ops.h"

namespace engine {

// What one pair's Sync did, item by item, as its journal tells it.
struct PairRecords {
    std::string first, second;
    std::vector<ItemRecord> items;
};

enum class UndoOutcome {
    PutBack,        // a file the Sync deleted is back from the Recycle Bin
    Reverted,       // a file the Sync replaced has its old copy back; the newer one went to the Recycle Bin
    Removed,        // a file the Sync copied new is gone (the detail tells where)
    FolderMade,     // a folder the Sync removed is made again
    FolderRemoved,  // a folder the Sync made is gone
    NotUndone,      // the detail tells why
    Stopped,        // not reached: Stop
    MovedBack,      // an item the Sync moved is at its old place again (the path); the detail is where it was
};

struct UndoRecord {
    UndoOutcome outcome;
    Side side;
    std::string path;
    bool folder = false;
    std::string detail;
};

class UndoLog {
public:
    virtual ~UndoLog() = default;
    // The pair the next records belong to.
    virtual void BeginPair(std::string_view first, std::string_view second) = 0;
    virtual void Record(const UndoRecord& record) = 0;
    // The undo's own work beside the items, told before it starts and when it is over, as a Sync's is.
    virtual int Intend(const WorkIntent&) { return 0; }
    virtual void Settled(int) {}
};

// Whether the record is of something the Sync did that an undo reverses.
bool Undoable(const ItemRecord& record);
size_t UndoableItems(const std::vector<PairRecords>& pairs);
// Of those, what the Sync deleted for good (its option off, a drive without a bin): no undo brings it back.
size_t LostItems(const std::vector<PairRecords>& pairs);

struct UndoCounts {
    int undone = 0;
    int notUndone = 0;  // stopped ones too
};

// options: the Recycle Bin (what the undo removes goes there, as in a Sync, and what the Sync put there
// comes back from it), whether anybody is there to ask about what it cannot take; options.log is not
// used, log hears of every item.
UndoCounts UndoSync(platform::FileOps& files, const std::vector<PairRecords>& pairs, RunView& view,
                    const SyncOptions& options, UndoLog* log);

}  // namespace engine

#pragma once
// One record for every item a Sync was given: what was done with it, or why it was not, and enough of
// its state before and after to reverse it.
#include <cstdint>
#include <string>
#include <utility>

#include "platform/clock.h"

namespace platform {
class RecycleBin;
}

namespace engine {

enum class Side { First, Second };

enum class Outcome {
    Copied,         // a file of an add list
    FolderCreated,  // a folder of an add list
    Replaced,       // a file of an update list; the detail tells where its old content went
    Recycled,       // a deleted item, now in the Recycle Bin
    Deleted,        // a deleted item, gone for good; the detail tells why not recycled, if it was asked
    Failed,         // the detail holds the system's words
    Changed,        // changed since the Load, so left as it is
    Declined,       // "Copy Failed, Force Update?" answered No
    Stopped,        // not reached: Stop, or the window was closed
    Kept,           // a folder to delete that still holds what no list names: it stays
    LeftInPlace,    // the Recycle Bin cannot take it (or its old copy) and the user did not say to delete for good
    Moved,          // an add made a move within its side (a rename), from movedFrom, as in the other side
    MovedAlong,     // an add that went with its folder's move
};

// A file or folder at its place: absent, or there with this size and last-write time.
struct ItemState {
    bool present = false;
    bool folder = false;
    std::int64_t size = 0;
    platform::FileTime lastWrite = 0;
    bool operator==(const ItemState&) const = default;
};

struct ItemRecord {
    ItemRecord(Outcome outcome, Side side, std::string path, bool folder, bool deletion, std::string detail = {})
        : outcome(outcome), side(side), path(std::move(path)), folder(folder), deletion(deletion),
          detail(std::move(detail)) {}

    Outcome outcome;
    Side side;         // the side written to, or deleted from
    std::string path;  // below the side's folder; a folder's without brackets
    bool folder = false;
    bool deletion = false;  // from a delete list (a failure to delete, not to copy)
    std::string detail;
    ItemState before, after;  // at the item's place, before and after the Sync worked on it
    // Where the removed or replaced content went, when the Recycle Bin took it: the path it was
    // recycled from (an old copy's own name beside the item) and when.
    std::string binPath;
    platform::FileTime recycledFrom = 0, recycledUntil = 0;
    // Not an item of the plan: a folder made for the files in it, or what a cut-off run left.
    bool extra = false;
    // The work announced for the item (WorkIntent), settled by this record; 0 for none.
    int intent = 0;
    // Moved, MovedAlong: where it stood before, below the same side's folder.
    std::string movedFrom;
};

// Work about to leave files under names of this program's own beside an item, told before it starts, so
// that whatever point a run is cut off at, every content stays findable and the next run can finish or
// undo the work. Names are of files in the item's folder ("" for none).
struct WorkIntent {
    enum class Kind {
        Copy,     // a copy to temporary, then into the item's place
        Replace,  // a copy to temporary; the old content to the Recycle Bin (held by second), or overwritten
        Remove,   // the item to the Recycle Bin, held by second meanwhile
    };
    Kind kind;
    Side side;
    std::string path;  // below the side's folder
    std::string temporary, second;
    ItemState before;  // the item as it stands
    ItemState copy;    // the temporary copy once complete
};

class SyncLog {
public:
    virtual ~SyncLog() = default;
    virtual void Record(const ItemRecord& record) = 0;
    // Told before the work starts; the number the record that ends it carries (0: nobody keeps it).
    virtual int Intend(const WorkIntent&) { return 0; }
};

// How a Sync treats what it removes or replaces, and whom it tells what it did.
struct SyncOptions {
    platform::RecycleBin* recycleBin = nullptr;  // deleted items and old copies go there where it serves
    SyncLog* log = nullptr;
    // Nobody to ask: what the Recycle Bin cannot take stays in place.
    bool unattended = false;
};

// Whether an outcome counts as done.
constexpr bool Done(Outcome outcome) {
    return outcome == Outcome::Copied || outcome == Outcome::FolderCreated || outcome == Outcome::Replaced ||
           outcome == Outcome::Recycled || outcome == Outcome::Deleted || outcome == Outcome::Moved ||
           outcome == Outcome::MovedAlong;
}

}  // namespace engine

#pragma once
// One record for every item a Sync was given: what was done with it, or why it was not.
#include <string>

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
    Kept,           // a folder to delete that still holds what no list names: it stays, as it should
};

struct ItemRecord {
    Outcome outcome;
    Side side;         // the side written to, or deleted from
    std::string path;  // below the side's folder; a folder's without brackets
    bool folder = false;
    bool deletion = false;  // from a delete list (a failure to delete, not to copy)
    std::string detail;
};

class SyncLog {
public:
    virtual ~SyncLog() = default;
    virtual void Record(const ItemRecord& record) = 0;
};

// How a Sync treats what it removes or replaces, and whom it tells what it did.
struct SyncOptions {
    platform::RecycleBin* recycleBin = nullptr;  // deleted items and old copies go there where it serves
    SyncLog* log = nullptr;
};

}  // namespace engine

#pragma once
// A folder pair's memory: the items that were in step on both sides after its last Sync (or after a
// Load that found it in step). With it the evaluation tells a file deleted on one side since from a
// file new on the other, and a file changed on both sides from one changed on one side.
//
// An item is remembered by a 64-bit key of its name (as Windows compares names, folders apart from
// files), its last-write time, its size and its identity on each side's volume (folded with its exact
// time there, so that a move within a side is known): 32 bytes, so a memory of a million items fits in 32 MB. The memory also holds
// which volume each folder was on, so that another drive under the same name is not taken for it.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/lists.h"
#include "engine/sync_log.h"
#include "platform/clock.h"

namespace engine {

class PairMemory {
public:
    struct Item {
        std::uint64_t key;
        platform::FileTime lastWrite;  // 0 for a folder
        std::int64_t size;             // -1 for a folder
        std::uint32_t identity[2];     // on the First and the Second Folder's volume (FoldedIdentity); 0 unknown
    };

    // The key of an item list's entry (its caption), and of a record's path.
    static std::uint64_t KeyOf(std::string_view caption, bool folder);
    static std::uint64_t KeyOfPath(std::string_view relative, bool folder);
    // An item in step on both sides: entry l of lvLocal and its counterpart r of lvRemote.
    static Item InStep(const ItemList& local, size_t l, const ItemList& remote, size_t r);

    // The volumes of the two folders when the memory was made (platform::VolumeIdentity).
    std::uint64_t Volume(Side side) const { return volumes_[side == Side::First ? 0 : 1]; }
    void SetVolumes(std::uint64_t first, std::uint64_t second) { volumes_[0] = first, volumes_[1] = second; }

    const Item* Find(std::uint64_t key) const;
    // An evaluation makes the memory it reads into the one the Sync leaves if it does nothing, in
    // place, so a memory of n items never stands twice: what is remembered of an item still there is
    // kept, an item in step now is remembered as it is, and at Seal what no side has any more goes.
    void BeginEvaluation();
    void Keep(const Item* remembered);
    void Remember(const Item& now);
    // During an evaluation: each remembered item not kept nor remembered so far (what neither side holds
    // at its place any more), in key order.
    template <class Visit>
    void ForEachUnkept(Visit visit) const {
        for (size_t i = 0; i < sorted_; ++i)
            if (evaluating_ && !seen_[i]) visit(items_[i]);
    }
    // Whether entry i of the list is as remembered: a folder still a folder; a file of the same size
    // and, as the evaluation compares them, the same time.
    static bool Unchanged(const ItemList& list, size_t i, const Item& remembered, bool ignoreHour);

    // Items in any order; Seal sorts them in and keeps the last of equal keys (and, after an
    // evaluation, drops the items it neither kept nor remembered). Find sees only sealed items.
    void Add(const Item& item) { items_.push_back(item); }
    void Seal();
    size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }

    // What a Sync did to the memory the evaluation made: a copy, replacement or folder made is in step
    // now, a deletion done leaves the item gone, a move takes what was remembered of the item to its new
    // place; an item not done keeps what was remembered of it. local and remote are the item lists the
    // Sync was planned from: a copy's source keeps the identity they give it (the copy's own is learnt at
    // the next Load).
    void Apply(const std::vector<ItemRecord>& records, const ItemList& local, const ItemList& remote);

    // The file's bytes: the two folders it belongs to, then the items, handed to write a piece at a time
    // (a memory of a million items is not copied whole); false as soon as write fails.
    bool Encode(std::string_view first, std::string_view second, const std::function<bool(std::string_view)>& write) const;
    // nullopt when the bytes are no memory of this pair (damaged, cut short, or another pair's), or one an
    // older version wrote, which knows neither the volumes nor the files' identities (OlderVersion).
    static std::optional<PairMemory> Decode(std::string_view bytes, std::string_view first, std::string_view second);
    static bool OlderVersion(std::string_view bytes);

private:
    // The index of the first item whose key is not below key, among the sorted ones.
    size_t Locate(std::uint64_t key) const;

    std::vector<Item> items_;  // sorted by key up to sorted_; what was added since follows
    size_t sorted_ = 0;
    std::vector<bool> seen_;   // during an evaluation: which of items_ stay
    std::vector<Item> added_;  // during an evaluation: in step now, not remembered before
    bool evaluating_ = false;
    std::uint64_t volumes_[2] = {0, 0};
};

// What the evaluation did with a memory, and the memory it leaves for after the Sync.
struct MemoryUse {
    // What the last Sync left, read before the evaluation; after it, the items in step now and what
    // was remembered of the rest: the memory the Sync leaves if it does nothing.
    PairMemory memory;
    bool remembered = false;  // a memory was read; without one (a pair's first Sync) the plan is as always
    std::vector<std::string> conflicts;  // changed on both sides: planned into the ignore lists
    // Deleted on one side, changed on the other (the side it is on): copied back.
    struct Kept {
        Side side;
        std::string path;
    };
    std::vector<Kept> deletedChanged;
    // Changed on one side only (the side it is on), to an older time than the other side's copy: it goes
    // to the other side all the same, as the user left it.
    std::vector<Kept> changedOlder;
    // Moved or renamed on one side since (a folder moved with all it holds counts once): planned as the
    // same move on the other side (side: where it is moved), instead of a copy and a deletion.
    struct Move {
        Side side;
        std::string from, to;  // paths as found, a folder's in brackets
    };
    std::vector<Move> moves;
    // Renamed on both sides to different names since: both new names wait in the ignore lists.
    std::vector<Move> renamedBoth;  // from: the First Folder's new name, to: the Second's
    bool complete = false;                    // the evaluation ran to its end: next may be stored
};

// The name of the file that holds the memory of a pair: the same for the two folders written in any
// letter case, with or without a trailing backslash.
std::string PairMemoryFileName(std::string_view first, std::string_view second);

}  // namespace engine

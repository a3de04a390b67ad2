#pragma once
// The adds that the pair's memory planned as moves (ResultEntry::movedFrom), carried out as renames
// within the destination side: nothing is copied and nothing recycled. Each is checked just before: its
// old place stands as the Load saw it and its new place is free. What does not check out is copied as
// an add without the move would be, and its old place stays for the next Sync to settle.
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "engine/file_helpers.h"
#include "engine/lists.h"
#include "engine/removal.h"
#include "engine/sync_log.h"
#include "platform/file_ops.h"

namespace engine {

class Mover {
public:
    // Makes the folders above a new place (the copy step's folder chain, which tells what it made).
    using MakeFolders = std::function<void(std::string_view folder)>;

    // root: the destination side's folder (no trailing backslash), as the Load saw it in loaded.
    Mover(platform::FileOps& files, Removal& removal, std::string_view root, LoadedSide& loaded, Side side,
          MakeFolders makeFolders);

    // Before the side's adds: each folder move of the list (outermost first) whose old folder holds just
    // what the Load saw there, in one rename; what the list says goes with it is told as moved along.
    void MoveFolders(const ResultList& adds);
    // Whether the entry was told already, as moved along with its folder.
    bool Told(const ResultEntry& entry) const;
    // A file planned as a move: true when moved now, false when it is to be copied instead.
    bool MoveFile(const ResultEntry& entry, ItemRecord record);

private:
    std::string Full(std::string_view relative) const;
    // Whether everything below the folder stands as the Load saw it, and nothing has been added.
    bool AsLoaded(const std::string& relative);

    platform::FileOps& files_;
    Removal& removal_;
    std::string_view root_;
    LoadedSide& loaded_;
    Side side_;
    MakeFolders makeFolders_;
    std::unordered_set<std::string> told_;  // entries moved along: name key and kind
};

}  // namespace engine

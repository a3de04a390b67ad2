#pragma once
// Small file helpers shared by the engine steps and the list commands.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/caption_index.h"
#include "engine/lists.h"
#include "engine/sync_log.h"
#include "platform/file_ops.h"

namespace engine {

class Removal;

// An entry's relative path: a folder entry's text without its brackets ("[Sub\Inner]" is Sub\Inner), a
// file entry's text as it is. The kind comes from the scan, never from the brackets: a file may be
// named "[notes]".
std::string_view EntryPath(std::string_view text, bool folder);

// The folder part of a path, up to and including its last backslash ("" when it has none), and the
// name after it.
std::string_view FolderPart(std::string_view path);
std::string_view NamePart(std::string_view path);
// How many folders down a relative path lies ("Sub\Inner\a.txt": 2).
size_t Depth(std::string_view relative);
// A fresh name beside the file at path for its old content on its way to the Recycle Bin.
std::string OldCopyBeside(std::string_view path);

// True when a folder between the root and root\relative is a folder link (a junction, a symbolic link,
// a mount point): the path leads out of the pair, so nothing is written or removed there.
bool BehindLink(platform::FileOps& files, std::string_view root, std::string_view relative);

// Creates the folder and every missing folder above it. Silent; a drive ("C:") is never created.
// created, when given, receives each folder made, the topmost first.
void CreateFolderChain(platform::FileOps& files, std::string_view path, std::vector<std::string>* created = nullptr);

// Copies over an existing destination, keeping the source's last-write time and attributes. The copy
// goes to a temporary file beside the destination first, so a failure leaves the old destination as it
// was and no temporary file behind. A read-only destination fails, and on Windows a hidden one, as the
// Windows file copy refuses them. mayReplace, when given, is asked once the copy is complete, just
// before it takes the destination's place; false fails the copy.
// placement, when given, may name an aside: an existing destination's old content then takes that name
// in the swap that gives the destination its new content (the new file keeps the source's attributes).
// A swap that fails half-way puts the old content back, so the name never stands empty. placement
// receives whether the old content stands aside now, and the system's words when the copy fails.
// progress, when given, hears how far a long copy has come and may stop it (the copy then fails).
struct CopyPlacement {
    std::string aside;
    bool swapped = false;
    std::string error;
};
bool CopyItemFile(platform::FileOps& files, std::string_view source, std::string_view destination,
                  const std::function<bool()>& mayReplace = {}, CopyPlacement* placement = nullptr,
                  const platform::CopyProgress& progress = {});

// What the Load saw of one side, and which of its folders a Sync has tidied. A Sync writes over or
// deletes a file only while it is as the Load saw it: content written there since (or a file that has
// appeared since) is newer than the plan.
class LoadedSide {
public:
    // meanwhile: as for CaptionIndex, while the index is made at the first question.
    explicit LoadedSide(const ItemList& items, std::function<void()> meanwhile = {})
        : items_(items), meanwhile_(std::move(meanwhile)) {}
    // True when the file at path (relative below the side's root) is not as the Load saw it: another
    // last-write time (the file system's own, so a daylight-saving switch since changes nothing) or
    // size, or there now and not then. A file gone since has not changed.
    bool ChangedSinceLoad(platform::FileOps& files, std::string_view relative, std::string_view path);
    // The item as the Load saw it; nullopt when the Load did not list it.
    std::optional<ItemState> Loaded(std::string_view relative, bool folder);
    // Removes from the folder (relative below root) the work files that the Load found there, left by
    // Syncs that were cut off: only those whose process has ended, so no running Sync loses its file.
    // Half copies go for good; old contents go to removal, for the Recycle Bin. Once per folder and Sync.
    void RemoveLeftovers(platform::FileOps& files, std::string_view root, std::string_view folder,
                         Removal* removal = nullptr, Side side = Side::First);

private:
    const ItemList& items_;
    std::function<void()> meanwhile_;
    std::optional<CaptionIndex> index_;  // built at the first question
    // The Load's work files not yet removed, by the name key of their folder.
    std::optional<std::unordered_map<std::string, std::vector<std::string>>> leftovers_;
};

// The file or folder at path as it stands now.
ItemState ItemStateOf(platform::FileOps& files, std::string_view path);

// Whether a folder holds anything at all.
bool HoldsAnything(platform::FileOps& files, std::string_view folder);

// The size of the first entry matching the path; 0 when there is none.
ByteCount GetItemSize(platform::FileOps& files, std::string_view path);

}  // namespace engine

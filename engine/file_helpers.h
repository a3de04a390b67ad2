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
#include "platform/file_ops.h"
#include "platform/recycle_bin.h"

namespace engine {

// An entry's relative path: a folder entry's text without its brackets ("[Sub\Inner]" is Sub\Inner), a
// file entry's text as it is. The kind comes from the scan, never from the brackets: a file may be
// named "[notes]".
std::string_view EntryPath(std::string_view text, bool folder);

// True when a folder between the root and root\relative is a folder link (a junction, a symbolic link,
// a mount point): the path leads out of the pair, so nothing is written or removed there.
bool BehindLink(platform::FileOps& files, std::string_view root, std::string_view relative);

// Creates the folder and every missing folder above it. Silent; a drive ("C:") is never created.
void CreateFolderChain(platform::FileOps& files, std::string_view path);

// Copies over an existing destination, keeping the source's last-write time and attributes. The copy
// goes to a temporary file beside the destination first, so a failure leaves the old destination as it
// was and no temporary file behind. A read-only destination fails, and on Windows a hidden one, as the
// Windows file copy refuses them. mayReplace, when given, is asked
// once the copy is complete, just before it takes the destination's place; false fails the copy.
// placement, when given, may ask to keep an existing destination's old content aside (its name comes
// back there), and receives the system's words when the copy fails.
struct CopyPlacement {
    platform::RecycleBin* keepOld = nullptr;
    std::string aside;
    std::string error;
};
bool CopyItemFile(platform::FileOps& files, std::string_view source, std::string_view destination,
                  const std::function<bool()>& mayReplace = {}, CopyPlacement* placement = nullptr);

// A free name beside path for its old content: "report (old copy).doc", then "report (old copy 2).doc".
std::string AsideName(platform::FileOps& files, std::string_view path);

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
    // Removes from the folder (relative below root) the temporary files that the Load found there,
    // left by copies of this program that were cut off: only those whose process has ended, so no
    // running copy loses its file. Once per folder and Sync.
    void RemoveLeftovers(platform::FileOps& files, std::string_view root, std::string_view folder);

private:
    const ItemList& items_;
    std::function<void()> meanwhile_;
    std::optional<CaptionIndex> index_;  // built at the first question
    // The Load's temporary files not yet removed, by the name key of their folder.
    std::optional<std::unordered_map<std::string, std::vector<std::string>>> leftovers_;
};

// A copy's temporary file ("~mirv98-<process id>-<n>.tmp"). One left behind by a crash or a power loss
// is no user content: the scan passes it over, so it is never copied on.
bool IsTemporaryCopyName(std::string_view name);

// The size of the first entry matching the path; 0 when there is none.
ByteCount GetItemSize(platform::FileOps& files, std::string_view path);

}  // namespace engine

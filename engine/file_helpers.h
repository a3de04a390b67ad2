#pragma once
// Small file helpers shared by the engine steps and the list commands.
#include <functional>
#include <optional>
#include <string_view>

#include "engine/caption_index.h"
#include "engine/lists.h"
#include "platform/file_ops.h"

namespace engine {

// "[Sub\Inner]" is a folder entry with the path Sub\Inner; anything else is a file entry as it is.
struct SplitEntry {
    bool folder = false;
    std::string_view path;
};
SplitEntry SplitFolderEntry(std::string_view text);

// Creates the folder and every missing folder above it. Silent; a drive ("C:") is never created.
void CreateFolderChain(platform::FileOps& files, std::string_view path);

// Copies over an existing destination, keeping the source's last-write time and attributes. The copy
// goes to a temporary file beside the destination first, so a failure leaves the old destination as it
// was and no temporary file behind. A read-only destination fails. mayReplace, when given, is asked
// once the copy is complete, just before it takes the destination's place; false fails the copy.
bool CopyItemFile(platform::FileOps& files, std::string_view source, std::string_view destination,
                  const std::function<bool()>& mayReplace = {});

// What the Load saw of one side. A Sync writes over or deletes a file only while it is as the Load
// saw it: content written there since (or a file that has appeared since) is newer than the plan.
class LoadedSide {
public:
    explicit LoadedSide(const ItemList& items) : items_(items) {}
    // True when the file at path (relative below the side's root) is not as the Load saw it: a
    // different time or size, or there now and not then. A file gone since has not changed.
    bool ChangedSinceLoad(platform::FileOps& files, std::string_view relative, std::string_view path);

private:
    const ItemList& items_;
    std::optional<CaptionIndex> index_;  // built at the first question
};

// A copy's temporary file ("~mirv98-<n>-<n>.tmp"). One left behind by a crash or a power loss
// is no user content: the scan passes it over, so it is never copied on.
bool IsTemporaryCopyName(std::string_view name);

// The size of the first entry matching the path; 0 when there is none.
ByteCount GetItemSize(platform::FileOps& files, std::string_view path);

}  // namespace engine

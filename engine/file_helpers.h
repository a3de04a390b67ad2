#pragma once
// Small file helpers shared by the engine steps and the list commands.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/caption_index.h"
#include "engine/lists.h"
#include "engine/sync_log.h"
#include "platform/file_ops.h"

namespace engine {

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
// A fresh name beside the file at path for a second name of its content while the shell moves it to
// the Recycle Bin.
std::string OldCopyBeside(std::string_view path);

// True when a folder between the root and root\relative is a folder link (a junction, a symbolic link,
// a mount point): the path leads out of the pair, so nothing is written or removed there.
bool BehindLink(platform::FileOps& files, std::string_view root, std::string_view relative);

// Creates the folder and every missing folder above it. Silent; a drive ("C:") is never created.
// created, when given, receives each folder made, the topmost first.
void CreateFolderChain(platform::FileOps& files, std::string_view path, std::vector<std::string>* created = nullptr);

// A name beside path that no other file of this or another process has, for a copy on its way there.
std::string TemporaryBeside(std::string_view path);

// Removes a copy of this run's own (a temporary one, complete or not), which may carry a read-only
// attribute from its source.
void DiscardCopy(platform::FileOps& files, const std::string& copy);

// Copies source to temporary (a fresh name beside where the copy is to go) with the source's contents,
// last-write time and attributes. A failure leaves nothing at temporary; error, when given, receives the
// system's words.
// progress, when given, hears how far a long copy has come and may stop it (the copy then fails).
bool CopyToTemporary(platform::FileOps& files, std::string_view source, const std::string& temporary,
                     std::string* error = nullptr, const platform::CopyProgress& progress = {});

// Copies over an existing destination, keeping the source's last-write time and attributes. The copy
// goes to a temporary file beside the destination first (temporary, or a fresh name), so a failure
// leaves the old destination as it was and no temporary file behind. A read-only destination fails, and
// on Windows a hidden one, as the Windows file copy refuses them. mayReplace, when given, is asked once
// the copy is complete, just before it takes the destination's place; false fails the copy. progress as
// for CopyToTemporary.
bool CopyItemFile(platform::FileOps& files, std::string_view source, std::string_view destination,
                  const std::function<bool()>& mayReplace = {}, std::string* error = nullptr,
                  const std::string& temporary = {}, const platform::CopyProgress& progress = {});

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

private:
    const ItemList& items_;
    std::function<void()> meanwhile_;
    std::optional<CaptionIndex> index_;  // built at the first question
};

// The file or folder at path as it stands now.
ItemState ItemStateOf(platform::FileOps& files, std::string_view path);

// Whether a folder holds anything at all.
bool HoldsAnything(platform::FileOps& files, std::string_view folder);

// The size of the first entry matching the path; 0 when there is none.
ByteCount GetItemSize(platform::FileOps& files, std::string_view path);

}  // namespace engine

#pragma once
// Moving files into the Recycle Bin, each checked afterwards: what the shell answers is not proof (it
// deletes for good what its bin will not take and still answers success).
#include <string>
#include <vector>

#include "platform/file_ops.h"
#include "platform/recycle_bin.h"

namespace engine {

struct RecycleRequest {
    std::string path;
    // A free name beside the file for a second name while the shell works (a work name the journal
    // holds); "" for none.
    std::string second;
};

// Moves the files by their own names, in one shell operation where it can, and tells for each where it
// went. Before the shell's call each file gets its second name, where the file system has them: moved
// into the bin, the file keeps every name it had; deleted, it has one name fewer, and is put back from
// its second name, so even a silent destroy costs nothing. A second name of the user's own makes no
// difference, since the counts are compared, not read alone. Without a second name (FAT), or where the
// count says gone, the bin's listing decides, by name, folder, size and the time of the call. What the
// shell refuses as a whole batch goes again one file at a time. Second names are gone at the end.
std::vector<platform::RecycleResult> RecycleVerified(platform::FileOps& files, platform::RecycleBin& bin,
                                                     const std::vector<RecycleRequest>& requests);

}  // namespace engine

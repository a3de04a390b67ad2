#pragma once
// The last step of a Sync: carries out the delete lists.
#include <string_view>

#include "engine/lists.h"
#include "engine/removal.h"
#include "engine/run_view.h"
#include "engine/step_counts.h"
#include "engine/sync_log.h"
#include "platform/file_ops.h"

namespace engine {

// Strips the origin code (" 5") from every entry of ldelfile1 and rdelfile1, in place.
// A stop tells the log of every deletion left undone.
void PrepareDeletion(SyncLists& lists, RunView& view, const SyncOptions& options = {});

// Deletes the files the lists name, then removes their folder entries deepest first, each only when
// empty (a folder deleted with its contents goes too; one that still holds anything stays, not done).
// Never deletes recursively. A file that changed since the Load stays. Every entry is told to the
// removal owner, which sends files to the Recycle Bin where it serves. Empties each list it worked
// through; entries not reached because of a stop are told as such.
void DeleteItems(platform::FileOps& files, SyncLists& lists, std::string_view localRoot, std::string_view remoteRoot,
                 RunView& view, Removal& removal);

// The same as a Sync of its own: its removal owner is made here and finished at the end.
StepCounts DeleteItems(platform::FileOps& files, SyncLists& lists, std::string_view localRoot,
                       std::string_view remoteRoot, RunView& view, const SyncOptions& options = {});

}  // namespace engine

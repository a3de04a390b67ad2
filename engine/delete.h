#pragma once
// The last step of a Sync: carries out the delete lists.
#include <string_view>

#include "engine/lists.h"
#include "engine/run_view.h"
#include "engine/step_counts.h"
#include "engine/sync_log.h"
#include "platform/file_ops.h"

namespace engine {

// Strips the origin code (" 5") from every entry of ldelfile1 and rdelfile1, in place.
// A stop tells the log of every deletion left undone.
void PrepareDeletion(SyncLists& lists, RunView& view, const SyncOptions& options = {});

// Deletes the files the lists name, then removes their folder entries deepest first, so a folder
// deleted with its contents goes too; a folder still holding anything stays. Never deletes
// recursively. A file that changed since the Load stays. Empties each list it worked through. Counts
// as failed the items that could not be deleted or stayed because they changed (a folder kept because
// it still holds unlisted items does not count); entries not reached because of a stop are not handled.
// With a Recycle Bin in the options, what goes goes there, in batches, where the drive has one.
StepCounts DeleteItems(platform::FileOps& files, SyncLists& lists, std::string_view localRoot,
                       std::string_view remoteRoot, RunView& view, const SyncOptions& options = {});

}  // namespace engine

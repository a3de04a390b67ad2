#pragma once
// The first step of a Sync: carries out the add and update lists.
#include <string_view>

#include "engine/lists.h"
#include "engine/removal.h"
#include "engine/run_view.h"
#include "engine/step_counts.h"
#include "engine/sync_log.h"
#include "platform/file_ops.h"

namespace engine {

// Passes lFileAdd1, rFileAdd1 (last entry first), lUpdate1, rUpdate1. Roots without a trailing
// backslash. Every entry is told to the removal owner, which decides where an updated file's old content
// goes and counts what was not carried out in the end (failed twice, declined at "Copy Failed, Force
// Update?", left alone because the destination changed since the Load, or because the Recycle Bin cannot
// take its old content); entries not reached because of a stop are told as such.
void UpdateItems(platform::FileOps& files, const SyncLists& lists, std::string_view localRoot,
                 std::string_view remoteRoot, RunView& view, Removal& removal);

// The same as a Sync of its own: its removal owner is made here and finished at the end.
StepCounts UpdateItems(platform::FileOps& files, const SyncLists& lists, std::string_view localRoot,
                       std::string_view remoteRoot, RunView& view, const SyncOptions& options = {});

}  // namespace engine

#pragma once
// The first step of a Sync: carries out the add and update lists.
#include <string_view>

#include "engine/lists.h"
#include "engine/run_view.h"
#include "engine/step_counts.h"
#include "engine/sync_log.h"
#include "platform/file_ops.h"

namespace engine {

// Passes lFileAdd1, rFileAdd1 (last entry first), lUpdate1, rUpdate1. Roots without a trailing
// backslash. Counts as failed the entries not carried out in the end (failed twice, or declined at
// "Copy Failed, Force Update?", or left alone because the destination changed since the Load);
// entries not reached because of a stop are not handled. With a Recycle Bin in the options, an updated
// file's old content goes there (where the drive has one); the log, when given, hears of every entry.
StepCounts UpdateItems(platform::FileOps& files, const SyncLists& lists, std::string_view localRoot,
                       std::string_view remoteRoot, RunView& view, const SyncOptions& options = {});

}  // namespace engine

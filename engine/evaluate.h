#pragma once
// The evaluation: compares the sorted item lists and fills the add and update lists.
#include "engine/lists.h"
#include "engine/run_view.h"
#include "engine/totals.h"

namespace engine {

// Counterparts are captions equal without regard to case over all letters; times compare as
// unsigned packed times. With mirrorLocal nothing is scheduled into the First Folder. Appends to
// lFileAdd1, rFileAdd1, lUpdate1, rUpdate1 and adds the sizes to their totals.
void EvaluateFolders(SyncLists& lists, bool mirrorLocal, ByteTotals& totals, RunView& view);

}  // namespace engine

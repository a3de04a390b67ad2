#pragma once
// The pair's memory read against a plan. The evaluation plans by the times alone; this pass, which runs
// only with the option to remember each Sync, then reads that plan, the two item lists and the memory of
// the last Sync, and rewrites what the memory knows better:
// - an add whose item was in step at the last Sync and is as it was since: deleted on the other side
//   meanwhile, so a deletion on its own side (coded as the add list it was in);
// - an update whose item changed on both sides since: both ignore lists, for the user to settle;
// - an update whose item changed on one side only: that side's copy goes across, whatever the times say;
// - an add and a deletion that are one file moved or renamed on one side (the same identity, size and
//   time): a move of it on the other side (ResultEntry::movedFrom), a folder moved whole as one move;
// - the adds of a file renamed on both sides to different names: both ignore lists.
// Nothing is deleted below a folder either side's scan did not read (a folder that could not be listed,
// a folder link), nor when a side was found empty.
#include <vector>

#include "engine/evaluate.h"
#include "engine/lists.h"
#include "engine/pair_memory.h"
#include "engine/run_view.h"
#include "engine/scan.h"
#include "engine/totals.h"

namespace engine {

// use.memory is the memory read (empty without one); the pass leaves in it the memory the Sync leaves
// if it does nothing.
void PlanWithMemory(SyncLists& lists, ByteTotals& totals, const Counterparts& matched,
                    const std::vector<FolderNotRead>& notRead, bool mirrorLocal, bool ignoreHour, MemoryUse& use);

// What a Load runs: the evaluation, then with a memory (use given) the memory's pass over its plan.
void EvaluateWithMemory(SyncLists& lists, bool mirrorLocal, ByteTotals& totals, RunView& view, bool ignoreHour,
                        MemoryUse* use, const std::vector<FolderNotRead>& notRead = {});

}  // namespace engine

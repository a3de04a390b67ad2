#pragma once
// The evaluation: compares the sorted item lists and fills the add and update lists.
#include "engine/lists.h"
#include "engine/run_view.h"
#include "engine/totals.h"

namespace engine {

// Counterparts are captions equal without regard to case over all letters; times compare as
// unsigned packed times. With mirrorLocal nothing is scheduled into the First Folder. Appends to
// lFileAdd1, rFileAdd1, lUpdate1, rUpdate1 and adds the sizes to their totals. With ignoreHour, two
// copies exactly one hour apart (within two seconds) count as equal: a drive that keeps local time
// (FAT) shows every file an hour off after a daylight-saving switch.
// With memory (the option to remember each Sync), a pair's last Sync plans what time alone cannot: an
// item on one side only that was in step then and is as it was since was deleted on the other side, and
// goes to the delete list of its side (coded as the add list it would otherwise be in); an item changed
// on both sides since goes to both ignore lists (coded as its update list). The rest is planned as
// without. memory->next receives the memory as the Sync will leave it if it does nothing.
struct MemoryUse;
void EvaluateFolders(SyncLists& lists, bool mirrorLocal, ByteTotals& totals, RunView& view, bool ignoreHour = false,
                     MemoryUse* memory = nullptr);

// Whether two file times lie one hour apart, give or take less than two seconds.
bool OneHourApart(platform::FileTime a, platform::FileTime b);

}  // namespace engine

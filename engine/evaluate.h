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
void EvaluateFolders(SyncLists& lists, bool mirrorLocal, ByteTotals& totals, RunView& view, bool ignoreHour = false);

// Whether two file times lie one hour apart, give or take less than two seconds.
bool OneHourApart(platform::FileTime a, platform::FileTime b);

}  // namespace engine

#pragma once
// The evaluation: compares the sorted item lists and fills the add and update lists.
#include <cstdint>
#include <vector>

#include "engine/lists.h"
#include "engine/run_view.h"
#include "engine/totals.h"

namespace engine {

// Which entries of the two item lists the evaluation took for counterparts: what a later pass over its
// plan needs, so that it does not match the lists again.
struct Counterparts {
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;
    std::vector<std::uint32_t> ofRemote;  // for each lvRemote entry judged: its lvLocal counterpart, or kNone
    std::vector<bool> localMatched;       // for each lvLocal entry, once the First Folder's pass ran
    size_t remoteJudged = 0;              // lvRemote entries judged before a stop (all of them without one)
    bool localJudged = false;             // the First Folder's pass ran
};

// Counterparts are captions equal without regard to case over all letters; times compare as
// unsigned packed times. With mirrorLocal nothing is scheduled into the First Folder. Appends to
// lFileAdd1, rFileAdd1, lUpdate1, rUpdate1 and adds the sizes to their totals. With ignoreHour, two
// copies exactly one hour apart (within two seconds) count as equal: a drive that keeps local time
// (FAT) shows every file an hour off after a daylight-saving switch. A folder link is never planned.
// matched, when given, receives the counterparts found.
void EvaluateFolders(SyncLists& lists, bool mirrorLocal, ByteTotals& totals, RunView& view, bool ignoreHour = false,
                     Counterparts* matched = nullptr);

// The order of two copies as the evaluation compares them: > 0 when a is newer, < 0 when b is, 0 when
// they count as equal.
int CompareCopies(const ItemList& a, size_t i, const ItemList& b, size_t j, bool ignoreHour);

// Whether two file times lie one hour apart, give or take less than two seconds.
bool OneHourApart(platform::FileTime a, platform::FileTime b);

}  // namespace engine

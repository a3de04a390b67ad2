#pragma once
// The question File > Undo Last Sync asks before it changes anything: which Sync, what the undo
// removes, what it brings back, what cannot come back, that later changes stay, and the folder pairs.
#include <cstddef>
#include <string>
#include <vector>

#include "engine/undo.h"
#include "platform/clock.h"

namespace app {

// What an undo of the journal's Sync would do, item by item as the journal tells it.
struct UndoSummary {
    size_t removes = 0;     // the Sync's new copies: files it copied, folders it made
    size_t bringsBack = 0;  // what it replaced or deleted: old copies and deleted items from the Recycle Bin
    size_t lost = 0;        // what it deleted for good: no undo brings it back
};
UndoSummary SummariseUndo(const std::vector<engine::PairRecords>& pairs);

// At most five pairs are named, then how many more there are, so the box never grows taller than the
// screen.
std::string UndoQuestion(const platform::LocalTime& syncStarted, const std::vector<engine::PairRecords>& pairs);

}  // namespace app

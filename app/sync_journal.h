#pragma once
// The journal of a Sync: beside its report, one line per item appended as the item is done, holding
// what reversing it needs (side, path, kind, what happened, the item's size and last-write time before
// and after, where a removed or replaced content went). Tab-separated UTF-8; a Windows name holds no tab
// and no line end.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sync_log.h"
#include "engine/undo.h"
#include "platform/clock.h"

namespace app {

struct Journal {
    platform::FileTime started = 0, ended = 0;  // ended 0: the Sync did not come to its end
    platform::LocalTime startedLocal;
    std::vector<engine::PairRecords> pairs;
};

std::string JournalStartLines(platform::FileTime started, const platform::LocalTime& startedLocal);
std::string JournalPairLine(std::string_view first, std::string_view second);
std::string JournalItemLine(const engine::ItemRecord& record);
std::string JournalEndLine(platform::FileTime ended);

// nullopt when the text is no journal. A line cut off by a crash ends the items read.
std::optional<Journal> ParseJournal(std::string_view text);

}  // namespace app

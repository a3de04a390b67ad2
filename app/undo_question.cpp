#include "app/undo_question.h"

#include <algorithm>

namespace app {

namespace {

constexpr size_t kPairsNamed = 5;

std::string Count(size_t n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

}  // namespace

UndoSummary SummariseUndo(const std::vector<engine::PairRecords>& pairs) {
    UndoSummary summary;
    summary.lost = engine::LostItems(pairs);
    for (const engine::PairRecords& pair : pairs)
        for (const engine::ItemRecord& r : pair.items) {
            if (!engine::Undoable(r)) continue;
            switch (r.outcome) {
            case engine::Outcome::Copied:
            case engine::Outcome::FolderCreated: ++summary.removes; break;
            case engine::Outcome::Replaced: summary.bringsBack += !r.binPath.empty(); break;
            case engine::Outcome::Recycled: ++summary.bringsBack; break;
            // A folder the Sync removed is made again; a file it deleted for good is lost.
            case engine::Outcome::Deleted: summary.bringsBack += r.folder; break;
            default: break;
            }
        }
    return summary;
}

std::string UndoQuestion(const platform::LocalTime& syncStarted, const std::vector<engine::PairRecords>& pairs) {
    const std::string n = "\r\n";
    UndoSummary summary = SummariseUndo(pairs);
    std::string text = "Undo the Sync started " + platform::FormatDateTime(syncStarted) + "?" + n + n;
    if (summary.removes > 0)
        text += "It removes " + Count(summary.removes, "new copy", "new copies") + " the Sync made, to the Recycle Bin." + n;
    if (summary.bringsBack > 0)
        text += "It brings back " + Count(summary.bringsBack, "item", "items") +
                " the Sync replaced or deleted, from the Recycle Bin." + n;
    if (summary.lost > 0)
        text += Count(summary.lost, "item", "items") + " the Sync deleted for good cannot be put back." + n;
    text += "Files changed since the Sync are left as they are." + n;
    for (size_t i = 0; i < std::min(pairs.size(), kPairsNamed); ++i)
        text += n + "First Folder: " + pairs[i].first + n + "Second Folder: " + pairs[i].second + n;
    if (pairs.size() > kPairsNamed)
        text += n + "and " + Count(pairs.size() - kPairsNamed, "more folder pair.", "more folder pairs.") + n;
    return text;
}

}  // namespace app

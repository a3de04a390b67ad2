#include "app/undo_question.h"

#include <algorithm>

namespace app {

namespace {

constexpr size_t kPairsNamed = 5;

std::string Count(size_t n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

}  // namespace

UndoSummary SummariseUndo(const std::vector<engine::PairRecords>& pairs) {
    UndoSummary summary;
    for (const engine::PairRecords& pair : pairs)
        for (const engine::ItemRecord& r : pair.items) {
            if (!engine::Undoable(r)) continue;
            switch (r.outcome) {
            case engine::Outcome::Copied:
            case engine::Outcome::FolderCreated: ++summary.removes; break;
            case engine::Outcome::Replaced:
            case engine::Outcome::Recycled: ++summary.bringsBack; break;
            // A folder the Sync removed is made again; a file it deleted for good cannot come back.
            case engine::Outcome::Deleted:
                if (r.folder) ++summary.bringsBack;
                break;
            default: break;
            }
        }
    return summary;
}

std::string UndoQuestion(const platform::LocalTime& syncStarted, const std::vector<engine::PairRecords>& pairs,
                         bool recycle) {
    const std::string n = "\r\n";
    UndoSummary summary = SummariseUndo(pairs);
    std::string text = "Undo the Sync started " + platform::FormatDateTime(syncStarted) + "?" + n + n;
    if (summary.removes > 0)
        text += recycle ? "It removes " + Count(summary.removes, "new copy", "new copies") +
                              " the Sync made, to the Recycle Bin." + n
                        : "It deletes " + Count(summary.removes, "new copy", "new copies") +
                              " the Sync made (the Recycle Bin is off in Options)." + n;
    if (summary.bringsBack > 0)
        text += "It brings back " + Count(summary.bringsBack, "item", "items") +
                " the Sync replaced or deleted, from the Recycle Bin." + n;
    text += "Files changed since the Sync are left as they are." + n;
    for (size_t i = 0; i < std::min(pairs.size(), kPairsNamed); ++i)
        text += n + "First Folder: " + pairs[i].first + n + "Second Folder: " + pairs[i].second + n;
    if (pairs.size() > kPairsNamed)
        text += n + "and " + Count(pairs.size() - kPairsNamed, "more folder pair.", "more folder pairs.") + n;
    return text;
}

}  // namespace app

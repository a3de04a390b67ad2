#pragma once
// The journal of a Sync (and of an undo): kept whether or not reports are on, one line per step written
// before the step is done and one when its outcome is known, so that whatever point the program is cut
// off at, the next run finds every content it was moving and can finish the work, and Undo Last Sync
// knows what to reverse (side, path, kind, what happened, the item's size and last-write time before and
// after, where a removed or replaced content went). Tab-separated UTF-8; a Windows name holds no tab and
// no line end.
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sync_log.h"
#include "engine/undo.h"
#include "platform/append_file.h"
#include "platform/clock.h"

namespace app {

struct Journal {
    platform::FileTime started = 0, ended = 0;  // ended 0: the run did not come to its end
    platform::LocalTime startedLocal;
    std::uint32_t process = 0;  // the writer's; 0 in a journal of an earlier version
    std::vector<engine::PairRecords> pairs;
    // Work announced and not yet ended: by a run cut off, or one still at it.
    struct Open {
        size_t pair;
        int id;
        engine::WorkIntent intent;
        platform::FileTime told;
    };
    std::vector<Open> open;
};

std::string JournalStartLines(platform::FileTime started, const platform::LocalTime& startedLocal, std::uint32_t process);
std::string JournalPairLine(std::string_view first, std::string_view second);
std::string JournalIntentLine(int id, const engine::WorkIntent& intent, platform::FileTime told);
// The outcome of an item, and the end of the work announced for it.
std::string JournalItemLine(const engine::ItemRecord& record);
std::string JournalDoneLine(int id);
std::string JournalEndLine(platform::FileTime ended);

// nullopt when the text is no journal. A line cut off by a crash ends the lines read.
std::optional<Journal> ParseJournal(std::string_view text);

// Writes a journal as the run goes, every line handed to the system at once. Beside it stands a mark
// while work it announced may be unfinished (a file named as the journal, ending in ".open"), so a later
// run finds what a cut-off one left without reading every journal.
class JournalWriter {
public:
    bool Open(const std::string& path, platform::FileTime started, const platform::LocalTime& startedLocal);
    void Pair(std::string_view first, std::string_view second);
    int Intend(const engine::WorkIntent& intent);
    void Record(const engine::ItemRecord& record);
    void Done(int id);
    // The end of the run; the mark goes when nothing announced is left open.
    void End(platform::FileTime ended);
    // A line that did not reach the file (a full disk, a folder without rights): the journal does not
    // tell the whole run.
    bool Failed() const { return failed_; }
    const std::string& Path() const { return path_; }

private:
    void Write(const std::string& lines);

    platform::AppendFile file_;
    std::string path_;
    std::set<int> open_;
    int next_ = 1;
    bool failed_ = false, marked_ = false;
};

// The mark beside a journal while its work may be unfinished.
std::string OpenMarkOf(std::string_view journalPath);

}  // namespace app

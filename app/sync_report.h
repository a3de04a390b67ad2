#pragma once
// The report of a Sync: the folder pair, start, end and duration, the totals, then one line per item
// done or not done. The Syncs of one Load run (one per folder pair) share one report.
#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sync_log.h"
#include "engine/undo.h"
#include "platform/append_file.h"
#include "platform/clock.h"
#include "platform/file_ops.h"

namespace app {

// A folder pair of a report and its lines.
struct ReportPair {
    std::string first, second;
    std::vector<std::string> lines;
};

class SyncReport final : public engine::SyncLog {
public:
    // folder: where the report and its journal are written as the Sync goes, each item appended when it
    // is done, so a crash or a power cut leaves the record of what was done. Empty: kept in memory
    // until SaveReport.
    explicit SyncReport(const platform::LocalTime& started, std::string folder = {});

    // The pair the next records belong to.
    void BeginPair(std::string_view first, std::string_view second);
    void Record(const engine::ItemRecord& record) override;
    // A line of its own under the pair, no item of it: what the plan was told.
    void Note(std::string_view line);
    // The end of the Sync: the journal says it ended; SaveReport then puts the totals on top.
    void End(const platform::LocalTime& ended);

    // UTF-8 text with CR LF line ends (the byte-order mark is the file's, see SaveReport).
    std::string Text() const;
    // "Sync 2026-12-07 16-30-01.txt": named by the start, so the names sort by time.
    std::string FileName() const;

    // Where the report is written; later saves replace that file. Its journal has the same name
    // ending in ".journal".
    std::string savedPath;

private:
    friend bool SaveReport(platform::FileOps&, std::string_view, SyncReport&, size_t);
    // Picks the file's name in the folder, once.
    void Name(platform::FileOps& files, std::string_view folder);
    void Append(std::string_view reportLines, std::string_view journalLines);

    platform::LocalTime started_, ended_;
    platform::FileTime startedAt_;
    std::chrono::steady_clock::time_point startClock_, endClock_;
    std::vector<ReportPair> pairs_;
    std::array<int, 13> counts_{};  // by engine::Outcome
    platform::AppendFile report_, journal_;
};

// The folder of the reports: %LOCALAPPDATA%\Mirravel\Reports.
std::string ReportFolder();

// Writes the whole report, totals on top, into the folder (made when missing) and keeps the newest
// `keep` reports (and their journals) there. False when it cannot be written.
bool SaveReport(platform::FileOps& files, std::string_view folder, SyncReport& report, size_t keep = 50);

// The newest report in the folder (of a Sync or of an undo), if there is one.
std::optional<std::string> NewestReport(platform::FileOps& files, std::string_view folder);

// The journal beside a report.
std::string JournalPath(std::string_view reportPath);

// The report of the Sync that File > Undo Last Sync would undo: the newest report, when it is of a Sync
// with a journal that has not been undone.
std::optional<std::string> UndoableReport(platform::FileOps& files, std::string_view folder);
// Marks the Sync of the report as undone: it cannot be undone twice.
bool MarkUndone(std::string_view reportPath);

// The report of an undo: which Sync, what was put back, what not and why.
class UndoReport final : public engine::UndoLog {
public:
    UndoReport(const platform::LocalTime& started, const platform::LocalTime& syncStarted);
    void BeginPair(std::string_view first, std::string_view second) override;
    void Record(const engine::UndoRecord& record) override;
    void End(const platform::LocalTime& ended);
    std::string Text() const;
    std::string savedPath;

private:
    friend bool SaveUndoReport(platform::FileOps&, std::string_view, UndoReport&, size_t);
    platform::LocalTime started_, ended_, syncStarted_;
    std::chrono::steady_clock::time_point startClock_, endClock_;
    std::vector<ReportPair> pairs_;
    std::array<int, 8> counts_{};  // by engine::UndoOutcome
};

// Writes the undo's report ("Undo 2026-12-08 09-15-00.txt") beside the Syncs' reports.
bool SaveUndoReport(platform::FileOps& files, std::string_view folder, UndoReport& report, size_t keep = 50);

}  // namespace app

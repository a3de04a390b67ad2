#pragma once
// The report of a Sync: the folder pair, start, end and duration, the totals, then one line per item
// done or not done; beside it the journal, which is kept whether or not reports are on. The Syncs of one
// Load run (one per folder pair) share one report and one journal. Files are named by the start in UTC
// ("Sync 2026-12-07 15-30-01 UTC.txt"), so their names sort by time through the hour that repeats in
// autumn; the times inside are local.
#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/sync_journal.h"
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
    // folder: where the journal and, with report, the report are written as the Sync goes, each item
    // appended when it is done, so a crash or a power cut leaves the record of what was done. Empty:
    // kept in memory until SaveReport.
    explicit SyncReport(const platform::LocalTime& started, std::string folder = {}, bool report = true,
                        platform::FileTime startedAt = platform::CurrentFileTime());

    // The pair the next records belong to.
    void BeginPair(std::string_view first, std::string_view second);
    void Record(const engine::ItemRecord& record) override;
    int Intend(const engine::WorkIntent& intent) override;
    // A line of its own under the pair, no item of it: what the plan was told.
    void Note(std::string_view line);
    // The end of the Sync: the journal says it ended; SaveReport then puts the totals on top.
    void End(const platform::LocalTime& ended);

    // UTF-8 text with CR LF line ends (the byte-order mark is the file's, see SaveReport).
    std::string Text() const;
    // "Sync 2026-12-07 15-30-01 UTC.txt".
    std::string FileName() const;
    // True when the journal could not be written whole: this Sync cannot be undone. It is marked so in
    // the folder where that can be written, so no older Sync is undone in its place.
    bool JournalFailed() const { return journalFailed_; }
    // True when the report was asked for and a line of it could not be written.
    bool ReportFailed() const { return reportFailed_; }

    // Where the report is written (named also when no report is written); later saves replace that
    // file. Its journal has the same name ending in ".journal".
    std::string savedPath;

private:
    friend bool SaveReport(platform::FileOps&, std::string_view, SyncReport&, size_t);
    // Picks the file's name in the folder, once.
    void Name(platform::FileOps& files, std::string_view folder);
    void AppendReport(std::string_view lines);
    void CheckJournal();

    platform::LocalTime started_, ended_;
    platform::FileTime startedAt_;
    std::chrono::steady_clock::time_point startClock_, endClock_;
    std::vector<ReportPair> pairs_;
    std::array<int, 13> counts_{};  // by engine::Outcome
    platform::AppendFile report_;
    JournalWriter journal_;
    bool writeReport_, journalFailed_ = false, reportFailed_ = false;
};

// The folder of the reports and journals: %LOCALAPPDATA%\Mirravel\Reports.
std::string ReportFolder();

// Writes the whole report, totals on top, into the folder (made when missing) and keeps the newest
// `keep` runs there (their reports and journals). False when it cannot be written.
bool SaveReport(platform::FileOps& files, std::string_view folder, SyncReport& report, size_t keep = 50);
// Keeps the newest `keep` runs in the folder; a journal whose work may be unfinished stays.
void PruneReports(platform::FileOps& files, std::string_view folder, size_t keep = 50);

// The newest report in the folder (of a Sync or of an undo), if there is one.
std::optional<std::string> NewestReport(platform::FileOps& files, std::string_view folder);

// The journal beside a report.
std::string JournalPath(std::string_view reportPath);

// The journal of the Sync that File > Undo Last Sync would undo: the newest Sync's, when it has one that
// was written whole and has not been undone.
std::optional<std::string> UndoableJournal(platform::FileOps& files, std::string_view folder);
// Marks the Sync of the journal as undone: it cannot be undone twice.
bool MarkUndone(std::string_view journalPath);

// The journals in the folder whose work may be unfinished: of runs cut off, or still at work.
std::vector<std::string> OpenJournals(platform::FileOps& files, std::string_view folder);

// The report of an undo: which Sync, what was put back, what not and why. Its own work (a newer copy on
// its way to the Recycle Bin) has a journal beside it, as a Sync's has.
class UndoReport final : public engine::UndoLog {
public:
    UndoReport(const platform::LocalTime& started, const platform::LocalTime& syncStarted, std::string folder = {},
               platform::FileTime startedAt = platform::CurrentFileTime());
    void BeginPair(std::string_view first, std::string_view second) override;
    void Record(const engine::UndoRecord& record) override;
    // A line under the totals: why the undo ended before its end.
    void Note(std::string_view line) { notes_ += std::string(line) + "\r\n"; }
    int Intend(const engine::WorkIntent& intent) override;
    void Settled(int intent) override;
    void End(const platform::LocalTime& ended);
    std::string Text() const;
    std::string savedPath;

private:
    friend bool SaveUndoReport(platform::FileOps&, std::string_view, UndoReport&, size_t);
    std::string notes_;
    platform::LocalTime started_, ended_, syncStarted_;
    platform::FileTime startedAt_;
    std::chrono::steady_clock::time_point startClock_, endClock_;
    std::vector<ReportPair> pairs_;
    std::array<int, 8> counts_{};  // by engine::UndoOutcome
    JournalWriter journal_;
};

// Writes the undo's report ("Undo 2026-12-08 08-15-00 UTC.txt") beside the Syncs' reports.
bool SaveUndoReport(platform::FileOps& files, std::string_view folder, UndoReport& report, size_t keep = 50);

}  // namespace app

#include "app/sync_report.h"

#include <algorithm>
#include <cstdio>

#include "app/sync_journal.h"
#include "engine/file_helpers.h"
#include "platform/file_system.h"
#include "platform/recycle_bin.h"

namespace app {

namespace {

using engine::Outcome;

// Reports of Syncs and of undos share the folder; the prefixes have one length, so the names sort by
// the time stamp after them.
constexpr std::string_view kPrefix = "Sync ", kUndoPrefix = "Undo ", kSuffix = ".txt";

std::string Stamp(const platform::LocalTime& t, char timeSeparator) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d%c%02d%c%02d", t.year, t.month, t.day, t.hour,
                  timeSeparator, t.minute, timeSeparator, t.second);
    return text;
}

std::string SideName(engine::Side side) { return side == engine::Side::First ? "the First Folder" : "the Second Folder"; }

std::string Line(const engine::ItemRecord& r) {
    std::string side = SideName(r.side);
    if (r.outcome == Outcome::Moved) return "Moved in " + side + ": " + r.movedFrom + " \u2192 " + r.path;
    std::string what;
    switch (r.outcome) {
    case Outcome::Copied: what = "Copied to " + side; break;
    case Outcome::FolderCreated: what = "Folder created in " + side; break;
    case Outcome::Replaced: what = "Replaced in " + side; break;
    case Outcome::Recycled: what = "Moved to the Recycle Bin from " + side; break;
    // A reason is given only where the Recycle Bin was asked for and did not get it.
    case Outcome::Deleted: what = (r.detail.empty() ? "Deleted from " : "Deleted for good from ") + side; break;
    case Outcome::LeftInPlace: what = (r.deletion ? "Left in place in " : "Not replaced in ") + side; break;
    default: what = (r.deletion ? "Not deleted from " : "Not copied to ") + side; break;
    }
    std::string reason = r.detail;
    switch (r.outcome) {
    case Outcome::Changed: reason = "changed since the Load"; break;
    case Outcome::Declined: reason = "answered No to \"Copy Failed, Force Update?\""; break;
    case Outcome::Stopped: reason = "stopped"; break;
    case Outcome::Kept: reason = "it holds items no list names"; break;
    case Outcome::FolderCreated:
        if (r.extra) reason = "for the files in it";
        break;
    default: break;
    }
    std::string path = r.folder ? "[" + r.path + "]" : r.path;
    return what + ": " + path + (reason.empty() ? "" : " (" + reason + ")");
}

bool IsReportName(std::string_view name) {
    return (name.starts_with(kPrefix) || name.starts_with(kUndoPrefix)) && name.ends_with(kSuffix);
}

std::vector<std::string> ReportNames(platform::FileOps& files, std::string_view folder) {
    std::vector<std::string> names;
    files.Enumerate(folder, [&](const platform::FileInfo& e) {
        if (!e.directory && IsReportName(e.name)) names.push_back(e.name);
    });
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.compare(kPrefix.size(), std::string::npos, b, kPrefix.size(), std::string::npos) < 0;
    });
    return names;
}

std::string Without(std::string_view path, std::string_view suffix) {
    return std::string(path.substr(0, path.size() - suffix.size()));
}

// A free path in the folder for a report of that name. Two reports within one second: the later one
// gets a number, which sorts after the first.
std::string FreeReportPath(platform::FileOps& files, std::string_view folder, const std::string& name) {
    std::string base = Without(name, kSuffix);
    std::string path = std::string(folder) + "\\" + name;
    for (int n = 2; files.Find(path) && n < 100; ++n)
        path = std::string(folder) + "\\" + base + (n < 10 ? "_0" : "_") + std::to_string(n) + std::string(kSuffix);
    return path;
}

// Writes a whole report and keeps the newest `keep` reports (with what belongs to them) in the folder.
bool WriteReport(platform::FileOps& files, std::string_view folder, const std::string& path, const std::string& text,
                 size_t keep) {
    if (!platform::WriteWholeFile(path, "\xEF\xBB\xBF" + text)) return false;
    std::vector<std::string> names = ReportNames(files, folder);
    for (size_t i = 0; i + keep < names.size(); ++i) {
        std::string old = std::string(folder) + "\\" + names[i];
        for (const std::string& file : {old, JournalPath(old), Without(old, kSuffix) + ".undone"}) files.RemoveFile(file);
    }
    return true;
}

// The lines every report begins with, up to its totals.
std::string Heading(const std::string& title, const platform::LocalTime& started, const platform::LocalTime& ended,
                    std::chrono::steady_clock::duration took) {
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.1f s", std::chrono::duration<double>(took).count());
    return title + "\r\nStarted: " + Stamp(started, ':') + "\r\nEnded: " + Stamp(ended, ':') +
           "\r\nDuration: " + duration + "\r\n\r\n";
}

// Each pair with its lines, after the totals.
std::string PairsText(const std::vector<ReportPair>& pairs) {
    const std::string n = "\r\n";
    std::string text;
    for (const ReportPair& pair : pairs) {
        text += n + "First Folder: " + pair.first + n + "Second Folder: " + pair.second + n;
        for (const std::string& line : pair.lines) text += line + n;
    }
    return text;
}

}  // namespace

SyncReport::SyncReport(const platform::LocalTime& started, std::string folder)
    : started_(started), ended_(started), startedAt_(platform::CurrentFileTime()),
      startClock_(std::chrono::steady_clock::now()), endClock_(startClock_) {
    if (folder.empty()) return;
    platform::FileOps& files = platform::SystemFileOps();
    engine::CreateFolderChain(files, folder);
    Name(files, folder);
    // A report that cannot be written costs the Sync nothing: it is then only saved at the end.
    if (report_.Open(savedPath, true) && journal_.Open(JournalPath(savedPath), true)) {
        Append("\xEF\xBB\xBFThe Mirravel 98: report of a Sync\r\nStarted: " + Stamp(started_, ':') + "\r\n",
               JournalStartLines(startedAt_, started_));
    }
}

void SyncReport::Name(platform::FileOps& files, std::string_view folder) {
    if (savedPath.empty()) savedPath = FreeReportPath(files, folder, FileName());
}

void SyncReport::Append(std::string_view reportLines, std::string_view journalLines) {
    report_.Append(reportLines);
    journal_.Append(journalLines);
}

void SyncReport::BeginPair(std::string_view first, std::string_view second) {
    if (!pairs_.empty() && pairs_.back().first == first && pairs_.back().second == second) return;
    pairs_.push_back({std::string(first), std::string(second), {}});
    Append("\r\nFirst Folder: " + std::string(first) + "\r\nSecond Folder: " + std::string(second) + "\r\n",
           JournalPairLine(first, second));
}

void SyncReport::Record(const engine::ItemRecord& record) {
    if (pairs_.empty()) BeginPair("", "");
    ++counts_[static_cast<size_t>(record.outcome)];
    // What moved with its folder is told with the folder; the journal holds each item.
    if (record.outcome == Outcome::MovedAlong) return Append({}, JournalItemLine(record));
    pairs_.back().lines.push_back(Line(record));
    Append(pairs_.back().lines.back() + "\r\n", JournalItemLine(record));
}

void SyncReport::Note(std::string_view line) {
    if (pairs_.empty()) BeginPair("", "");
    pairs_.back().lines.emplace_back(line);
    Append(std::string(line) + "\r\n", {});
}

void SyncReport::End(const platform::LocalTime& ended) {
    ended_ = ended;
    endClock_ = std::chrono::steady_clock::now();
    journal_.Append(JournalEndLine(platform::CurrentFileTime()));
    journal_.Flush();
}

std::string SyncReport::Text() const {
    auto count = [&](Outcome o) { return counts_[static_cast<size_t>(o)]; };
    int moved = count(Outcome::Moved) + count(Outcome::MovedAlong);
    int done = count(Outcome::Copied) + count(Outcome::FolderCreated) + count(Outcome::Replaced) +
               count(Outcome::Recycled) + count(Outcome::Deleted) + moved;
    int notDone = count(Outcome::Failed) + count(Outcome::Changed) + count(Outcome::Declined) +
                  count(Outcome::Stopped) + count(Outcome::Kept) + count(Outcome::LeftInPlace);
    const std::string n = "\r\n";
    std::string text = Heading("The Mirravel 98: report of a Sync", started_, ended_, endClock_ - startClock_);
    text += "Done: " + std::to_string(done) + " (" + std::to_string(count(Outcome::Copied)) + " copied, " +
            std::to_string(count(Outcome::Replaced)) + " replaced, " + std::to_string(count(Outcome::FolderCreated)) +
            " folders created, " + std::to_string(count(Outcome::Recycled)) + " moved to the Recycle Bin, " +
            std::to_string(count(Outcome::Deleted)) + " deleted for good" +
            (moved ? ", " + std::to_string(moved) + " moved or renamed" : "") + ")" + n;
    text += "Not done: " + std::to_string(notDone) + " (" + std::to_string(count(Outcome::Failed)) + " failed, " +
            std::to_string(count(Outcome::Changed)) + " changed since the Load, " +
            std::to_string(count(Outcome::Declined)) + " answered No, " + std::to_string(count(Outcome::Stopped)) +
            " stopped, " + std::to_string(count(Outcome::Kept)) + " folders kept, " +
            std::to_string(count(Outcome::LeftInPlace)) + " left in place)" + n;
    return text + PairsText(pairs_);
}

std::string SyncReport::FileName() const { return std::string(kPrefix) + Stamp(started_, '-') + std::string(kSuffix); }

std::string JournalPath(std::string_view reportPath) { return Without(reportPath, kSuffix) + ".journal"; }

std::string ReportFolder() { return platform::LocalDataFolder() + "\\Mirravel\\Reports"; }

bool SaveReport(platform::FileOps& files, std::string_view folder, SyncReport& report, size_t keep) {
    engine::CreateFolderChain(files, folder);
    report.Name(files, folder);
    // The report written item by item gets its totals on top; the journal stays as it was appended.
    report.report_.Close();
    bool written = WriteReport(files, folder, report.savedPath, report.Text(), keep);
    report.report_.Open(report.savedPath, false);
    return written;
}

std::optional<std::string> NewestReport(platform::FileOps& files, std::string_view folder) {
    std::vector<std::string> names = ReportNames(files, folder);
    if (names.empty()) return std::nullopt;
    return std::string(folder) + "\\" + names.back();
}

}  // namespace app

namespace app {

std::optional<std::string> UndoableReport(platform::FileOps& files, std::string_view folder) {
    std::optional<std::string> newest = NewestReport(files, folder);
    if (!newest) return std::nullopt;
    std::string name = newest->substr(newest->find_last_of('\\') + 1);
    if (!name.starts_with(kPrefix) || !files.Find(JournalPath(*newest)) || files.Find(Without(*newest, kSuffix) + ".undone"))
        return std::nullopt;
    return newest;
}

bool MarkUndone(std::string_view reportPath) {
    return platform::WriteWholeFile(Without(reportPath, kSuffix) + ".undone", "");
}

UndoReport::UndoReport(const platform::LocalTime& started, const platform::LocalTime& syncStarted)
    : started_(started), ended_(started), syncStarted_(syncStarted), startClock_(std::chrono::steady_clock::now()),
      endClock_(startClock_) {}

void UndoReport::BeginPair(std::string_view first, std::string_view second) {
    pairs_.push_back({std::string(first), std::string(second), {}});
}

void UndoReport::Record(const engine::UndoRecord& r) {
    using engine::UndoOutcome;
    if (pairs_.empty()) BeginPair("", "");
    ++counts_[static_cast<size_t>(r.outcome)];
    std::string side = SideName(r.side), what;
    switch (r.outcome) {
    case UndoOutcome::PutBack: what = "Put back in " + side; break;
    case UndoOutcome::Reverted: what = "Old copy back in " + side; break;
    case UndoOutcome::Removed: what = "Removed from " + side; break;
    case UndoOutcome::FolderMade: what = "Folder made again in " + side; break;
    case UndoOutcome::FolderRemoved: what = "Folder removed from " + side; break;
    case UndoOutcome::NotUndone:
    case UndoOutcome::Stopped: what = "Not undone in " + side; break;
    case UndoOutcome::MovedBack:
        pairs_.back().lines.push_back("Moved back in " + side + ": " + r.detail + " \u2192 " + r.path);
        return;
    }
    std::string path = r.folder ? "[" + r.path + "]" : r.path;
    pairs_.back().lines.push_back(what + ": " + path + (r.detail.empty() ? "" : " (" + r.detail + ")"));
}

void UndoReport::End(const platform::LocalTime& ended) {
    ended_ = ended;
    endClock_ = std::chrono::steady_clock::now();
}

std::string UndoReport::Text() const {
    using engine::UndoOutcome;
    auto count = [&](UndoOutcome o) { return counts_[static_cast<size_t>(o)]; };
    int notUndone = count(UndoOutcome::NotUndone) + count(UndoOutcome::Stopped);
    int undone = 0;
    for (int n : counts_) undone += n;
    undone -= notUndone;
    const std::string n = "\r\n";
    std::string text = Heading("The Mirravel 98: report of an undo" + n + "Of the Sync started: " + Stamp(syncStarted_, ':'),
                               started_, ended_, endClock_ - startClock_);
    text += "Undone: " + std::to_string(undone) + " (" + std::to_string(count(UndoOutcome::PutBack)) +
            " put back from the Recycle Bin, " + std::to_string(count(UndoOutcome::Reverted)) + " old copies back, " +
            std::to_string(count(UndoOutcome::Removed)) + " copies removed, " +
            std::to_string(count(UndoOutcome::FolderMade)) + " folders made again, " +
            std::to_string(count(UndoOutcome::FolderRemoved)) + " folders removed" +
            (count(UndoOutcome::MovedBack) ? ", " + std::to_string(count(UndoOutcome::MovedBack)) + " moved back" : "") +
            ")" + n;
    text += "Not undone: " + std::to_string(notUndone) + " (" + std::to_string(count(UndoOutcome::Stopped)) +
            " stopped)" + n;
    return text + PairsText(pairs_);
}

bool SaveUndoReport(platform::FileOps& files, std::string_view folder, UndoReport& report, size_t keep) {
    engine::CreateFolderChain(files, folder);
    if (report.savedPath.empty())
        report.savedPath = FreeReportPath(files, folder, std::string(kUndoPrefix) + Stamp(report.started_, '-') +
                                                             std::string(kSuffix));
    return WriteReport(files, folder, report.savedPath, report.Text(), keep);
}

}  // namespace app

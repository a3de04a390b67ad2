#include "app/sync_report.h"

#include <algorithm>
#include <cstdio>
#include <map>

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

// A run's files share one base name: "Sync <start>" or "Undo <start>", then one of these endings.
constexpr std::string_view kJournal = ".journal", kUndone = ".undone", kUnjournaled = ".unjournaled",
                           kOpen = ".journal.open";

// The start in UTC, as a name's stamp: "2026-12-07 15-30-01 UTC".
std::string UtcStamp(platform::FileTime t) {
    std::int64_t seconds = t / 10'000'000 - 11'644'473'600;
    std::int64_t days = seconds / 86400 - (seconds % 86400 < 0), rest = seconds - days * 86400;
    // Days since 1970-01-01 to the civil date.
    std::int64_t z = days + 719468, era = (z >= 0 ? z : z - 146096) / 146097, doe = z - era * 146097;
    std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365, doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    std::int64_t mp = (5 * doy + 2) / 153, day = doy - (153 * mp + 2) / 5 + 1, month = mp < 10 ? mp + 3 : mp - 9;
    std::int64_t year = yoe + era * 400 + (month <= 2);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d-%02d-%02d UTC", static_cast<int>(year), static_cast<int>(month),
                  static_cast<int>(day), static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                  static_cast<int>(rest % 60));
    return text;
}

struct RunName {
    std::string base, ending;
};

// The base and ending of a file of a run; nullopt for any other file.
std::optional<RunName> RunNameOf(std::string_view name) {
    if (!name.starts_with(kPrefix) && !name.starts_with(kUndoPrefix)) return std::nullopt;
    for (std::string_view ending : {kOpen, kJournal, kSuffix, kUndone, kUnjournaled})
        if (name.ends_with(ending) && name.size() > kPrefix.size() + ending.size())
            return RunName{std::string(name.substr(0, name.size() - ending.size())), std::string(ending)};
    return std::nullopt;
}

// Bases named by the start in UTC came after every base named by local time (an earlier version's).
bool Earlier(const std::string& a, const std::string& b) {
    bool utcA = a.find(" UTC") != std::string::npos, utcB = b.find(" UTC") != std::string::npos;
    if (utcA != utcB) return utcB;
    return a.compare(kPrefix.size(), std::string::npos, b, kPrefix.size(), std::string::npos) < 0;
}

// The runs in the folder, oldest first: each base with the endings of its files.
std::vector<std::pair<std::string, std::vector<std::string>>> RunsIn(platform::FileOps& files, std::string_view folder) {
    std::map<std::string, std::vector<std::string>> bases;
    files.Enumerate(folder, [&](const platform::FileInfo& e) {
        if (e.directory) return;
        if (auto run = RunNameOf(e.name)) bases[run->base].push_back(run->ending);
    });
    std::vector<std::pair<std::string, std::vector<std::string>>> runs(bases.begin(), bases.end());
    std::sort(runs.begin(), runs.end(), [](const auto& a, const auto& b) { return Earlier(a.first, b.first); });
    return runs;
}

bool Has(const std::vector<std::string>& endings, std::string_view ending) {
    return std::find(endings.begin(), endings.end(), ending) != endings.end();
}

std::string Without(std::string_view path, std::string_view suffix) {
    return std::string(path.substr(0, path.size() - suffix.size()));
}

// A free path in the folder for a report of that name: no file of a run has its base. Two runs within
// one second: the later one gets a number, which sorts after the first.
std::string FreeReportPath(platform::FileOps& files, std::string_view folder, const std::string& name) {
    std::string base = Without(name, kSuffix);
    auto taken = [&](const std::string& b) {
        std::string path = std::string(folder) + "\\" + b;
        return files.Find(path + std::string(kSuffix)) || files.Find(path + std::string(kJournal));
    };
    std::string chosen = base;
    for (int n = 2; taken(chosen) && n < 100; ++n) chosen = base + (n < 10 ? "_0" : "_") + std::to_string(n);
    return std::string(folder) + "\\" + chosen + std::string(kSuffix);
}

// Writes a whole report and keeps the newest `keep` runs in the folder. Written beside and put in
// place in one step, so a failure leaves the report as it was written item by item; not forced to the
// disk (the journal, not the report, is what a later run reads), so the end of a run never waits for it.
bool WriteReport(platform::FileOps& files, std::string_view folder, const std::string& path, const std::string& text,
                 size_t keep) {
    const std::string fresh = path + ".new";
    platform::AppendFile file;
    bool written = file.Open(fresh, true) && file.Append("\xEF\xBB\xBF" + text);
    file.Close();
    if (!written || !files.MoveReplacing(fresh, path)) {
        files.RemoveFile(fresh);
        return false;
    }
    PruneReports(files, folder, keep);
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

void PruneReports(platform::FileOps& files, std::string_view folder, size_t keep) {
    auto runs = RunsIn(files, folder);
    for (size_t i = 0; i + keep < runs.size(); ++i) {
        const auto& [base, endings] = runs[i];
        if (Has(endings, kOpen)) continue;  // its work may be unfinished: the next run settles it
        for (const std::string& ending : endings) files.RemoveFile(std::string(folder) + "\\" + base + ending);
    }
}

SyncReport::SyncReport(const platform::LocalTime& started, std::string folder, bool report, platform::FileTime startedAt)
    : started_(started), ended_(started), startedAt_(startedAt), startClock_(std::chrono::steady_clock::now()),
      endClock_(startClock_), writeReport_(report) {
    if (folder.empty()) return;
    platform::FileOps& files = platform::SystemFileOps();
    engine::CreateFolderChain(files, folder);
    Name(files, folder);
    journal_.Open(JournalPath(savedPath), startedAt_, started_);
    CheckJournal();
    // A report that cannot be written costs the Sync nothing: it is then only saved at the end.
    reportFailed_ = writeReport_ && !report_.Open(savedPath, true);
    if (writeReport_)
        AppendReport("\xEF\xBB\xBFThe Mirravel 98: report of a Sync\r\nStarted: " + Stamp(started_, ':') + "\r\n");
}

void SyncReport::Name(platform::FileOps& files, std::string_view folder) {
    if (savedPath.empty()) savedPath = FreeReportPath(files, folder, FileName());
}

void SyncReport::AppendReport(std::string_view lines) {
    if (writeReport_ && !reportFailed_ && !report_.Append(lines)) reportFailed_ = true;
}

void SyncReport::CheckJournal() {
    if (journalFailed_ || !journal_.Failed() || savedPath.empty()) return;
    journalFailed_ = true;
    // The newest Sync is this one, and it cannot be undone: no older one is undone in its place.
    platform::WriteWholeFile(Without(savedPath, kSuffix) + std::string(kUnjournaled), "");
}

void SyncReport::BeginPair(std::string_view first, std::string_view second) {
    if (!pairs_.empty() && pairs_.back().first == first && pairs_.back().second == second) return;
    pairs_.push_back({std::string(first), std::string(second), {}});
    AppendReport("\r\nFirst Folder: " + std::string(first) + "\r\nSecond Folder: " + std::string(second) + "\r\n");
    journal_.Pair(first, second);
    CheckJournal();
}

void SyncReport::Record(const engine::ItemRecord& record) {
    if (pairs_.empty()) BeginPair("", "");
    ++counts_[static_cast<size_t>(record.outcome)];
    // What moved with its folder is told with the folder; the journal holds each item.
    if (record.outcome != Outcome::MovedAlong) {
        pairs_.back().lines.push_back(Line(record));
        AppendReport(pairs_.back().lines.back() + "\r\n");
    }
    journal_.Record(record);
    CheckJournal();
}

int SyncReport::Intend(const engine::WorkIntent& intent) {
    int id = journal_.Intend(intent);
    CheckJournal();
    return id;
}

void SyncReport::Note(std::string_view line) {
    if (pairs_.empty()) BeginPair("", "");
    pairs_.back().lines.emplace_back(line);
    AppendReport(std::string(line) + "\r\n");
}

void SyncReport::End(const platform::LocalTime& ended) {
    ended_ = ended;
    endClock_ = std::chrono::steady_clock::now();
    journal_.End(platform::CurrentFileTime());
    CheckJournal();
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

std::string SyncReport::FileName() const { return std::string(kPrefix) + UtcStamp(startedAt_) + std::string(kSuffix); }

std::string JournalPath(std::string_view reportPath) { return Without(reportPath, kSuffix) + std::string(kJournal); }

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
    auto runs = RunsIn(files, folder);
    for (auto run = runs.rbegin(); run != runs.rend(); ++run)
        if (Has(run->second, kSuffix)) return std::string(folder) + "\\" + run->first + std::string(kSuffix);
    return std::nullopt;
}

std::optional<std::string> UndoableJournal(platform::FileOps& files, std::string_view folder) {
    auto runs = RunsIn(files, folder);
    // The newest Sync alone: after an undo that ran to its end, or after a Sync whose journal could not be
    // written whole, there is nothing to undo. An undo stopped before its end leaves its own run on top.
    auto sync = std::find_if(runs.rbegin(), runs.rend(), [](const auto& run) { return run.first.starts_with(kPrefix); });
    if (sync == runs.rend()) return std::nullopt;
    const auto& [base, endings] = *sync;
    if (!Has(endings, kJournal) || Has(endings, kUndone) || Has(endings, kUnjournaled)) return std::nullopt;
    return std::string(folder) + "\\" + base + std::string(kJournal);
}

bool MarkUndone(std::string_view journalPath) {
    return platform::WriteWholeFile(Without(journalPath, kJournal) + std::string(kUndone), "");
}

std::vector<std::string> OpenJournals(platform::FileOps& files, std::string_view folder) {
    std::vector<std::string> journals;
    for (const auto& [base, endings] : RunsIn(files, folder))
        if (Has(endings, kOpen) && Has(endings, kJournal)) journals.push_back(std::string(folder) + "\\" + base + std::string(kJournal));
    return journals;
}

UndoReport::UndoReport(const platform::LocalTime& started, const platform::LocalTime& syncStarted, std::string folder,
                       platform::FileTime startedAt)
    : started_(started), ended_(started), syncStarted_(syncStarted), startedAt_(startedAt),
      startClock_(std::chrono::steady_clock::now()), endClock_(startClock_) {
    if (folder.empty()) return;
    platform::FileOps& files = platform::SystemFileOps();
    engine::CreateFolderChain(files, folder);
    savedPath = FreeReportPath(files, folder, std::string(kUndoPrefix) + UtcStamp(startedAt_) + std::string(kSuffix));
    journal_.Open(JournalPath(savedPath), startedAt_, started_);
}

void UndoReport::BeginPair(std::string_view first, std::string_view second) {
    pairs_.push_back({std::string(first), std::string(second), {}});
    journal_.Pair(first, second);
}

int UndoReport::Intend(const engine::WorkIntent& intent) { return journal_.Intend(intent); }

void UndoReport::Settled(int intent) { journal_.Done(intent); }

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
    journal_.End(platform::CurrentFileTime());
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
    return text + notes_ + PairsText(pairs_);
}

bool SaveUndoReport(platform::FileOps& files, std::string_view folder, UndoReport& report, size_t keep) {
    engine::CreateFolderChain(files, folder);
    if (report.savedPath.empty())
        report.savedPath = FreeReportPath(files, folder, std::string(kUndoPrefix) + UtcStamp(report.startedAt_) +
                                                             std::string(kSuffix));
    return WriteReport(files, folder, report.savedPath, report.Text(), keep);
}

}  // namespace app

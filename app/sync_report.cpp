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

constexpr std::string_view kPrefix = "Sync ", kSuffix = ".txt";

std::string Stamp(const platform::LocalTime& t, char timeSeparator) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d%c%02d%c%02d", t.year, t.month, t.day, t.hour,
                  timeSeparator, t.minute, timeSeparator, t.second);
    return text;
}

std::string SideName(engine::Side side) { return side == engine::Side::First ? "the First Folder" : "the Second Folder"; }

std::string Line(const engine::ItemRecord& r) {
    std::string side = SideName(r.side);
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

bool IsReportName(std::string_view name) { return name.starts_with(kPrefix) && name.ends_with(kSuffix); }

std::vector<std::string> ReportNames(platform::FileOps& files, std::string_view folder) {
    std::vector<std::string> names;
    files.Enumerate(folder, [&](const platform::FileInfo& e) {
        if (!e.directory && IsReportName(e.name)) names.push_back(e.name);
    });
    std::sort(names.begin(), names.end());
    return names;
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
    if (!savedPath.empty()) return;
    // Two Syncs within one second: the later one gets a number, which sorts after the first.
    std::string name = FileName();
    std::string base = name.substr(0, name.size() - kSuffix.size());
    std::string path = std::string(folder) + "\\" + name;
    for (int n = 2; files.Find(path) && n < 100; ++n)
        path = std::string(folder) + "\\" + base + (n < 10 ? "_0" : "_") + std::to_string(n) + std::string(kSuffix);
    savedPath = path;
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
    pairs_.back().lines.push_back(Line(record));
    Append(pairs_.back().lines.back() + "\r\n", JournalItemLine(record));
}

void SyncReport::End(const platform::LocalTime& ended) {
    ended_ = ended;
    endClock_ = std::chrono::steady_clock::now();
    journal_.Append(JournalEndLine(platform::CurrentFileTime()));
    journal_.Flush();
}

std::string SyncReport::Text() const {
    auto count = [&](Outcome o) { return counts_[static_cast<size_t>(o)]; };
    int done = count(Outcome::Copied) + count(Outcome::FolderCreated) + count(Outcome::Replaced) +
               count(Outcome::Recycled) + count(Outcome::Deleted);
    int notDone = count(Outcome::Failed) + count(Outcome::Changed) + count(Outcome::Declined) +
                  count(Outcome::Stopped) + count(Outcome::Kept) + count(Outcome::LeftInPlace);
    double seconds = std::chrono::duration<double>(endClock_ - startClock_).count();
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.1f s", seconds);
    const std::string n = "\r\n";
    std::string text = "The Mirravel 98: report of a Sync" + n + "Started: " + Stamp(started_, ':') + n +
                       "Ended: " + Stamp(ended_, ':') + n + "Duration: " + duration + n + n;
    text += "Done: " + std::to_string(done) + " (" + std::to_string(count(Outcome::Copied)) + " copied, " +
            std::to_string(count(Outcome::Replaced)) + " replaced, " + std::to_string(count(Outcome::FolderCreated)) +
            " folders created, " + std::to_string(count(Outcome::Recycled)) + " moved to the Recycle Bin, " +
            std::to_string(count(Outcome::Deleted)) + " deleted for good)" + n;
    text += "Not done: " + std::to_string(notDone) + " (" + std::to_string(count(Outcome::Failed)) + " failed, " +
            std::to_string(count(Outcome::Changed)) + " changed since the Load, " +
            std::to_string(count(Outcome::Declined)) + " answered No, " + std::to_string(count(Outcome::Stopped)) +
            " stopped, " + std::to_string(count(Outcome::Kept)) + " folders kept, " +
            std::to_string(count(Outcome::LeftInPlace)) + " left in place)" + n;
    for (const Pair& pair : pairs_) {
        text += n + "First Folder: " + pair.first + n + "Second Folder: " + pair.second + n;
        for (const std::string& line : pair.lines) text += line + n;
    }
    return text;
}

std::string SyncReport::FileName() const { return std::string(kPrefix) + Stamp(started_, '-') + std::string(kSuffix); }

std::string JournalPath(std::string_view reportPath) {
    return std::string(reportPath.substr(0, reportPath.size() - kSuffix.size())) + ".journal";
}

std::string ReportFolder() { return platform::LocalDataFolder() + "\\Mirravel\\Reports"; }

bool SaveReport(platform::FileOps& files, std::string_view folder, SyncReport& report, size_t keep) {
    engine::CreateFolderChain(files, folder);
    report.Name(files, folder);
    // The report written item by item gets its totals on top; the journal stays as it was appended.
    report.report_.Close();
    if (!platform::WriteWholeFile(report.savedPath, "\xEF\xBB\xBF" + report.Text())) return false;
    report.report_.Open(report.savedPath, false);
    std::vector<std::string> names = ReportNames(files, folder);
    for (size_t i = 0; i + keep < names.size(); ++i) {
        std::string old = std::string(folder) + "\\" + names[i];
        files.RemoveFile(old);
        files.RemoveFile(JournalPath(old));
    }
    return true;
}

std::optional<std::string> NewestReport(platform::FileOps& files, std::string_view folder) {
    std::vector<std::string> names = ReportNames(files, folder);
    if (names.empty()) return std::nullopt;
    return std::string(folder) + "\\" + names.back();
}

}  // namespace app

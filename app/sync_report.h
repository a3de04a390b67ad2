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
#include "platform/clock.h"
#include "platform/file_ops.h"

namespace app {

class SyncReport final : public engine::SyncLog {
public:
    explicit SyncReport(const platform::LocalTime& started);

    // The pair the next records belong to.
    void BeginPair(std::string_view first, std::string_view second);
    void Record(const engine::ItemRecord& record) override;
    void End(const platform::LocalTime& ended);

    // UTF-8 text with CR LF line ends (the byte-order mark is the file's, see SaveReport).
    std::string Text() const;
    // "Sync 2026-12-07 16-30-01.txt": named by the start, so the names sort by time.
    std::string FileName() const;

    // Where SaveReport put it the first time; later saves replace that file.
    std::string savedPath;

private:
    struct Pair {
        std::string first, second;
        std::vector<std::string> lines;
    };
    platform::LocalTime started_, ended_;
    std::chrono::steady_clock::time_point startClock_, endClock_;
    std::vector<Pair> pairs_;
    std::array<int, 10> counts_{};  // by engine::Outcome
};

// The folder of the reports: %LOCALAPPDATA%\Mirravel\Reports.
std::string ReportFolder();

// Writes the report into the folder (made when missing) and keeps the newest `keep` reports there.
// False when it cannot be written.
bool SaveReport(platform::FileOps& files, std::string_view folder, SyncReport& report, size_t keep = 50);

// The newest report in the folder, if there is one.
std::optional<std::string> NewestReport(platform::FileOps& files, std::string_view folder);

}  // namespace app

#pragma once
// Run state of the main window that needs no window: byte-count texts and the auto-close countdown.
#include <string>
#include <vector>

#include "engine/lists.h"
#include "engine/scan.h"

namespace settings {
struct Settings;
}

namespace app {

// "1048575 Bytes" below one megabyte; "1.50 Meg" (hundredths, truncated) from one megabyte on.
std::string SizeText(engine::ByteCount bytes);

// What one Sync, or the Syncs of one Load run, did with the items planned.
struct SyncTally {
    int planned = 0;
    int handled = 0;  // tried, whatever came of it; the rest were left by a stop or a close
    int failed = 0;
    int busy = 0;  // not started: another Sync or undo held the session
    SyncTally& operator+=(const SyncTally& other);
};

// Status panel 0 after a Sync: "Synchronize Complete" only when every planned item was done.
std::string SyncResultText(const SyncTally& tally);

// What a scan passed over, for status panel 0: "" when nothing, else say "2 folder links not synced".
std::string PassedOverText(size_t links, size_t caseTwins);
// The folders a scan could not list (folder links apart, which PassedOverText counts), for status panel
// 0: "" when none, else say "Docs in the First Folder could not be read (Access is denied)"; and for the
// report, a line each, folder links too.
std::string NotReadText(const std::vector<engine::FolderNotRead>& folders);
std::vector<std::string> NotReadReportLines(const std::vector<engine::FolderNotRead>& folders);
// A result with that notice joined to it.
std::string WithNotice(std::string result, const std::string& notice);

// The options a plan was made under: what the scan lists, how the evaluation decides, and whether the
// memory of the last Sync planned with it. A plan is carried out only while they still hold.
struct PlanOptions {
    bool useSubfolders = false;
    int filterMode = 0;
    std::vector<std::string> excludedExts, excludedNames, onlyExts;
    bool mirrorLocal = false, ignoreHour = false, memory = false;
    bool operator==(const PlanOptions&) const = default;
};
PlanOptions PlanOptionsOf(const settings::Settings& settings);

// The auto-close countdown, one step per second.
class Countdown {
public:
    enum class Outcome { Running, Stopped, CloseWindow };

    void Start() { running_ = true; }
    bool Running() const { return running_; }
    // A double click on the status bar: the next tick stops the countdown (also a later one's).
    void RequestCancel() { cancelPending_ = true; }
    bool CancelPending() const { return cancelPending_; }
    int Elapsed() const { return elapsed_; }
    // Back to idle; status panel 0 is then emptied.
    void Stop();

    // The delay is read afresh at every tick; panelText receives what status panel 0 shows.
    Outcome Tick(int delaySeconds, bool autoClose, std::string& panelText);

private:
    bool running_ = false;
    bool cancelPending_ = false;
    int elapsed_ = 0;
};

}  // namespace app

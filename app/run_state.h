#pragma once
// Run state of the main window that needs no window: byte-count texts and the auto-close countdown.
#include <string>

#include <vector>

#include "engine/lists.h"
#include "engine/scan.h"

namespace app {

// "1048575 Bytes" below one megabyte; "1.50 Meg" (hundredths, truncated) from one megabyte on.
std::string SizeText(engine::ByteCount bytes);

// What one Sync, or the Syncs of one Load run, did with the items planned.
struct SyncTally {
    int planned = 0;
    int handled = 0;  // tried, whatever came of it; the rest were left by a stop or a close
    int failed = 0;
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
    // The result of the last run, in status panel 0: the countdown leaves it there for its first
    // seconds, so it is seen, and puts it back when it stops.
    void SetResult(std::string text) { result_ = std::move(text); }

    // The delay is read afresh at every tick; panelText receives what status panel 0 shows.
    Outcome Tick(int delaySeconds, bool autoClose, std::string& panelText);

private:
    void Stop(std::string& panelText);

    bool running_ = false;
    bool cancelPending_ = false;
    int elapsed_ = 0;
    std::string result_;
};

}  // namespace app

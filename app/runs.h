#pragma once
// The Load and Sync runs: one pass per folder pair (scan, evaluate, decide), the copies and
// deletions of a Sync, and the steps the Load and Sync buttons add around them.
#include <string>

#include "app/main_state.h"
#include "app/run_host.h"
#include "platform/file_ops.h"
#include "settings/settings.h"

namespace app {

inline constexpr const char* kStampFileName = "~mirv4.m4";

class Runs {
public:
    Runs(RunHost& host, MainState& state, const settings::Settings& settings, platform::FileOps& files)
        : host_(host), state_(state), settings_(settings), files_(files) {}

    // Every Load: the passes over the folder pair or the multi-directory set.
    void RunMultiDirectory();
    // Every Sync: the copies, then the deletions. Returns the number of items that failed.
    int RunSync();
    void LoadFromButton();
    void SyncFromButton();

    // The synchronisation record's line for the given moment.
    static std::string StampLine(const platform::LocalTime& now);

private:
    void Pass(size_t pairIndex);
    // The control states at the end of every Load run, however it ends.
    void EndRun();
    bool SkipWithoutFolders();
    void CreateFolders();
    void ScanBoth();
    void Decide();
    void WriteStamp();
    void WaitForNext();

    RunHost& host_;
    MainState& state_;
    const settings::Settings& settings_;
    platform::FileOps& files_;
};

}  // namespace app

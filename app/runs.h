#pragma once
// The Load and Sync runs: one pass per folder pair (scan, evaluate, decide), the copies and
// deletions of a Sync, and the steps the Load and Sync buttons add around them.
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "app/main_state.h"
#include "app/run_host.h"
#include "app/sync_journal.h"
#include "app/sync_report.h"
#include "engine/undo.h"
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
    // Every Sync, of the plan the lists hold: the copies, then the deletions; status panel 0 tells what
    // came of them (of all the Syncs of the Load run it is part of). unattended: started by a pass, with
    // nobody to ask whether what the Recycle Bin cannot take may go for good.
    SyncTally RunSync(MainState::Plan plan, bool unattended = false);
    // A Sync asked for while the lists hold no plan: status panel 0 says what to do instead.
    void NothingToSync();
    // File > Undo Last Sync (ask: the question first) and "-undo": the newest Sync of this user undone
    // from its journal. nullopt when there is none to undo, or the answer was No. An error is written
    // into the undo's report before it goes on to the caller.
    std::optional<engine::UndoCounts> UndoLastSync(bool ask);
    // Whether there is a Sync to undo now: its journal not undone, and no Sync or undo of another copy
    // of the program under way (a journal still being written is never undone).
    bool Undoable();
    // Undo Last Sync asked for while there is nothing to undo: status panel 0 says why.
    void NothingToUndo();
    void LoadFromButton();
    void SyncFromButton(MainState::Plan plan);
    // A close of the window: true when it may close now; otherwise it is carried out once the run
    // has returned, and a close that stops the run has set the marks for it.
    bool RequestClose(CloseBy by);

    // The lists hold a plan only for the pair it was made for: anything that changes the pair (the
    // mode, the folder fields, a Load) ends it, and Sync with it.
    void DiscardPlan();

    // The synchronisation record's line for the given moment.
    static std::string StampLine(const platform::LocalTime& now);

private:
    // The pair lists as they stood when the run started: entry i of each is pair i.
    struct PairLists {
        std::vector<std::string> firsts, seconds;
    };
    void Pass(const PairLists& pairs, size_t pairIndex);
    // The control states at the end of every Load run, however it ends.
    void EndRun();
    bool SkipWithoutFolders();
    void CreateFolders();
    // Returns what the scans passed over, as status panel 0 tells it. workFiles: what the scans pass over
    // as this program's own.
    engine::PassedOver ScanBoth(std::shared_ptr<const std::unordered_set<std::string>> workFiles);
    static std::optional<Journal> ReadJournal(const std::string& path);
    // What of the journal and the report could not be written, as panel 0 tells it ("" when all was).
    static std::string UnwrittenText(const SyncReport& report, bool reportSaved = true);
    // True when the pair is in step.
    bool Decide();
    void WriteStamp();
    void WaitForNext();

    RunHost& host_;
    MainState& state_;
    const settings::Settings& settings_;
    platform::FileOps& files_;
    SyncTally runTally_;                   // the Syncs of the Load run under way
    std::optional<SyncReport> runReport_;  // and their report
};

}  // namespace app

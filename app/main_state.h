#pragma once
// The main window's run state: everything the window knows besides its controls.
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/pair_memory_store.h"
#include "app/run_phase.h"
#include "app/run_state.h"
#include "engine/lists.h"
#include "engine/scan.h"
#include "engine/totals.h"

namespace app {

struct MainState {
    // Start-up, fixed for the life of the process once set.
    StartMode startMode = StartMode::None;
    std::string ShortcutPath;  // upper-cased; empty when none
    bool ShortcutLoaded = false;
    std::string RunPath;         // the program's own folder: help, About address, settings file
    size_t argumentCount = 0;    // any argument arms the automatic Load
    std::string firstArgument;   // a Sync closes the program only after exactly "-wiz"
    bool undoAtStart = false;    // "-undo"

    // The folder pair of the current pass, without trailing backslashes; "none" when unknown.
    std::string LocalFolder, RemoteFolder;

    bool LoadBusy = false;
    bool stopRequested = false;
    bool nextRequested = false;
    int ActiveList = 0;  // the result list holding the focus, 0 for none
    // What the window is doing, and a close put off until the run has returned.
    RunPhases phases;

    engine::SyncLists lists;
    // What the lists hold: the plan of one pass, for the folders it was made for (the pass's roots), what
    // its scan passed over there ("" or, say, "2 folder links not synced") and the options it was made
    // under. None while the lists hold no plan: a Sync has nothing to carry out.
    struct Plan {
        FolderPair pair;
        std::string passedOver;
        PlanOptions options;
        std::vector<engine::FolderNotRead> notRead;  // the report names them
    };
    std::optional<Plan> plan;
    // With the option to remember each Sync: the memory the plan was made with, for its Sync.
    std::unique_ptr<PlanMemory> memory;
    engine::ByteTotals totals;
    // The last Sync of this process could not write its journal whole, nor mark itself so in the folder
    // of the journals: Undo Last Sync must not take the Sync before it for the last one.
    bool lastSyncNotUndoable = false;
    Countdown countdown;
};

}  // namespace app

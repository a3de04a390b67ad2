#include <gtest/gtest.h>

#include <optional>

#include "app/run_phase.h"

namespace {

using app::CloseBy;
using app::Command;
using app::Phase;
using app::RunPhases;
using Action = RunPhases::CloseAction;

// A phase reached the way the runs reach it, with what each command may do there.
struct Row {
    const char* name;
    std::vector<Phase> stack;
    bool load, sync, options, folder, lists, next, stop;
};

TEST(RunPhases, EachCommandInEachPhase) {
    const Row rows[] = {
        {"idle", {}, true, true, true, true, true, false, false},
        {"Load pass", {Phase::LoadPass}, false, false, false, false, false, false, true},
        {"wait for Next", {Phase::LoadPass, Phase::WaitForNext}, false, true, false, false, true, true, true},
        {"Sync inside a wait", {Phase::LoadPass, Phase::WaitForNext, Phase::SyncStep}, false, false, false, false,
         false, false, true},
        {"automatic Sync of a pass", {Phase::LoadPass, Phase::SyncStep}, false, false, false, false, false, false,
         true},
        {"Sync from idle", {Phase::SyncStep}, false, false, false, false, false, false, false},
        {"a modal window", {Phase::Modal}, false, false, false, false, false, false, false},
        {"the notice in a wait", {Phase::LoadPass, Phase::WaitForNext, Phase::Modal}, false, false, false, false,
         false, false, true},
        {"undo of the last Sync", {Phase::Undo}, false, false, false, false, false, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RunPhases phases;
        std::vector<std::optional<RunPhases::Scope>> scopes(row.stack.size());
        for (size_t i = 0; i < row.stack.size(); ++i) scopes[i].emplace(phases, row.stack[i]);
        EXPECT_EQ(phases.May(Command::Load), row.load);
        EXPECT_EQ(phases.May(Command::Sync), row.sync);
        EXPECT_EQ(phases.May(Command::Options), row.options);
        EXPECT_EQ(phases.May(Command::FolderEdit), row.folder);
        EXPECT_EQ(phases.May(Command::ListEdit), row.lists);
        EXPECT_EQ(phases.May(Command::Next), row.next);
        EXPECT_EQ(phases.May(Command::Stop), row.stop);
        EXPECT_TRUE(phases.May(Command::Always));
    }
}

TEST(RunPhases, ScopesReturnToThePhaseBeforeAndReportEachChange) {
    int changes = 0;
    RunPhases phases([&] { ++changes; });
    {
        RunPhases::Scope pass(phases, Phase::LoadPass);
        {
            RunPhases::Scope wait(phases, Phase::WaitForNext);
            EXPECT_EQ(phases.Current(), Phase::WaitForNext);
        }
        EXPECT_EQ(phases.Current(), Phase::LoadPass);
        try {
            RunPhases::Scope step(phases, Phase::SyncStep);
            throw std::runtime_error("failed");
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(phases.Current(), Phase::LoadPass);
    }
    EXPECT_EQ(phases.Current(), Phase::Idle);
    EXPECT_EQ(changes, 6);
}

TEST(RunPhases, ClosesActAtOnceInIdleAndAfterTheOutermostRunOtherwise) {
    struct Case {
        CloseBy by;
        Action duringRun;
    };
    for (Case c : {Case{CloseBy::User, Action::StopThenAfterRun}, Case{CloseBy::Countdown, Action::AfterRun},
                   Case{CloseBy::WizardSync, Action::StopThenAfterRun}}) {
        RunPhases phases;
        EXPECT_EQ(phases.RequestClose(c.by), Action::Now);
        EXPECT_FALSE(phases.TakeDueClose());
        {
            RunPhases::Scope pass(phases, Phase::LoadPass);
            {
                RunPhases::Scope step(phases, Phase::SyncStep);
                EXPECT_EQ(phases.RequestClose(c.by), c.duringRun);
            }
            EXPECT_FALSE(phases.TakeDueClose());  // the run has not returned yet
        }
        EXPECT_TRUE(phases.TakeDueClose());
        EXPECT_FALSE(phases.TakeDueClose());  // carried out once, never again after a later run
    }
}

TEST(RunPhases, UnderModalWindowsAloneTheAutomaticLoadAndACloseWaitForTheLastOne) {
    RunPhases phases;
    {
        RunPhases::Scope options(phases, Phase::Modal);
        EXPECT_FALSE(phases.RunActive());
        EXPECT_TRUE(phases.PutOffAutomaticLoad());
        EXPECT_EQ(phases.RequestClose(CloseBy::User), Action::AfterRun);  // no Stop mark to set
        {
            RunPhases::Scope error(phases, Phase::Modal);
        }
        EXPECT_FALSE(phases.TakeDueLoad());
        EXPECT_FALSE(phases.TakeDueClose());
    }
    EXPECT_TRUE(phases.TakeDueLoad());
    EXPECT_FALSE(phases.TakeDueLoad());
    EXPECT_TRUE(phases.TakeDueClose());
}

}  // namespace

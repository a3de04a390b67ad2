#include <gtest/gtest.h>

#include <optional>

#include "app/run_phase.h"

namespace {

using app::CloseBy;
using app::Command;
using app::Need;
using app::Phase;
using app::RunPhases;
using app::Verdict;
using Action = RunPhases::CloseAction;

// A phase reached the way the runs reach it, with what each command may do there.
struct Row {
    const char* name;
    std::vector<Phase> stack;
    bool load, sync, options, folder, lists, next, stop, undo;
    Verdict automaticLoad;
};

TEST(RunPhases, EachCommandInEachPhase) {
    const Verdict run = Verdict::Run, refused = Verdict::Refused;
    const Row rows[] = {
        {"idle", {}, true, true, true, true, true, false, false, true, run},
        {"Load pass", {Phase::LoadPass}, false, false, false, false, false, false, true, false, refused},
        {"wait for Next", {Phase::LoadPass, Phase::WaitForNext}, false, true, false, false, true, true, true, false,
         refused},
        {"Sync inside a wait", {Phase::LoadPass, Phase::WaitForNext, Phase::SyncStep}, false, false, false, false,
         false, false, true, false, refused},
        {"automatic Sync of a pass", {Phase::LoadPass, Phase::SyncStep}, false, false, false, false, false, false,
         true, false, refused},
        {"Sync from idle", {Phase::SyncStep}, false, false, false, false, false, false, false, false, refused},
        {"a modal window", {Phase::Modal}, false, false, false, false, false, false, false, false, Verdict::PutOff},
        {"the notice in a wait", {Phase::LoadPass, Phase::WaitForNext, Phase::Modal}, false, false, false, false,
         false, false, true, false, refused},
        {"a question over a Sync from idle", {Phase::SyncStep, Phase::Modal}, false, false, false, false, false,
         false, false, false, refused},
        {"undo of the last Sync", {Phase::Undo}, false, false, false, false, false, false, true, false, refused},
    };
    auto all = [](Need) { return true; };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RunPhases phases;
        std::vector<std::optional<RunPhases::Scope>> scopes(row.stack.size());
        for (size_t i = 0; i < row.stack.size(); ++i) scopes[i].emplace(phases, row.stack[i]);
        const std::pair<Command, bool> expected[] = {
            {Command::Load, row.load},     {Command::Sync, row.sync},      {Command::Options, row.options},
            {Command::FolderEdit, row.folder}, {Command::ListEdit, row.lists}, {Command::Next, row.next},
            {Command::Stop, row.stop},     {Command::UndoLastSync, row.undo}, {Command::LastReport, true},
            {Command::Always, true}};
        for (auto [command, may] : expected)
            EXPECT_EQ(phases.Judge(command, all) == Verdict::Run, may) << static_cast<int>(command);
        EXPECT_EQ(phases.Judge(Command::AutomaticLoad, all), row.automaticLoad);
    }
}

// What a command needs is asked only where its phase lets it run; without it, Sync is still offered (it
// says there is nothing to sync), Undo Last Sync and Last Sync Report are not.
TEST(RunPhases, WhatACommandNeedsDecidesAfterThePhase) {
    RunPhases phases;
    std::vector<Need> asked;
    auto none = [&](Need need) {
        asked.push_back(need);
        return false;
    };
    EXPECT_EQ(phases.Judge(Command::Sync, none), Verdict::Lacking);
    EXPECT_TRUE(phases.Offered(Command::Sync, none));
    EXPECT_EQ(phases.Judge(Command::UndoLastSync, none), Verdict::Lacking);
    EXPECT_FALSE(phases.Offered(Command::UndoLastSync, none));
    EXPECT_FALSE(phases.Offered(Command::LastReport, none));
    EXPECT_TRUE(phases.Offered(Command::Load, none));
    EXPECT_EQ(asked, (std::vector<Need>{Need::Plan, Need::Plan, Need::UndoableSync, Need::UndoableSync, Need::Report}));
    asked.clear();
    RunPhases::Scope pass(phases, Phase::LoadPass);
    EXPECT_EQ(phases.Judge(Command::UndoLastSync, none), Verdict::Refused);
    EXPECT_TRUE(phases.Offered(Command::LastReport, [](Need) { return true; }));
    EXPECT_TRUE(asked.empty());
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
        Action duringRun, underModalWindow;
    };
    for (Case c : {Case{CloseBy::User, Action::StopThenAfterRun, Action::AfterRun},
                   Case{CloseBy::Countdown, Action::AfterRun, Action::AfterRun},
                   Case{CloseBy::WizardSync, Action::StopThenAfterRun, Action::AfterRun},
                   Case{CloseBy::SessionEnd, Action::StopThenAfterRun, Action::Now}}) {
        RunPhases phases;
        EXPECT_EQ(phases.RequestClose(c.by), Action::Now);
        EXPECT_FALSE(phases.TakeDueClose());
        {
            RunPhases::Scope options(phases, Phase::Modal);
            EXPECT_EQ(phases.CloseFor(c.by), c.underModalWindow);
        }
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
        phases.PutOffAutomaticLoad();
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

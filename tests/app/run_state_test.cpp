#include <gtest/gtest.h>

#include "app/run_state.h"
#include "settings/settings.h"

namespace {

using app::Countdown;
using app::SizeText;

TEST(SizeText, BytesBelowOneMegabyteAndHundredthsFromIt) {
    EXPECT_EQ(SizeText(0), "0 Bytes");
    EXPECT_EQ(SizeText(1048575), "1048575 Bytes");
    EXPECT_EQ(SizeText(1048576), "1.00 Meg");
    EXPECT_EQ(SizeText(1572864), "1.50 Meg");
    EXPECT_EQ(SizeText(5242880), "5.00 Meg");
    EXPECT_EQ(SizeText(1048576 + 10485), "1.00 Meg");  // truncated, not rounded
}

TEST(SizeText, SizesPastTwoGigabytesStayTrue) {
    EXPECT_EQ(SizeText(5LL * 1024 * 1024 * 1024), "5120.00 Meg");
    EXPECT_EQ(SizeText(2147483648LL), "2048.00 Meg");
    EXPECT_EQ(SizeText(INT64_MAX), "8796093022207.99 Meg");
}

TEST(SyncResultText, CompleteOnlyWhenEveryPlannedItemWasDone) {
    struct Case {
        app::SyncTally tally;
        const char* text;
    };
    const Case cases[] = {
        {{0, 0, 0}, "Synchronize Complete"},
        {{5, 5, 0}, "Synchronize Complete"},
        {{5, 5, 1}, "1 item failed to sync"},
        {{5, 5, 2}, "2 items failed to sync"},
        {{5, 4, 0}, "Sync stopped: 1 item not done"},
        {{5, 2, 0}, "Sync stopped: 3 items not done"},
        {{5, 2, 1}, "Sync stopped: 3 not done, 1 failed"},
        {{7, 2, 0, 5}, "5 items not synced: another Sync or undo was running"},
    };
    for (const Case& c : cases) EXPECT_EQ(app::SyncResultText(c.tally), c.text);
    app::SyncTally run{3, 3, 1};
    run += app::SyncTally{2, 1, 0};
    EXPECT_EQ(app::SyncResultText(run), "Sync stopped: 1 not done, 1 failed");
}

// What a Load read and decided by: a change of any of these leaves a plan made before it stale; the
// other options change nothing a plan holds.
TEST(PlanOptions, FollowWhatShapesAPlanAndNothingElse) {
    struct Case {
        const char* name;
        void (*change)(settings::Settings&);
        bool shapes;
    };
    const Case cases[] = {
        {"subfolders", [](settings::Settings& s) { s.usesubs = !s.usesubs; }, true},
        {"a filter entry", [](settings::Settings& s) { s.excludedExts.push_back(".tmp"); }, true},
        {"the filter mode", [](settings::Settings& s) { s.filterMode = 2; }, true},
        {"mirror", [](settings::Settings& s) { s.mirrorlocal = true; }, true},
        {"the one-hour rule", [](settings::Settings& s) { s.ignorehour = true; }, true},
        {"the memory", [](settings::Settings& s) { s.usememory = true; }, true},
        {"the Recycle Bin", [](settings::Settings& s) { s.userecycle = false; }, false},
        {"auto close", [](settings::Settings& s) { s.autoclose = true; }, false},
        {"an entry typed but not taken", [](settings::Settings& s) { s.eel.push_back(".tmp"); }, false},
    };
    for (const Case& c : cases) {
        settings::Settings settings;
        app::PlanOptions before = app::PlanOptionsOf(settings);
        c.change(settings);
        EXPECT_EQ(app::PlanOptionsOf(settings) != before, c.shapes) << c.name;
    }
}

TEST(Countdown, CountsDownAndClosesAtTheDeadline) {
    Countdown c;
    c.Start();
    std::string panel;
    for (int left = 9; left >= 1; --left) {
        ASSERT_EQ(c.Tick(10, true, panel), Countdown::Outcome::Running);
        EXPECT_EQ(panel, "Mirravel Exit in " + std::to_string(left) + " Sec.");
    }
    EXPECT_EQ(c.Tick(10, true, panel), Countdown::Outcome::CloseWindow);
    EXPECT_EQ(panel, "Mirravel Exit in 0 Sec.");
}

TEST(Countdown, WithoutAutoCloseTheDeadlineStopsAndClears) {
    Countdown c;
    c.Start();
    std::string panel;
    for (int i = 0; i < 9; ++i) c.Tick(10, false, panel);
    EXPECT_EQ(c.Tick(10, false, panel), Countdown::Outcome::Stopped);
    EXPECT_EQ(panel, "");
    EXPECT_EQ(c.Elapsed(), 0);
    EXPECT_FALSE(c.Running());
}

TEST(Countdown, CancelStopsAtTheNextTickButNotAtTheDeadline) {
    Countdown c;
    c.Start();
    std::string panel;
    c.Tick(10, true, panel);
    c.RequestCancel();
    EXPECT_EQ(c.Tick(10, true, panel), Countdown::Outcome::Stopped);
    EXPECT_EQ(panel, "");
    EXPECT_FALSE(c.CancelPending());

    // A cancel seen at the tick that reaches the deadline comes too late.
    Countdown late;
    late.Start();
    for (int i = 0; i < 9; ++i) late.Tick(10, true, panel);
    late.RequestCancel();
    EXPECT_EQ(late.Tick(10, true, panel), Countdown::Outcome::CloseWindow);
}

TEST(Countdown, CancelRequestedWhileIdleStopsTheNextCountdownAtOnce) {
    Countdown c;
    c.RequestCancel();
    c.Start();
    std::string panel;
    EXPECT_EQ(c.Tick(10, true, panel), Countdown::Outcome::Stopped);
}

TEST(Countdown, ShorterDelayTakesEffectAtTheNextTick) {
    Countdown c;
    c.Start();
    std::string panel;
    for (int i = 0; i < 5; ++i) c.Tick(60, true, panel);
    EXPECT_EQ(panel, "Mirravel Exit in 55 Sec.");
    EXPECT_EQ(c.Tick(3, true, panel), Countdown::Outcome::CloseWindow);  // 3 - 6 < 1
    EXPECT_EQ(panel, "Mirravel Exit in -3 Sec.");
}

}  // namespace

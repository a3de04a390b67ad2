#include "tests/gui/gui_fixture.h"

#include <algorithm>
#include <functional>

#include "platform/file_system.h"
#include "settings/win32/options_ids.h"

namespace {

using namespace gui_testing;
namespace ids = app::ids;

class Runs : public PairTest {
protected:
    void SetUp() override {
        PairTest::SetUp();
        SetValue("usewiz", "false");
    }
    void Click(int id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }
    void Menu(int id) { SendMessageW(main().hwnd(), WM_COMMAND, id, 0); }
    // The pair of the first Load: a one-sided file each way and a newer copy each way.
    void FillPair() {
        first.Write("a.txt", "new local");
        second.Write("a.txt", "old");
        second.Age("a.txt", 3);
        first.Write("Sub\\b.txt", "only here");
        second.Write("c.txt", "only there");
        first.Write("d.txt", "old");
        first.Age("d.txt", 5);
        second.Write("d.txt", "new remote");
    }

};

TEST_F(Runs, LoadFillsTheListsAndSyncMakesTheFoldersEqual) {
    FillPair();
    Start();
    Click(ids::bLoad);
    auto& lists = main().state().lists;
    EXPECT_EQ(Texts(lists.lFileAdd1), (Entries{"c.txt"}));
    EXPECT_EQ(Texts(lists.rFileAdd1), (Entries{"[Sub]", "Sub\\b.txt"}));
    EXPECT_EQ(Texts(lists.lUpdate1), (Entries{"d.txt"}));
    EXPECT_EQ(Texts(lists.rUpdate1), (Entries{"a.txt"}));
    EXPECT_EQ(Text(ids::Label1), "First Folder Items: 4");
    EXPECT_EQ(Text(ids::Label2), "Second Folder Items: 3");
    EXPECT_EQ(ui::GetText(main().hwnd()), "The Mirravel: " + first.Core());
    EXPECT_EQ(main().ActivePage(), app::kPageItems);
    EXPECT_EQ(Text(ids::lLocalSize), std::to_string(9 + 9 + 3) + " Bytes");  // the item totals
    // After a Load from the button: every command usable again, Sync because there is work.
    EXPECT_TRUE(Enabled(ids::bSync));
    EXPECT_TRUE(Enabled(ids::bLoad));
    EXPECT_TRUE(Enabled(ids::bExit));
    EXPECT_TRUE(Visible(ids::bOptions));
    EXPECT_FALSE(Visible(ids::bStop));
    EXPECT_FALSE(main().state().LoadBusy);

    Click(ids::bSync);
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "Synchronize Complete");
    EXPECT_EQ(second.Read("Sub\\b.txt"), "only here");
    EXPECT_EQ(first.Read("c.txt"), "only there");
    EXPECT_EQ(second.Read("a.txt"), "new local");
    EXPECT_EQ(first.Read("d.txt"), "new remote");
    EXPECT_TRUE(Enabled(ids::bSync));
    EXPECT_EQ(Text(ids::Label3), "Loading Dat");

    Click(ids::bLoad);
    EXPECT_EQ(main().PanelText(app::kPanelSynchronized), "Synchronized");
    EXPECT_FALSE(Enabled(ids::bSync));
    EXPECT_FALSE(first.Exists(app::kStampFileName));  // no record without "Use time stamp"
}

TEST_F(Runs, PairInStepLeavesADatedRecordInBothFolders) {
    SetValue("usestamp", "true");
    first.Write("same.txt", "x");
    second.Write("same.txt", "x");
    first.Age("same.txt", 1);
    second.Age("same.txt", 1);
    Start();
    Click(ids::bLoad);
    EXPECT_EQ(main().PanelText(app::kPanelSynchronized), "Synchronized");
    std::string record = first.Read(app::kStampFileName);
    EXPECT_EQ(record.rfind("Synchronized on: ", 0), 0u) << record;
    EXPECT_NE(record.find(" at "), std::string::npos);
    EXPECT_EQ(record.substr(record.size() - 2), "\r\n");
    EXPECT_EQ(second.Read(app::kStampFileName), record);
    // The record went through the user's temporary folder and is gone from there.
    EXPECT_FALSE(platform::FileExists(platform::TemporaryFolder() + "\\" + app::kStampFileName));
}

TEST_F(Runs, LoadFromTheMenuLeavesPlainByteCountsAndLoadDisabled) {
    FillPair();
    Start();
    Menu(ids::Load1);
    EXPECT_EQ(Text(ids::lLocalSize), "21 Bytes");
    EXPECT_EQ(Text(ids::lRemoteSize), "23 Bytes");
    EXPECT_FALSE(Enabled(ids::bLoad));
    EXPECT_TRUE(Enabled(ids::bSync));
    Menu(ids::Synchronize1);
    EXPECT_FALSE(Enabled(ids::bSync));
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "Synchronize Complete");  // as a Sync from the button
    EXPECT_TRUE(Enabled(ids::bLoad));  // the Sync's end enables it again
}

TEST_F(Runs, StopBeforeTheEvaluationEndsThePassWithWhatWasDecided) {
    FillPair();
    Start();
    // Stop lands while the Load lets messages run before its work.
    PostMessageW(main().hwnd(), WM_COMMAND, MAKEWPARAM(ids::bStop, BN_CLICKED), 0);
    Click(ids::bLoad);
    auto& lists = main().state().lists;
    EXPECT_EQ(lists.lvLocal.size(), 4u);  // the scans ran to their end
    EXPECT_TRUE(lists.rFileAdd1.empty());  // the First Folder's pass never ran
    EXPECT_FALSE(main().state().stopRequested);
    EXPECT_FALSE(main().state().nextRequested);
    Click(ids::bLoad);
    EXPECT_EQ(Texts(lists.rFileAdd1), (Entries{"[Sub]", "Sub\\b.txt"}));
}

TEST_F(Runs, StoredStarredExtensionsKeepTheirMeaning) {
    first.Write("keep.txt", "t");
    first.Write("old.bak", "b");
    first.Write("photo.jpg", "j");
    // What the Options dialog stored for a typed "*.bak" and "*.jpg".
    struct Case {
        const char* settingsFile;
        const char* filter;
        Entries planned;
    } cases[] = {
        {":eel\r\n.*.bak\r\n\r\n", "noext", {"keep.txt", "photo.jpg"}},
        {":seo\r\n.*.jpg\r\n\r\n", "useext", {"photo.jpg"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        folder.Write("mirv4.dat", c.settingsFile);
        for (std::string filter : {"noext", "useext"}) SetValue(filter.c_str(), filter == c.filter ? "true" : "false");
        Start();
        Click(ids::bLoad);
        EXPECT_EQ(Texts(main().state().lists.rFileAdd1), c.planned);
        EXPECT_EQ(main().PanelText(app::kPanelSynchronized), "");
    }
}

TEST_F(Runs, SideWithoutAFolderIsSkippedAndNothingIsCreated) {
    first.Write("a.txt", "x");
    SetValue("remote", "");
    Start();
    EXPECT_FALSE(Enabled(ids::bLoad));
    Menu(ids::Load1);
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "No Second Folder: pass skipped");
    EXPECT_TRUE(main().state().lists.rFileAdd1.empty());
    EXPECT_FALSE(platform::FolderExists("none"));
    EXPECT_FALSE(platform::FolderExists(folder.Core("none")));
}

TEST_F(Runs, MissingSecondFolderIsCreatedAndFilled) {
    first.Write("a.txt", "x");
    SetValue("remote", second.Core("new\\deeper"));
    SetValue("autodortdata", "true");
    Start();
    Click(ids::bLoad);
    EXPECT_EQ(second.Read("new\\deeper\\a.txt"), "x");
}

TEST_F(Runs, SyncWhoseCopiesFailSaysSo) {
    FillPair();
    Start();
    Click(ids::bLoad);
    std::filesystem::remove(first.path() / "Sub" / "b.txt");  // gone between Load and Sync
    Click(ids::bSync);
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "1 item failed to sync");
}

TEST_F(Runs, FilesInUseOrChangedSinceTheLoadSurviveTheSyncAndTheWindowGoesOn) {
    FillPair();
    Start();
    Click(ids::bLoad);
    second.Write("a.txt", "edited in the Second Folder after the Load");
    {
        testing_support::ExclusiveOpen inUse(first.path() / "d.txt");  // open in another program
        ASSERT_TRUE(inUse.held());
        Click(ids::bSync);
    }
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "2 items failed to sync");
    ASSERT_EQ(prompter.questions.size(), 1u);  // only the file in use, answered Yes
    EXPECT_NE(prompter.questions[0].find("d.txt"), std::string::npos);
    EXPECT_EQ(prompter.warnings.size(), 1u);
    EXPECT_TRUE(prompter.errors.empty());
    EXPECT_EQ(first.Read("d.txt"), "old");
    EXPECT_EQ(second.Read("a.txt"), "edited in the Second Folder after the Load");
    EXPECT_EQ(first.Read("c.txt"), "only there");
    EXPECT_EQ(second.Read("Sub\\b.txt"), "only here");
    EXPECT_TRUE(Enabled(ids::bLoad));
    EXPECT_TRUE(Enabled(ids::bExit));

    // The window goes on: the next Load plans again what is still to do.
    Click(ids::bLoad);
    Entries updates = Texts(main().state().lists.lUpdate1);
    EXPECT_NE(std::find(updates.begin(), updates.end(), "d.txt"), updates.end());
    Click(ids::bSync);
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "Synchronize Complete");
    EXPECT_EQ(first.Read("d.txt"), "new remote");
}

TEST_F(Runs, AnErrorInsideALoadLeavesTheWindowReadyForTheNext) {
    FillPair();
    Start();
    ASSERT_TRUE(testing_support::ProgramKey::StoreNumber(L"local", 7));
    Click(ids::bLoad);
    EXPECT_EQ(prompter.errors, (std::vector<std::string>{"Invalid data type for 'local'"}));
    EXPECT_TRUE(Enabled(ids::bLoad));
    EXPECT_TRUE(Enabled(ids::bExit));
    EXPECT_TRUE(Visible(ids::bOptions));
    EXPECT_FALSE(Visible(ids::bStop));
    EXPECT_FALSE(main().state().phases.Current() != app::Phase::Idle || main().state().LoadBusy);

    SetValue("local", first.Core());
    Click(ids::bLoad);
    EXPECT_EQ(Texts(main().state().lists.lFileAdd1), (Entries{"c.txt"}));
    EXPECT_EQ(prompter.errors.size(), 1u);
}

// The countdown takes panel 0 from its first tick; the result stays the status bar's hint. A double click
// stops it and empties the panel; Undo Last Sync stops it too, so the window stays for the undo's result.
TEST_F(Runs, TheCountdownTicksFromItsFirstSecondAndUndoStopsIt) {
    FillPair();
    SetValue("autoclose", "true");
    Start();
    HWND window = main().hwnd();
    auto tick = [&] {
        SendMessageW(window, WM_TIMER, ids::Timer4, 0);
        return main().PanelText(app::kPanelMessage);
    };
    Click(ids::bLoad);
    Click(ids::bSync);
    EXPECT_EQ(tick(), "Mirravel Exit in 9 Sec.");
    EXPECT_EQ(tick(), "Mirravel Exit in 8 Sec.");
    EXPECT_EQ(main().Hint(ids::stats), "Synchronize Complete");
    main().state().countdown.RequestCancel();  // a double click on the status bar
    EXPECT_EQ(tick(), "");
    EXPECT_FALSE(main().state().countdown.Running());
    main().StartCountdown();
    EXPECT_EQ(tick(), "Mirravel Exit in 9 Sec.");
    Menu(ids::UndoLastSync1);
    EXPECT_FALSE(main().state().countdown.Running());
    Pump();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "Sync undone");
}

TEST_F(Runs, ClosingTheWindowAfterTheCountdownWithAutoClose) {
    first.Write("same.txt", "x");
    second.Write("same.txt", "x");
    first.Age("same.txt", 1);
    second.Age("same.txt", 1);
    SetValue("autoclose", "true");
    Start();
    HWND window = main().hwnd();
    Click(ids::bLoad);
    ASSERT_TRUE(main().state().countdown.Running());
    for (int i = 0; i < 10; ++i) SendMessageW(window, WM_TIMER, ids::Timer4, 0);
    Pump();
    EXPECT_FALSE(IsWindow(window));
}

// A program started by the Explorer command ends with its Sync, also when there was nothing to plan.
TEST_F(Runs, AWizardProgramsSyncClosesItWithOrWithoutAPlan) {
    for (bool loaded : {false, true}) {
        SCOPED_TRACE(loaded ? "after a Load that found nothing" : "before any Load");
        Start({"-wiz"});
        HWND window = main().hwnd();
        KillTimer(window, ids::tLoad);
        if (loaded) Click(ids::bLoad);
        Menu(ids::Synchronize1);
        Pump();
        EXPECT_FALSE(IsWindow(window));
    }
}

// A plan is carried out only under the options it was made with: OK in Options with some of them changed
// (here the memory unticked, which planned a deletion, and a filter added) empties the lists, Sync asks
// for a Load, and the Load plans under the new options. (Each option alone: PlanOptions in core_tests;
// one modal dialog costs two seconds under Wine.)
TEST_F(Runs, OptionsThatShapeAPlanDiscardItWhenChanged) {
    namespace oids = settings::ids;
    SetValue("usememory", "true");
    first.Write("gone.txt", "x");
    Start();
    Click(ids::bLoad);
    Click(ids::bSync);
    std::filesystem::remove(first.path() / "gone.txt");
    first.Write("keep.txt", "x");
    first.Write("skip.tmp", "x");
    Start();
    Click(ids::bLoad);
    ASSERT_EQ(Texts(main().state().lists.rdelfile1), (Entries{"gone.txt 1"}));
    ASSERT_TRUE(Enabled(ids::bSync));
    const auto secondBefore = second.Snapshot();
    {
        Script script([&] {
            HWND options = application->fOptions().hwnd();
            if (!IsWindowVisible(options)) return;
            SendDlgItemMessageW(options, oids::usememory1, BM_CLICK, 0, 0);
            SetDlgItemTextW(options, oids::Edit1, L"tmp");
            SendDlgItemMessageW(options, oids::Button1, BM_CLICK, 0, 0);
            SendDlgItemMessageW(options, oids::CheckBox2, BM_CLICK, 0, 0);
            SendMessageW(options, WM_COMMAND, IDOK, 0);
        });
        Menu(ids::Options1);
    }
    EXPECT_TRUE(main().state().lists.rdelfile1.empty());
    EXPECT_TRUE(main().state().lists.rFileAdd1.empty());
    EXPECT_FALSE(Enabled(ids::bSync));
    Menu(ids::Synchronize1);
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "Nothing to sync: press Load first");
    EXPECT_EQ(second.Snapshot(), secondBefore);
    Click(ids::bLoad);
    EXPECT_TRUE(main().state().lists.rdelfile1.empty());
    EXPECT_EQ(Texts(main().state().lists.lFileAdd1), (Entries{"gone.txt"}));  // copied back, not deleted
    EXPECT_EQ(Texts(main().state().lists.rFileAdd1), (Entries{"keep.txt"}));
}

TEST_F(Runs, EverySyncLeavesAReportThatTheFileMenuOpens) {
    FillPair();
    Start();
    Click(ids::bLoad);
    Click(ids::bSync);
    Menu(ids::LastReport1);
    ASSERT_EQ(prompter.opened.size(), 1u);
    std::string report;
    ASSERT_EQ(platform::ReadWholeFile(prompter.opened[0], report), platform::ReadStatus::Ok);
    const std::vector<std::string> lines = {"\xEF\xBB\xBFThe Mirravel 98: report of a Sync\r\n",
                                            "First Folder: " + first.Core() + "\r\n",
                                            "Copied to the Second Folder: Sub\\b.txt\r\n",
                                            "Replaced in the Second Folder: a.txt (old copy in the Recycle Bin)\r\n",
                                            "Replaced in the First Folder: d.txt (old copy in the Recycle Bin)\r\n"};
    for (const std::string& line : lines)
        EXPECT_NE(report.find(line), std::string::npos) << line << report;

    // Without the report option a Sync leaves none: the newest is still the one above.
    SetValue("usereport", "false");
    first.Write("e.txt", "one more");
    Start();
    Click(ids::bLoad);
    Click(ids::bSync);
    EXPECT_EQ(second.Read("e.txt"), "one more");
    Menu(ids::LastReport1);
    ASSERT_EQ(prompter.opened.size(), 2u);
    EXPECT_EQ(prompter.opened[1], prompter.opened[0]);
}

class MultiRuns : public Runs {
protected:
    // Three pairs, each with one file to copy.
    void ThreePairs() {
        std::string firsts, seconds;
        for (int i = 0; i < 3; ++i) {
            std::string n = std::to_string(i);
            first.Write(n + "\\file" + n + ".txt", "pair " + n);
            firsts += first.Core(n) + "\r\n";
            seconds += second.Core(n) + "\r\n";
        }
        folder.Write("mirv4.dat", ":ldir\r\n" + firsts + "\r\n:rdir\r\n" + seconds + "\r\n");
        SetValue("usemulti", "true");
    }
    // A wait that Next has not yet ended (a script may look again before the wait sees the mark).
    bool Waiting() { return Enabled(ids::bNext) && Visible(ids::bNext) && !main().state().nextRequested; }
};

TEST_F(MultiRuns, WaitsForNextAfterEveryPairButTheLast) {
    ThreePairs();
    Start();
    EXPECT_EQ(Text(ids::lFolder1), "Multi");
    std::vector<std::string> seen;
    Script script([&] {
        if (!Waiting()) return;
        seen.push_back(main().PanelText(app::kPanelMulti) + " | " + Text(ids::lFolder1));
        Click(ids::bNext);
    });
    Click(ids::bLoad);
    EXPECT_EQ(seen, (Entries{"Multi 3 | " + first.Core("0"), "Multi 2 | " + first.Core("1")}));
    EXPECT_EQ(main().PanelText(app::kPanelMulti), "Multi");
    EXPECT_TRUE(Visible(ids::bLoad));
    EXPECT_FALSE(Visible(ids::bNext));
    // Nothing was synced: the last pair's plan is on show.
    EXPECT_FALSE(second.Exists("0\\file0.txt"));
    EXPECT_EQ(Texts(main().state().lists.rFileAdd1), (Entries{"file2.txt"}));
}

TEST_F(MultiRuns, StopEndsAWaitAndTheRun) {
    ThreePairs();
    Start();
    int waits = 0;
    Script script([&] {
        if (!Waiting()) return;
        ++waits;
        Click(ids::bStop);
    });
    Click(ids::bLoad);
    EXPECT_EQ(waits, 1);
    EXPECT_EQ(Text(ids::lFolder1), first.Core("0"));
    EXPECT_TRUE(Visible(ids::bOptions));
}

TEST_F(MultiRuns, SyncDuringAWaitCopiesThatPair) {
    ThreePairs();
    Start();
    int waits = 0;
    std::string again;
    Script script([&] {
        if (!Waiting() || !Enabled(ids::bSync)) return;
        if (++waits == 1) {
            Click(ids::bSync);
            // Synced: the pair's lists are empty, and the Load button is hidden during the wait.
            Menu(ids::Synchronize1);
            again = main().PanelText(app::kPanelMessage);
        }
        Click(ids::bNext);
    });
    Click(ids::bLoad);
    EXPECT_EQ(second.Read("0\\file0.txt"), "pair 0");
    EXPECT_FALSE(second.Exists("1\\file1.txt"));
    EXPECT_EQ(again, "Nothing to sync for this pair: press Next or Stop");
}

TEST_F(MultiRuns, AutoSyncSyncsEveryPairWithoutWaiting) {
    ThreePairs();
    SetValue("autodortdata", "true");
    SetValue("usewiz", "true");  // would show the notice at a wait: there is none
    Start();
    Click(ids::bLoad);
    for (int i = 0; i < 3; ++i) {
        std::string n = std::to_string(i);
        EXPECT_EQ(second.Read(n + "\\file" + n + ".txt"), "pair " + n);
    }
    EXPECT_TRUE(prompter.errors.empty());
}

TEST_F(MultiRuns, TheNoticeIsShownAtEachWaitWhileItsBoxIsTicked) {
    ThreePairs();
    SetValue("usewiz", "true");
    Start();
    int notices = 0;
    Script script([&] {
        HWND notice = application->fMWiz().hwnd();
        if (IsWindowVisible(notice)) {
            ++notices;
            SendMessageW(notice, WM_COMMAND, IDOK, 0);
        } else if (Waiting()) {
            Click(ids::bNext);
        }
    });
    Click(ids::bLoad);
    EXPECT_EQ(notices, 2);
}

TEST_F(MultiRuns, ClosingTheWindowDuringAWaitEndsTheRunAndTheProgram) {
    ThreePairs();
    Start();
    HWND window = main().hwnd();
    Script script([&] {
        if (IsWindow(window) && Waiting()) PostMessageW(window, WM_CLOSE, 0, 0);
    });
    Click(ids::bLoad);
    Pump();
    EXPECT_FALSE(IsWindow(window));
}

// The lists are planned for one pair: leaving or entering the mode never lets them act on another.
TEST_F(MultiRuns, APlanNeverSyncsAnotherPair) {
    testing_support::TempFolder single1, single2;  // the stored single pair
    single1.Write("file2.txt", "the single pair's own");
    SetValue("local", single1.Core());
    SetValue("remote", single2.Core());

    ThreePairs();
    Start();
    Script script([&] {
        if (Waiting()) Click(ids::bNext);
    });
    Click(ids::bLoad);
    ASSERT_EQ(Texts(main().state().lists.rFileAdd1), (Entries{"file2.txt"}));  // the last pair's work
    application->fOptions().SetUseMulti(false);
    EXPECT_TRUE(main().state().lists.rFileAdd1.empty());
    EXPECT_FALSE(Enabled(ids::bSync));
    Menu(ids::Synchronize1);
    EXPECT_FALSE(single2.Exists("file2.txt"));
    EXPECT_FALSE(second.Exists("2\\file2.txt"));

    // A single pair's plan, then the mode with no pairs: the Load makes no pass, and no plan is left.
    SetValue("usemulti", "false");
    folder.Write("mirv4.dat", "");
    Start();
    Click(ids::bLoad);
    ASSERT_FALSE(main().state().lists.rFileAdd1.empty());
    application->fOptions().SetUseMulti(true);
    Click(ids::bLoad);
    Menu(ids::Synchronize1);
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "Nothing to sync: press Load first");
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "Multi"));
    EXPECT_FALSE(single2.Exists("file2.txt"));
}

TEST_F(MultiRuns, TheModeKeepsTheStoredPairAndLoadsWithoutIt) {
    ThreePairs();
    SetValue("remote", "");  // an incomplete single pair stops no multi-directory Load
    Start();
    EXPECT_TRUE(Enabled(ids::bLoad));
    Menu(ids::Synchronize1);
    for (int id : {ids::lFolder1, ids::rFolder1})
        SendMessageW(main().hwnd(), WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS), reinterpret_cast<LPARAM>(Control(id)));
    EXPECT_EQ(platform::ReadProgramValue("local"), first.Core());
}

TEST_F(MultiRuns, AltSDuringAWaitIsSyncWhereverTheFocusIs) {
    ThreePairs();
    Start();
    const int focus[] = {ids::bStop, ids::lvLocal};
    size_t waits = 0;
    int ticks = 0;
    Script script([&] {
        if (!Waiting()) return;
        std::string n = std::to_string(waits);
        if (ticks == 0) {
            SetFocus(Control(focus[waits]));
            PostMessageW(GetFocus(), WM_SYSCHAR, 's', 1 << 29);  // as the keyboard sends it, Alt held
        }
        // Next once the pair is synced, or after a while if the key did something else.
        if (second.Exists(n + "\\file" + n + ".txt") || ++ticks > 50) {
            ++waits;
            ticks = 0;
            Click(ids::bNext);
        }
    });
    Click(ids::bLoad);
    EXPECT_EQ(waits, 2u);
    EXPECT_EQ(second.Read("0\\file0.txt"), "pair 0");
    EXPECT_EQ(second.Read("1\\file1.txt"), "pair 1");
}

TEST_F(MultiRuns, EmptyPairListMakesNoPass) {
    SetValue("usemulti", "true");
    Start();
    Click(ids::bLoad);
    EXPECT_EQ(main().PanelText(app::kPanelMulti), "Multi");
    EXPECT_TRUE(Enabled(ids::bExit));
    EXPECT_TRUE(main().state().lists.lvLocal.empty());
}

TEST_F(MultiRuns, RecordGoesOnlyIntoThePairFoundInStep) {
    ThreePairs();
    second.Write("1\\file1.txt", "pair 1");
    first.Age("1\\file1.txt", 1);
    second.Age("1\\file1.txt", 1);
    SetValue("usestamp", "true");
    Start();
    Script script([&] {
        if (Waiting()) Click(ids::bNext);
    });
    Click(ids::bLoad);
    EXPECT_TRUE(first.Exists("1\\" + std::string(app::kStampFileName)));
    EXPECT_TRUE(second.Exists("1\\" + std::string(app::kStampFileName)));
    EXPECT_FALSE(first.Exists("0\\" + std::string(app::kStampFileName)));
    EXPECT_FALSE(second.Exists("2\\" + std::string(app::kStampFileName)));
}

}  // namespace

// A Sync undone from its journal: both folders as they were before it, except what the user changed
// since, which stays as the user has it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/sync_journal.h"
#include "app/sync_report.h"
#include "engine/delete.h"
#include "engine/undo.h"
#include "engine/update.h"
#include "platform/file_system.h"
#include "platform/recycle_bin.h"
#include "tests/engine/engine_fakes.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using engine_testing::RecordingView;
using testing_support::TempFolder;

using Tree = std::map<std::string, std::string>;
Tree Snapshot(const TempFolder& folder) { return folder.Snapshot(); }

class Log final : public engine::UndoLog {
public:
    void BeginPair(std::string_view, std::string_view) override {}
    void Record(const engine::UndoRecord& r) override {
        lines.push_back(std::to_string(static_cast<int>(r.outcome)) + " " + r.path + " " + r.detail);
    }
    std::vector<std::string> lines;
};

class UndoTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!trash.usable()) GTEST_SKIP() << "XDG_DATA_HOME names no trash of the test run";
    }

    // Two folders with work both ways: new files (a new folder among them), an older file replaced on
    // each side, a file on the delete list, a file in a folder on the delete list.
    void Prepare() {
        local.Write("new-in-first.txt", "made in the first");
        local.Write("NewFolder/inside.txt", "in a new folder");
        remote.Write("new-in-second.txt", "made in the second");
        local.Write("older-in-second.txt", "the newer first copy");
        remote.Write("older-in-second.txt", "the old second copy");
        remote.Age("older-in-second.txt", 3);
        remote.Write("older-in-first.txt", "the newer second copy");
        local.Write("older-in-first.txt", "the old first copy");
        local.Age("older-in-first.txt", 3);
        remote.Write("unwanted.txt", "to delete");
        remote.Write("Gone/last.txt", "the folder goes with it");
        beforeLocal = Snapshot(local);
        beforeRemote = Snapshot(remote);
        lists = engine_testing::Load(local.Core(), remote.Core());
        // Delete, as the list command does: off the add list, onto the delete list of its side.
        lists.lFileAdd1 = {};
        for (const char* name : {"new-in-second.txt"}) lists.lFileAdd1.Add({name, 1});
        for (const char* entry : {"unwanted.txt 1", "Gone\\last.txt 1", "[Gone] 1"})
            engine_testing::AddEntry(lists.rdelfile1, entry);
    }

    // The Sync with its report and journal; returns the journal as the undo reads it.
    std::vector<engine::PairRecords> Sync(int stopAt = 0, bool recycle = true) {
        app::SyncReport report({2026, 12, 8, 9, 0, 0}, reports.Core());
        report.BeginPair(local.Core(), remote.Core());
        RecordingView view;
        view.stopAtMessageCall = stopAt;
        engine::SyncOptions options{recycle ? &platform::SystemRecycleBin() : nullptr, &report};
        engine::Removal removal(platform::SystemFileOps(), options, view, local.Core(), remote.Core());
        engine::UpdateItems(platform::SystemFileOps(), lists, local.Core(), remote.Core(), view, removal);
        engine::PrepareDeletion(lists, view, options);
        engine::DeleteItems(platform::SystemFileOps(), lists, local.Core(), remote.Core(), view, removal);
        removal.Finish();
        report.End({2026, 12, 8, 9, 1, 0});
        std::string text;
        EXPECT_EQ(platform::ReadWholeFile(app::JournalPath(report.savedPath), text), platform::ReadStatus::Ok);
        auto journal = app::ParseJournal(text);
        EXPECT_TRUE(journal);
        return journal ? journal->pairs : std::vector<engine::PairRecords>{};
    }

    engine::UndoCounts Undo(const std::vector<engine::PairRecords>& pairs, int stopAt = 0) {
        RecordingView view;
        view.stopAtMessageCall = stopAt;
        return engine::UndoSync(platform::SystemFileOps(), pairs, view, {&platform::SystemRecycleBin(), nullptr, true},
                                &log);
    }

    TempFolder local, remote, reports;
    engine::SyncLists lists;
    Tree beforeLocal, beforeRemote;
    Log log;
    engine_testing::TestTrash trash;
};

TEST_F(UndoTest, BothFoldersComeBackAsTheyWereButForWhatTheUserChangedSince) {
    Prepare();
    std::vector<engine::PairRecords> pairs = Sync();
    ASSERT_FALSE(remote.Exists("unwanted.txt"));
    ASSERT_EQ(local.Read("new-in-second.txt"), "made in the second");
    // 3 copies, the new folder (made for its file, then listed), 2 replaced, 2 deleted, 1 folder removed.
    EXPECT_EQ(engine::UndoableItems(pairs), 10u);
    // The user edits a file the Sync added.
    remote.Write("new-in-first.txt", "edited after the Sync, longer");

    engine::UndoCounts counts = Undo(pairs);
    EXPECT_EQ(counts.notUndone, 1);
    Tree afterRemote = Snapshot(remote);
    EXPECT_EQ(afterRemote["new-in-first.txt"].substr(afterRemote["new-in-first.txt"].find(' ', 3)), " edited after the Sync, longer");
    afterRemote.erase("new-in-first.txt");
    EXPECT_EQ(Snapshot(local), beforeLocal);
    EXPECT_EQ(afterRemote, beforeRemote);
    bool told = false;
    for (const std::string& line : log.lines) told |= line.find("new-in-first.txt changed since the Sync") != std::string::npos;
    EXPECT_TRUE(told);
}

TEST_F(UndoTest, OnlyWhatAStoppedSyncDidIsUndone) {
    Prepare();
    // Messages run before each copy: the stop comes at the third of the five.
    std::vector<engine::PairRecords> pairs = Sync(3);
    Tree stoppedLocal = Snapshot(local), stoppedRemote = Snapshot(remote);
    ASSERT_NE(stoppedLocal, beforeLocal);
    ASSERT_TRUE(remote.Exists("unwanted.txt"));
    engine::UndoCounts counts = Undo(pairs);
    EXPECT_EQ(counts.notUndone, 0);
    EXPECT_GT(counts.undone, 0);
    EXPECT_EQ(Snapshot(local), beforeLocal);
    EXPECT_EQ(Snapshot(remote), beforeRemote);
}

// Stopped once the deleted files, the replaced ones and two copies are undone: a second undo finishes
// it, and what the first put back it counts as back.
TEST_F(UndoTest, ASecondUndoFinishesAStoppedOneAndDoesNothingTwice) {
    Prepare();
    std::vector<engine::PairRecords> pairs = Sync();
    log.lines.clear();
    engine::UndoCounts first = Undo(pairs, 8);
    ASSERT_GT(first.notUndone, 0);
    int put = 0;
    for (const std::string& line : log.lines) put += line[0] == '0' || line[0] == '1' || line[0] == '2';
    EXPECT_EQ(put, 6);
    log.lines.clear();
    engine::UndoCounts second = Undo(pairs);
    EXPECT_EQ(second.notUndone, 0);
    EXPECT_EQ(second.undone, first.undone + first.notUndone);
    EXPECT_EQ(Snapshot(local), beforeLocal);
    EXPECT_EQ(Snapshot(remote), beforeRemote);
    int already = 0;
    for (const std::string& line : log.lines) already += line.ends_with(" already back");
    EXPECT_EQ(already, put);
}

// A Stop while the old copies come back from the bin (a few at a time): no file is left without either
// copy, and a second undo puts back the rest.
TEST_F(UndoTest, AStopAmongTheOldCopiesLeavesNoNameEmpty) {
#ifdef _WIN32
    GTEST_SKIP() << "the same steps natively; 500 files through the shell's Recycle Bin take seconds under Wine";
#endif
    constexpr int kFiles = 250;  // the bin asks whether to go on every hundred files
    for (int i = 0; i < kFiles; ++i) {
        std::string name = "f" + std::to_string(i) + ".txt";
        local.Write(name, "newer");
        remote.Write(name, "old");
        remote.Age(name, 3);
    }
    beforeRemote = Snapshot(remote);
    lists = engine_testing::Load(local.Core(), remote.Core());
    std::vector<engine::PairRecords> pairs = Sync();
    // Messages run before each file, then as every hundred old copies are back: the stop comes there.
    engine::UndoCounts first = Undo(pairs, kFiles + 1);
    ASSERT_GT(first.notUndone, 0);
    for (int i = 0; i < kFiles; ++i) EXPECT_TRUE(remote.Exists("f" + std::to_string(i) + ".txt")) << i;
    EXPECT_EQ(Undo(pairs).notUndone, 0);
    EXPECT_EQ(Snapshot(remote), beforeRemote);
}

TEST_F(UndoTest, WhatTheRecycleBinNoLongerHoldsIsToldAndNothingElseIsHarmed) {
    Prepare();
    std::vector<engine::PairRecords> pairs = Sync();
    // The user empties the Recycle Bin.
    for (const char* part : {"files", "info"})
        for (const auto& e : fs::directory_iterator(trash.folder() / part)) fs::remove_all(e.path());
    engine::UndoCounts counts = Undo(pairs);
    EXPECT_EQ(counts.notUndone, 4);  // the two deleted files, the two old copies
    // What the Sync added is gone; the updated files keep their newer content.
    EXPECT_FALSE(local.Exists("new-in-second.txt"));
    EXPECT_FALSE(remote.Exists("NewFolder"));
    EXPECT_EQ(remote.Read("older-in-second.txt"), "the newer first copy");
    EXPECT_EQ(local.Read("older-in-first.txt"), "the newer second copy");
    int noLonger = 0;
    for (const std::string& line : log.lines) noLonger += line.find("no longer in the Recycle Bin") != std::string::npos;
    EXPECT_EQ(noLonger, 4);
}

TEST_F(UndoTest, OnlyTheSyncsOwnItemsComeBackNeverAnotherOfTheSameStemOrSize) {
    // Deleted by the user moments before the Sync, from the same folder: the same stem, and the same name
    // of another size.
    remote.Write("report.pdf", "the user's pdf");
    remote.Write("report.doc", std::string(5000, 'u'));
    platform::SystemRecycleBin().MoveToBin({remote.Core("report.pdf"), remote.Core("report.doc")});
    ASSERT_FALSE(remote.Exists("report.pdf") || remote.Exists("report.doc"));
    remote.Write("report.doc", "the Sync's doc");
    lists = engine_testing::Load(local.Core(), remote.Core());
    lists.lFileAdd1 = {};
    engine_testing::AddEntry(lists.rdelfile1, "report.doc 1");
    std::vector<engine::PairRecords> pairs = Sync();
    ASSERT_FALSE(remote.Exists("report.doc"));
    EXPECT_EQ(Undo(pairs).notUndone, 0);
    EXPECT_EQ(remote.Read("report.doc"), "the Sync's doc");
    EXPECT_FALSE(remote.Exists("report.pdf"));
}

TEST_F(UndoTest, WhatASyncDeletedForGoodIsNamedAsSuchAndTheCopiesGoToTheBin) {
    Prepare();
    std::vector<engine::PairRecords> pairs = Sync(0, false);
    EXPECT_EQ(engine::LostItems(pairs), 4u);  // two deleted files, two old copies
    engine::UndoCounts counts = Undo(pairs);
    EXPECT_EQ(counts.notUndone, 4);
    int lost = 0;
    for (const std::string& line : log.lines) lost += line.ends_with("deleted for good by the Sync: cannot be put back");
    EXPECT_EQ(lost, 4);
    EXPECT_FALSE(local.Exists("new-in-second.txt"));
    bool inBin = false;
    for (const auto& e : fs::directory_iterator(trash.folder() / "files")) inBin |= e.path().filename() == "new-in-second.txt";
    EXPECT_TRUE(inBin);
}

}  // namespace

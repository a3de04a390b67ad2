// A pair's memory of its last Sync over real folders: deletions carry over, changes made on both sides
// wait in the ignore lists, and everything else is planned as without a memory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/pair_memory_store.h"
#include "engine/delete.h"
#include "engine/evaluate.h"
#include "engine/file_helpers.h"
#include "engine/pair_memory.h"
#include "engine/update.h"
#include "platform/file_system.h"
#include "platform/recycle_bin.h"
#include "review/commands.h"
#include "tests/engine/engine_fakes.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using engine_testing::RecordingView;
using testing_support::TempFolder;

std::vector<std::string> Texts(const engine::CodedList& list) {
    std::vector<std::string> out;
    for (size_t i = 0; i < list.size(); ++i) out.push_back(list.Text(i));
    return out;
}

std::vector<std::string> Texts(const engine::ResultList& list) {
    std::vector<std::string> out;
    for (size_t i = 0; i < list.size(); ++i) out.push_back(list.Text(i));
    return out;
}

class Collect final : public engine::SyncLog {
public:
    void Record(const engine::ItemRecord& r) override { records.push_back(r); }
    std::vector<engine::ItemRecord> records;
};

class MemoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!trash.usable()) GTEST_SKIP() << "XDG_DATA_HOME names no trash of the test run";
    }

    // A Load as the run makes it with the option on: the memory read, the evaluation planning with it.
    void Load(bool mirror = false) {
        lists = {};
        engine_testing::ScanSides(lists, first.Core(), second.Core());
        plan = app::StartPlanMemory(first.Core(), second.Core());
        engine::ByteTotals totals;
        RecordingView view;
        engine::EvaluateFolders(lists, mirror, totals, view, false, &plan->use);
    }
    // An automatic Sync of the plan, then the memory stored as the run stores it.
    engine::StepCounts Sync(int stopAt = 0) {
        RecordingView view;
        view.stopAtMessageCall = stopAt;
        Collect kept;
        engine::SyncOptions options{&platform::SystemRecycleBin(), &kept, true};
        engine::Removal removal(platform::SystemFileOps(), options, view, first.Core(), second.Core());
        engine::UpdateItems(platform::SystemFileOps(), lists, first.Core(), second.Core(), view, removal);
        engine::PrepareDeletion(lists, view, options);
        engine::DeleteItems(platform::SystemFileOps(), lists, first.Core(), second.Core(), view, removal);
        removal.Finish();
        plan->use.memory.Apply(kept.records);
        EXPECT_TRUE(app::WritePairMemory(first.Core(), second.Core(), plan->use.memory));
        return removal.Counts();
    }
    // Both folders with a.txt, b.txt and Old\x.txt, synced once: the memory holds them.
    void InStepOnce() {
        first.Write("a.txt", "a");
        first.Write("b.txt", "b");
        first.Write("Old/x.txt", "x");
        Load();
        EXPECT_FALSE(plan->use.remembered);  // the pair's first Sync
        Sync();
        Load();
        ASSERT_TRUE(plan->use.remembered);
        ASSERT_EQ(plan->use.memory.size(), 4u);
    }
    void Edit(const TempFolder& side, const char* name, const char* text, int daysAgo = 0) {
        side.Write(name, text);
        if (daysAgo) side.Age(name, daysAgo);
    }

    TempFolder first, second;
    engine::SyncLists lists;
    std::unique_ptr<app::PlanMemory> plan;
    engine_testing::TestTrash trash;
};

TEST_F(MemoryTest, AFileDeletedInOneFolderSinceTheLastSyncIsDeletedInTheOtherIntoTheRecycleBin) {
    InStepOnce();
    fs::remove(first.path() / "a.txt");
    fs::remove(second.path() / "b.txt");
    Load();
    EXPECT_EQ(Texts(lists.rdelfile1), (std::vector<std::string>{"a.txt 1"}));
    EXPECT_EQ(Texts(lists.ldelfile1), (std::vector<std::string>{"b.txt 2"}));
    EXPECT_TRUE(lists.lFileAdd1.empty() && lists.rFileAdd1.empty());
    EXPECT_EQ(Sync().failed, 0);
    EXPECT_FALSE(second.Exists("a.txt"));
    EXPECT_FALSE(first.Exists("b.txt"));
    // Remembered as gone: nothing is planned any more.
    Load();
    EXPECT_TRUE(lists.ldelfile1.empty() && lists.rdelfile1.empty() && lists.lFileAdd1.empty());
}

TEST_F(MemoryTest, DeletedOnOneSideButChangedOnTheOtherIsCopiedBackAndTold) {
    InStepOnce();
    fs::remove(first.path() / "a.txt");
    Edit(second, "a.txt", "changed since");
    Load();
    EXPECT_TRUE(lists.rdelfile1.empty());
    EXPECT_EQ(Texts(lists.lFileAdd1), (std::vector<std::string>{"a.txt"}));
    ASSERT_EQ(plan->use.deletedChanged.size(), 1u);
    EXPECT_EQ(app::MemoryPanelText(*plan), "1 item deleted on one side and changed on the other: copied back");
    EXPECT_EQ(app::MemoryReportLines(*plan).back(),
              "Deleted in the First Folder and changed in the Second Folder since the last Sync, copied back: a.txt");
}

TEST_F(MemoryTest, AFileChangedOnBothSidesWaitsInTheIgnoreListsAndUndoMakesItAnUpdateAgain) {
    InStepOnce();
    Edit(first, "a.txt", "first's change", 1);
    Edit(second, "a.txt", "second's change");
    Load();
    EXPECT_TRUE(lists.lUpdate1.empty() && lists.rUpdate1.empty());
    EXPECT_EQ(Texts(lists.lignfile1), (std::vector<std::string>{"a.txt 5"}));  // the Second's copy is newer
    EXPECT_EQ(Texts(lists.rignfile1), (std::vector<std::string>{"a.txt 5"}));
    EXPECT_EQ(app::MemoryPanelText(*plan), "1 item changed on both sides: see Ignore Items");
    Sync();  // an automatic Sync leaves it
    EXPECT_EQ(first.Read("a.txt"), "first's change");
    EXPECT_EQ(second.Read("a.txt"), "second's change");
    Load();
    ASSERT_EQ(Texts(lists.lignfile1), (std::vector<std::string>{"a.txt 5"}));  // still waiting
    review::UndoEntries(lists, review::klignfile1, {0}, platform::SystemFileOps(), first.Core(), second.Core());
    EXPECT_EQ(Texts(lists.lUpdate1), (std::vector<std::string>{"a.txt"}));
}

TEST_F(MemoryTest, AFolderDeletedWithItsContentsGoesOnTheOtherSideToo) {
    InStepOnce();
    fs::remove_all(first.path() / "Old");
    Load();
    EXPECT_EQ(Texts(lists.rdelfile1), (std::vector<std::string>{"[Old] 1", "Old\\x.txt 1"}));
    EXPECT_EQ(Sync().failed, 0);
    EXPECT_FALSE(second.Exists("Old"));
}

TEST_F(MemoryTest, WithoutAMemoryOrWithADamagedOneThePlanIsAsAlways) {
    first.Write("a.txt", "a");
    second.Write("b.txt", "b");
    for (const char* bytes : {"", "MIRVMEM1 cut short", "another program's file"}) {
        SCOPED_TRACE(bytes);
        if (*bytes) {
            engine::CreateFolderChain(platform::SystemFileOps(), app::PairMemoryFolder());
            ASSERT_TRUE(platform::WriteWholeFile(
                app::PairMemoryFolder() + "\\" + engine::PairMemoryFileName(first.Core(), second.Core()), bytes));
        }
        Load();
        EXPECT_EQ(Texts(lists.lFileAdd1), (std::vector<std::string>{"b.txt"}));
        EXPECT_EQ(Texts(lists.rFileAdd1), (std::vector<std::string>{"a.txt"}));
        EXPECT_TRUE(lists.ldelfile1.empty() && lists.rdelfile1.empty());
        EXPECT_EQ(plan->unreadable, *bytes != '\0');
        if (*bytes) {
            EXPECT_NE(app::MemoryPanelText(*plan).find("could not be read"), std::string::npos);
        }
    }
}

TEST_F(MemoryTest, ASyncStoppedHalfWayRemembersOnlyWhatItFinished) {
    InStepOnce();
    fs::remove(first.path() / "a.txt");
    fs::remove(first.path() / "b.txt");
    first.Write("new1.txt", "n");
    first.Write("new2.txt", "n");
    Load();
    // Messages run before each of the 2 copies, then before each of the 2 preparations: the stop
    // comes with the first deletion's preparation, so no deletion is done.
    Sync(3);
    ASSERT_TRUE(second.Exists("a.txt") && second.Exists("b.txt"));
    ASSERT_TRUE(second.Exists("new1.txt") && second.Exists("new2.txt"));
    Load();
    // Still remembered as they were, so still planned; the copies made are in step.
    EXPECT_EQ(Texts(lists.rdelfile1), (std::vector<std::string>{"a.txt 1", "b.txt 1"}));
    EXPECT_TRUE(lists.rFileAdd1.empty());
}

TEST_F(MemoryTest, MirrorLocalDriveCarriesTheFirstFoldersDeletionsAndCopiesBackWhatTheSecondLost) {
    InStepOnce();
    fs::remove(first.path() / "a.txt");
    fs::remove(second.path() / "b.txt");
    Edit(first, "Old/x.txt", "first's change", 1);
    Edit(second, "Old/x.txt", "second's change");
    Load(true);
    EXPECT_EQ(Texts(lists.rdelfile1), (std::vector<std::string>{"a.txt 1"}));
    EXPECT_TRUE(lists.ldelfile1.empty());
    EXPECT_EQ(Texts(lists.rFileAdd1), (std::vector<std::string>{"b.txt"}));
    EXPECT_TRUE(lists.lFileAdd1.empty() && lists.lUpdate1.empty());
    EXPECT_EQ(Texts(lists.lignfile1), (std::vector<std::string>{"Old\\x.txt 5"}));
}

TEST(PairMemoryFile, OneFileForAPairWhateverTheLetterCaseAndATrailingBackslash) {
    EXPECT_EQ(engine::PairMemoryFileName("C:\\Data\\", "D:\\Backup"), engine::PairMemoryFileName("c:\\data", "d:\\BACKUP\\"));
    EXPECT_NE(engine::PairMemoryFileName("C:\\Data", "D:\\Backup"), engine::PairMemoryFileName("D:\\Backup", "C:\\Data"));
    engine::PairMemory memory;
    memory.Add({7, 133, 10});
    memory.Add({3, 0, -1});
    memory.Seal();
    std::string bytes;
    ASSERT_TRUE(memory.Encode("C:\\Data", "D:\\Backup", [&](std::string_view piece) {
        bytes += piece;
        return true;
    }));
    auto back = engine::PairMemory::Decode(bytes, "c:\\data\\", "D:\\Backup");
    ASSERT_TRUE(back);
    ASSERT_TRUE(back->Find(7));
    EXPECT_EQ(back->Find(7)->lastWrite, 133);
    EXPECT_FALSE(engine::PairMemory::Decode(bytes, "C:\\Other", "D:\\Backup"));  // another pair's
    bytes[bytes.size() - 10] ^= 1;
    EXPECT_FALSE(engine::PairMemory::Decode(bytes, "C:\\Data", "D:\\Backup"));  // damaged
}

}  // namespace

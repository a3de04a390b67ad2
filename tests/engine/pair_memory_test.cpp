// A pair's memory of its last Sync over real folders: deletions carry over, changes made on both sides
// wait in the ignore lists, and everything else is planned as without a memory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/pair_memory_store.h"
#include "app/run_state.h"
#include "engine/delete.h"
#include "engine/evaluate.h"
#include "engine/file_helpers.h"
#include "engine/memory_pass.h"
#include "engine/pair_memory.h"
#include "engine/scan.h"
#include "engine/update.h"
#include "platform/file_system.h"
#include "platform/recycle_bin.h"
#include "review/commands.h"
#include "tests/engine/engine_fakes.h"
#include "tests/engine/memory_fixture.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using engine_testing::Texts;
using testing_support::TempFolder;

class MemoryTest : public engine_testing::MemoryFixture {};

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

// A memory the first version wrote (24 bytes an item, no volumes) knows too little to delete by: read as
// none, and told.
TEST_F(MemoryTest, WithoutAMemoryOrWithADamagedOrAnOlderVersionsOneThePlanIsAsAlways) {
    first.Write("a.txt", "a");
    second.Write("b.txt", "b");
    const struct {
        const char* bytes;
        const char* told;
    } cases[] = {
        {"", ""},
        {"MIRVMEM2 cut short", "the memory of the last Sync could not be read"},
        {"another program's file", "the memory of the last Sync could not be read"},
        {"MIRVMEM1 an older version's memory", "the memory of the last Sync is an older version's: planned without it"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        if (*c.bytes) {
            engine::CreateFolderChain(platform::SystemFileOps(), app::PairMemoryFolder());
            ASSERT_TRUE(platform::WriteWholeFile(
                app::PairMemoryFolder() + "\\" + engine::PairMemoryFileName(first.Core(), second.Core()), c.bytes));
        }
        Load();
        EXPECT_EQ(Texts(lists.lFileAdd1), (std::vector<std::string>{"b.txt"}));
        EXPECT_EQ(Texts(lists.rFileAdd1), (std::vector<std::string>{"a.txt"}));
        EXPECT_TRUE(lists.ldelfile1.empty() && lists.rdelfile1.empty());
        EXPECT_FALSE(plan->use.remembered);
        EXPECT_EQ(app::MemoryPanelText(*plan), c.told);
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

// What a scan did not see is no deletion: a folder that cannot be listed, or whose listing breaks off,
// or a folder link, on either side, stops every deletion the memory would plan below it, on both sides.
TEST_F(MemoryTest, NothingIsDeletedBelowAFolderEitherScanDidNotRead) {
    const struct {
        const char* name;
        bool firstSide;  // the side that does not see Old's content
        enum { Unlistable, BreaksOff, Link } how;
    } cases[] = {
        {"First cannot list Old", true, cases[0].Unlistable},
        {"Second's listing of Old breaks off", false, cases[0].BreaksOff},
        {"Old is a folder link in the First", true, cases[0].Link},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        files.breakEnumerate = [](std::string_view) { return false; };
        files.breakListingAfter = [](std::string_view) { return -1; };
        for (const TempFolder* side : {&first, &second}) {
            fs::remove_all(side->path());
            fs::create_directories(side->path());
        }
        app::ForgetPairMemory(first.Core(), second.Core());
        InStepOnce();
        first.Write("Old/y.txt", "y");  // so that a listing breaking off after one entry lacks one
        second.Write("Old/y.txt", "y");
        Load();
        Sync();
        const TempFolder& blind = c.firstSide ? first : second;
        const std::string old = blind.Core() + "\\Old\\";  // as the scan names the folder it lists
        TempFolder elsewhere;
        if (c.how == c.Link) {
            fs::remove_all(blind.path() / "Old");
            // Wine shows no folder links at all (a link to a folder is that folder there).
            if (!engine_testing::MakeFolderLink(blind.path() / "Old", elsewhere.path())) continue;
        }
        files.breakEnumerate = [&](std::string_view folder) { return c.how == c.Unlistable && folder == old; };
        files.breakListingAfter = [&](std::string_view folder) { return c.how == c.BreaksOff && folder == old ? 1 : -1; };
        Load();
        EXPECT_TRUE(lists.ldelfile1.empty() && lists.rdelfile1.empty());
        if (c.how != c.Link) {
            std::string told = "Old in the " + std::string(c.firstSide ? "First" : "Second") + " Folder could not be read (";
            EXPECT_EQ(app::NotReadText(passed.notRead).rfind(told, 0), 0u) << app::NotReadText(passed.notRead);
        }
        ASSERT_EQ(app::NotReadReportLines(passed.notRead).size(), 1u);
        EXPECT_NE(app::NotReadReportLines(passed.notRead)[0].find("what it holds not synced: Old in the"), std::string::npos);
    }
}

// Two sticks used in turn under one drive letter: the memory of the one is not the other's.
TEST_F(MemoryTest, AnotherVolumeUnderTheSameNameSetsTheMemoryAsideAndIsRememberedAnew) {
    InStepOnce();
    fs::remove(second.path() / "a.txt");  // the other stick lacks it
    Load(false, kSecondVolume + 1);
    EXPECT_TRUE(lists.ldelfile1.empty() && lists.rdelfile1.empty());
    EXPECT_EQ(Texts(lists.rFileAdd1), (std::vector<std::string>{"a.txt"}));
    EXPECT_EQ(app::MemoryPanelText(*plan),
              "the Second Folder is not on the drive it was on at the last Sync: planned without its memory");
    Sync();
    fs::remove(first.path() / "b.txt");
    Load(false, kSecondVolume + 1);  // the memory is that stick's now
    EXPECT_EQ(Texts(lists.rdelfile1), (std::vector<std::string>{"b.txt 1"}));
    Load();  // and the first stick's memory is set aside in turn
    EXPECT_TRUE(lists.rdelfile1.empty());
}

// A version put back from a backup has an older time than the other side's copy, yet it is the change.
TEST_F(MemoryTest, TheSideChangedSinceTheLastSyncWinsWhateverTheTimesSay) {
    for (bool firstChanged : {true, false}) {
        SCOPED_TRACE(firstChanged ? "changed in the First" : "changed in the Second");
        InStepOnce();
        Edit(firstChanged ? first : second, "a.txt", "last week's", 7);
        Load();
        EXPECT_EQ(Texts(firstChanged ? lists.rUpdate1 : lists.lUpdate1), (std::vector<std::string>{"a.txt"}));
        EXPECT_TRUE((firstChanged ? lists.lUpdate1 : lists.rUpdate1).empty());
        EXPECT_EQ(app::MemoryPanelText(*plan), "1 item changed on one side to an older copy: copied across");
        EXPECT_EQ(Sync().failed, 0);
        EXPECT_EQ(second.Read("a.txt"), "last week's");
        EXPECT_EQ(first.Read("a.txt"), "last week's");
        Load();
        EXPECT_TRUE(lists.lUpdate1.empty() && lists.rUpdate1.empty());
        app::ForgetPairMemory(first.Core(), second.Core());
    }
    // A mirror writes nothing into the First Folder: the First's newer copy goes over the Second's, as without.
    Load(true);
    Sync();
    Edit(second, "a.txt", "two weeks ago", 14);
    Load(true);
    ASSERT_TRUE(plan->use.remembered);
    EXPECT_EQ(Texts(lists.rUpdate1), (std::vector<std::string>{"a.txt"}));
    EXPECT_TRUE(plan->use.changedOlder.empty());
}

TEST(PairMemoryFile, OneFileForAPairWhateverTheLetterCaseAndATrailingBackslash) {
    EXPECT_EQ(engine::PairMemoryFileName("C:\\Data\\", "D:\\Backup"), engine::PairMemoryFileName("c:\\data", "d:\\BACKUP\\"));
    EXPECT_NE(engine::PairMemoryFileName("C:\\Data", "D:\\Backup"), engine::PairMemoryFileName("D:\\Backup", "C:\\Data"));
    engine::PairMemory memory;
    memory.Add({7, 133, 10, {0, 0}});
    memory.Add({3, 0, -1, {0, 0}});
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

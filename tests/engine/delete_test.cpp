#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/delete.h"
#include "engine/update.h"
#include "tests/engine/engine_fakes.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using engine_testing::FaultyFileOps;
using engine_testing::RecordingView;
using testing_support::TempFolder;

std::vector<std::string> Entries(const engine::CodedList& list) {
    std::vector<std::string> entries;
    for (size_t i = 0; i < list.size(); ++i) entries.push_back(list.Text(i));
    return entries;
}

TEST(PrepareDeletion, StripsOriginCodesInPlaceUntilAStop) {
    engine::SyncLists lists;
    for (const char* e : {"Docs\\a.txt 5", "[Old] 1", "b.txt 2"}) engine_testing::AddEntry(lists.ldelfile1, e);
    engine_testing::AddEntry(lists.rdelfile1, "Docs\\a.txt 5");
    RecordingView view;
    engine::PrepareDeletion(lists, view);
    EXPECT_EQ(view.captions, (std::vector<std::string>{"Delete Files"}));
    EXPECT_EQ(Entries(lists.ldelfile1), (std::vector<std::string>{"[Old]", "b.txt", "Docs\\a.txt"}));
    EXPECT_EQ(Entries(lists.rdelfile1), (std::vector<std::string>{"Docs\\a.txt"}));

    engine::SyncLists stopped;
    for (const char* e : {"a 1", "b 1", "c 1"}) engine_testing::AddEntry(stopped.ldelfile1, e);
    engine_testing::AddEntry(stopped.rdelfile1, "d 2");
    RecordingView stopping;
    stopping.stopAtMessageCall = 2;
    engine::PrepareDeletion(stopped, stopping);
    EXPECT_EQ(Entries(stopped.ldelfile1), (std::vector<std::string>{"a", "b 1", "c 1"}));
    EXPECT_EQ(Entries(stopped.rdelfile1), (std::vector<std::string>{"d 2"}));
}

class DeleteTest : public ::testing::Test {
protected:
    TempFolder local, remote;
    engine::SyncLists lists;
    RecordingView view;
    FaultyFileOps files;

    // Deletes over item lists loaded from the folders as they stand now.
    engine::StepCounts Delete() {
        engine_testing::ScanSides(lists, local.Core(), remote.Core());
        return engine::DeleteItems(files, lists, local.Core(), remote.Core(), view);
    }
};

TEST_F(DeleteTest, FilesOnBothSidesIncludingReadOnlyAndHidden) {
    local.Write("Docs/a.txt", "a");
    remote.Write("Docs/a.txt", "a");
    remote.Write("locked.txt", "l");
    remote.Write(".hidden", "h");
    engine_testing::MakeReadOnly(remote.path() / "locked.txt");
    engine_testing::AddEntry(lists.ldelfile1, "Docs\\a.txt");
    engine_testing::AddEntry(lists.rdelfile1, "Docs\\a.txt");
    engine_testing::AddEntry(lists.rdelfile1, "locked.txt");
    engine_testing::AddEntry(lists.rdelfile1, ".hidden");
    engine_testing::AddEntry(lists.rdelfile1, "never-was.txt");
    EXPECT_EQ(Delete().failed, 0);
    EXPECT_FALSE(fs::exists(local.path() / "Docs" / "a.txt"));
    EXPECT_FALSE(fs::exists(remote.path() / "Docs" / "a.txt"));
    EXPECT_FALSE(fs::exists(remote.path() / "locked.txt"));
    EXPECT_FALSE(fs::exists(remote.path() / ".hidden"));
    EXPECT_TRUE(lists.ldelfile1.empty() && lists.rdelfile1.empty());
    EXPECT_TRUE(view.questions.empty() && view.warnings.empty());
}

TEST_F(DeleteTest, FoldersGoWithTheirContentsDeepestFirstButNeverRecursively) {
    remote.Write("Old/a.txt", "a");
    remote.Write("Old/b.txt", "b");
    remote.Write("Deep/Er/c.txt", "c");
    remote.Write("Keep/listed.txt", "l");
    remote.Write("Keep/unlisted.tmp", "u");
    fs::create_directories(remote.path() / "Empty");
    for (const char* e : {"[Old]", "Old\\a.txt", "Old\\b.txt", "[Deep]", "[Deep\\Er]", "Deep\\Er\\c.txt", "[Keep]",
                          "Keep\\listed.txt", "[Empty]"})
        engine_testing::AddEntry(lists.rdelfile1, e);
    EXPECT_EQ(Delete().failed, 1);  // Keep stays: the deletion asked for is not done
    for (const char* gone : {"Old", "Deep", "Empty", "Keep/listed.txt"})
        EXPECT_FALSE(fs::exists(remote.path() / gone)) << gone;
    EXPECT_TRUE(fs::exists(remote.path() / "Keep" / "unlisted.tmp"));
    EXPECT_TRUE(lists.rdelfile1.empty());
    for (const auto& line : files.log) EXPECT_NE(line, "rm " + remote.Core("Keep") + "\\unlisted.tmp");
}

TEST_F(DeleteTest, AStopEmptiesTheFirstListAndLeavesTheSecond) {
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) local.Write(name, "x");
    remote.Write("d.txt", "x");
    for (const char* e : {"a.txt", "b.txt", "c.txt"}) engine_testing::AddEntry(lists.ldelfile1, e);
    engine_testing::AddEntry(lists.rdelfile1, "d.txt");
    view.stopAtMessageCall = 2;
    EXPECT_EQ(Delete().handled, 1);
    EXPECT_FALSE(fs::exists(local.path() / "a.txt"));
    EXPECT_TRUE(fs::exists(local.path() / "b.txt"));
    EXPECT_TRUE(fs::exists(local.path() / "c.txt"));
    EXPECT_TRUE(lists.ldelfile1.empty());
    EXPECT_EQ(lists.rdelfile1.size(), 1u);
    EXPECT_TRUE(fs::exists(remote.path() / "d.txt"));
}

TEST_F(DeleteTest, CountsWhatCouldNotBeDeleted) {
    local.Write("busy.txt", "x");
    local.Write("free.txt", "x");
    files.breakRemove = [](std::string_view path) { return path.ends_with("busy.txt"); };
    engine_testing::AddEntry(lists.ldelfile1, "busy.txt");
    engine_testing::AddEntry(lists.ldelfile1, "free.txt");
    EXPECT_EQ(Delete().failed, 1);
    EXPECT_TRUE(fs::exists(local.path() / "busy.txt"));
    EXPECT_FALSE(fs::exists(local.path() / "free.txt"));
    EXPECT_TRUE(lists.ldelfile1.empty());
}

TEST_F(DeleteTest, NothingBehindAFolderLinkIsWrittenOrDeleted) {
    TempFolder elsewhere;  // outside the pair
    elsewhere.Write("a.txt", "outside");
    elsewhere.Write("y.txt", "outside");
    local.Write("Docs/a.txt", "inside, newer");
    local.Write("Docs/b.txt", "inside");
    if (!engine_testing::MakeFolderLink(remote.path() / "Docs", elsewhere.path()) ||
        !engine_testing::MakeFolderLink(remote.path() / "Link", elsewhere.path()))
        GTEST_SKIP() << "this file system makes no folder links";

    // The copies into the link's folder are refused and counted; the folder link Link on one side only
    // is not planned, so the other side gets no empty folder for it.
    lists = engine_testing::Load(local.Core(), remote.Core());
    EXPECT_EQ(engine::UpdateItems(files, lists, local.Core(), remote.Core(), view).failed, 2);
    EXPECT_FALSE(fs::exists(local.path() / "Link"));

    // Delete of the link's entry takes the link alone; an entry behind a link is refused.
    lists.rdelfile1.Add("[Link]", true);
    lists.rdelfile1.Add("Docs\\y.txt", false);
    EXPECT_EQ(Delete().failed, 1);
    EXPECT_FALSE(fs::exists(fs::symlink_status(remote.path() / "Link")));
    EXPECT_EQ(elsewhere.Read("a.txt"), "outside");
    EXPECT_EQ(elsewhere.Read("y.txt"), "outside");
    EXPECT_FALSE(elsewhere.Exists("b.txt"));
}

TEST_F(DeleteTest, AFileNamedLikeAFolderEntryIsDeletedAsAFile) {
    remote.Write("[notes]", "a file");
    remote.Write("notes/a.txt", "a");
    lists.rdelfile1.Add("[notes]", false);
    EXPECT_EQ(Delete().failed, 0);
    EXPECT_FALSE(remote.Exists("[notes]"));
    EXPECT_EQ(remote.Read("notes/a.txt"), "a");
}

}  // namespace

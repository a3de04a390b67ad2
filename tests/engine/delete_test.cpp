#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/delete.h"
#include "tests/engine/engine_fakes.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using engine_testing::FaultyFileOps;
using engine_testing::RecordingView;
using testing_support::TempFolder;

std::vector<std::string> Entries(const engine::CodedList& list) {
    std::vector<std::string> entries;
    for (size_t i = 0; i < list.size(); ++i) entries.push_back(list[i]);
    return entries;
}

TEST(PrepareDeletion, StripsOriginCodesInPlaceUntilAStop) {
    engine::SyncLists lists;
    for (const char* e : {"Docs\\a.txt 5", "[Old] 1", "b.txt 2"}) lists.ldelfile1.Add(e);
    lists.rdelfile1.Add("Docs\\a.txt 5");
    RecordingView view;
    engine::PrepareDeletion(lists, view);
    EXPECT_EQ(view.captions, (std::vector<std::string>{"Delete Files"}));
    EXPECT_EQ(Entries(lists.ldelfile1), (std::vector<std::string>{"[Old]", "b.txt", "Docs\\a.txt"}));
    EXPECT_EQ(Entries(lists.rdelfile1), (std::vector<std::string>{"Docs\\a.txt"}));

    engine::SyncLists stopped;
    for (const char* e : {"a 1", "b 1", "c 1"}) stopped.ldelfile1.Add(e);
    stopped.rdelfile1.Add("d 2");
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
    lists.ldelfile1.Add("Docs\\a.txt");
    lists.rdelfile1.Add("Docs\\a.txt");
    lists.rdelfile1.Add("locked.txt");
    lists.rdelfile1.Add(".hidden");
    lists.rdelfile1.Add("never-was.txt");
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
        lists.rdelfile1.Add(e);
    EXPECT_EQ(Delete().failed, 0);
    for (const char* gone : {"Old", "Deep", "Empty", "Keep/listed.txt"})
        EXPECT_FALSE(fs::exists(remote.path() / gone)) << gone;
    EXPECT_TRUE(fs::exists(remote.path() / "Keep" / "unlisted.tmp"));
    EXPECT_TRUE(lists.rdelfile1.empty());
    for (const auto& line : files.log) EXPECT_NE(line, "rm " + remote.Core("Keep") + "\\unlisted.tmp");
}

TEST_F(DeleteTest, AStopEmptiesTheFirstListAndLeavesTheSecond) {
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) local.Write(name, "x");
    remote.Write("d.txt", "x");
    for (const char* e : {"a.txt", "b.txt", "c.txt"}) lists.ldelfile1.Add(e);
    lists.rdelfile1.Add("d.txt");
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
    lists.ldelfile1.Add("busy.txt");
    lists.ldelfile1.Add("free.txt");
    EXPECT_EQ(Delete().failed, 1);
    EXPECT_TRUE(fs::exists(local.path() / "busy.txt"));
    EXPECT_FALSE(fs::exists(local.path() / "free.txt"));
    EXPECT_TRUE(lists.ldelfile1.empty());
}

}  // namespace

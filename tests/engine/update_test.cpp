#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "engine/file_helpers.h"
#include "engine/update.h"
#include "platform/process.h"
#include "tests/engine/engine_fakes.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using engine_testing::FaultyFileOps;
using engine_testing::RecordingView;
using testing_support::TempFolder;

void MakeOlder(const TempFolder& folder, const std::string& relative) {
    fs::path p = folder.path() / relative;
    fs::last_write_time(p, fs::last_write_time(p) - std::chrono::hours(48));
}

void MakeReadOnly(const TempFolder& folder, const std::string& relative) {
    engine_testing::MakeReadOnly(folder.path() / relative);
}

bool ReadOnly(const TempFolder& folder, const std::string& relative) {
    auto info = platform::SystemFileOps().Find(folder.Core(relative));
    return info && (info->attributes & platform::kAttrReadOnly);
}

bool HasTemporaryFiles(const TempFolder& folder) { return engine_testing::HasTemporaryFiles(folder.path()); }

bool NothingToDo(const engine::SyncLists& lists) {
    return lists.lFileAdd1.empty() && lists.rFileAdd1.empty() && lists.lUpdate1.empty() && lists.rUpdate1.empty();
}

class UpdateTest : public ::testing::Test {
protected:
    TempFolder local, remote;
    engine::SyncLists lists;
    RecordingView view;
    FaultyFileOps files;

    int Update() { return engine::UpdateItems(files, lists, local.Core(), remote.Core(), view).failed; }
    engine::SyncLists Reload() { return engine_testing::Load(local.Core(), remote.Core()); }
    std::string Paths(const TempFolder& from, const TempFolder& to, const std::string& name) {
        return "From: " + from.Core() + "\\" + name + "\r" + "To  : " + to.Core() + "\\" + name + "\r";
    }
};

TEST_F(UpdateTest, EmptyListsOnlySetTheCaption) {
    EXPECT_EQ(Update(), 0);
    EXPECT_EQ(view.captions, (std::vector<std::string>{"Updating Files"}));
    EXPECT_TRUE(view.progress.empty());
    EXPECT_TRUE(files.log.empty());
}

TEST_F(UpdateTest, NestedNewFoldersAreCreatedByTheFirstFailedCopy) {
    remote.Write("New/Sub/b.txt", "bee");
    fs::create_directories(remote.path() / "Empty");
    lists = Reload();
    ASSERT_EQ(lists.lFileAdd1.size(), 4u);
    EXPECT_EQ(Update(), 0);
    EXPECT_EQ(local.Read("New/Sub/b.txt"), "bee");
    EXPECT_TRUE(fs::is_directory(local.path() / "Empty"));
    EXPECT_TRUE(view.questions.empty());
    // The file comes first (the list is walked backward); its failed copy creates the chain and the
    // folder entries then find their folders present.
    ASSERT_FALSE(files.log.empty());
    EXPECT_EQ(files.log.front().rfind("copy ", 0), 0u);
    std::vector<std::string> created;
    for (const auto& line : files.log)
        if (line.rfind("mkdir ", 0) == 0) created.push_back(line.substr(6));
    const std::string root = local.Core();
    EXPECT_EQ(created, (std::vector<std::string>{root + "\\New", root + "\\New\\Sub", root + "\\Empty"}));
    EXPECT_TRUE(NothingToDo(Reload()));
}

TEST_F(UpdateTest, BothDirectionsKeepTimesAndAttributes) {
    local.Write("a.txt", "local newer");
    remote.Write("a.txt", "remote older");
    MakeOlder(remote, "a.txt");
    local.Write("b.txt", "local older");
    remote.Write("b.txt", "remote newer");
    MakeOlder(local, "b.txt");
    local.Write("c.txt", "local only");
    MakeReadOnly(local, "c.txt");
    lists = Reload();
    EXPECT_EQ(Update(), 0);
    EXPECT_EQ(remote.Read("a.txt"), "local newer");
    EXPECT_EQ(local.Read("b.txt"), "remote newer");
    EXPECT_EQ(remote.Read("c.txt"), "local only");
    EXPECT_TRUE(ReadOnly(remote, "c.txt"));
    EXPECT_TRUE(NothingToDo(Reload()));
    EXPECT_FALSE(HasTemporaryFiles(local) || HasTemporaryFiles(remote));
}

TEST_F(UpdateTest, ReadOnlyDestinationAsksAndYesForcesTheCopy) {
    local.Write("a.txt", "old");
    MakeOlder(local, "a.txt");
    MakeReadOnly(local, "a.txt");
    remote.Write("a.txt", "new");
    MakeReadOnly(remote, "a.txt");
    lists = Reload();
    ASSERT_EQ(lists.lUpdate1.size(), 1u);
    view.answers = {true};
    EXPECT_EQ(Update(), 0);
    EXPECT_EQ(view.questions, (std::vector<std::string>{Paths(remote, local, "a.txt") + "Copy Failed, Force Update?"}));
    EXPECT_TRUE(view.warnings.empty());
    EXPECT_EQ(local.Read("a.txt"), "new");
    EXPECT_TRUE(ReadOnly(local, "a.txt"));
}

#ifdef _WIN32
TEST_F(UpdateTest, HiddenDestinationAsksAsTheWindowsCopyRefusesIt) {
    local.Write("a.txt", "old");
    MakeOlder(local, "a.txt");
    ASSERT_TRUE(SetFileAttributesW((local.path() / "a.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
    remote.Write("a.txt", "new");
    lists = Reload();
    ASSERT_EQ(lists.lUpdate1.size(), 1u);
    view.answers = {true};
    EXPECT_EQ(Update(), 0);
    EXPECT_EQ(view.questions, (std::vector<std::string>{Paths(remote, local, "a.txt") + "Copy Failed, Force Update?"}));
    EXPECT_EQ(local.Read("a.txt"), "new");
}
#endif

TEST_F(UpdateTest, NoLeavesTheDestinationAndCountsIt) {
    local.Write("a.txt", "old");
    MakeOlder(local, "a.txt");
    MakeReadOnly(local, "a.txt");
    remote.Write("a.txt", "new");
    lists = Reload();
    view.answers = {false};
    EXPECT_EQ(Update(), 1);
    EXPECT_EQ(view.questions.size(), 1u);
    EXPECT_TRUE(view.warnings.empty());
    EXPECT_EQ(local.Read("a.txt"), "old");
}

TEST_F(UpdateTest, AFileNamedLikeAFolderEntryIsCopiedAsAFile) {
    local.Write("[notes]", "a file");
    local.Write("notes/a.txt", "a");
    lists = Reload();
    EXPECT_EQ(Update(), 0);
    EXPECT_EQ(remote.Read("[notes]"), "a file");
    EXPECT_EQ(remote.Read("notes/a.txt"), "a");
    EXPECT_TRUE(NothingToDo(Reload()));
}

TEST_F(UpdateTest, VanishedSourceFailsSilentlyForAddsAndIsReportedForUpdates) {
    local.Write("gone.txt", "local copy");
    engine_testing::ScanSides(lists, local.Core(), remote.Core());
    lists.lUpdate1.Add({"gone.txt", 10});
    lists.lFileAdd1.Add({"Missing\\gone2.txt", 10});
    view.answers = {true};
    EXPECT_EQ(Update(), 2);
    EXPECT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.warnings, (std::vector<std::string>{Paths(remote, local, "gone.txt") + "Copy still failed"}));
    EXPECT_EQ(local.Read("gone.txt"), "local copy");
    EXPECT_FALSE(HasTemporaryFiles(local));
}

TEST_F(UpdateTest, PassOrderProgressAndStopInEachPass) {
    // Handled in this order: lFileAdd1 backward (a2, a1), rFileAdd1 (b), lUpdate1 (c), rUpdate1 (d).
    const std::vector<std::string> order = {"a2.txt", "a1.txt", "b.txt", "c.txt", "d.txt"};
    for (int stopAt = 1; stopAt <= 6; ++stopAt) {
        SCOPED_TRACE(stopAt);
        TempFolder l, r;
        for (const char* name : {"a1.txt", "a2.txt", "c.txt"}) r.Write(name, "from remote");
        for (const char* name : {"b.txt", "d.txt"}) l.Write(name, "from local");
        l.Write("c.txt", "stale");
        r.Write("d.txt", "stale");
        engine::SyncLists plan;
        engine_testing::ScanSides(plan, l.Core(), r.Core());
        plan.lFileAdd1.Add({"a1.txt", 1});
        plan.lFileAdd1.Add({"a2.txt", 1});
        plan.rFileAdd1.Add({"b.txt", 1});
        plan.lUpdate1.Add({"c.txt", 1});
        plan.rUpdate1.Add({"d.txt", 1});
        RecordingView v;
        v.stopAtMessageCall = stopAt;
        FaultyFileOps f;
        engine::StepCounts counts = engine::UpdateItems(f, plan, l.Core(), r.Core(), v);
        EXPECT_EQ(counts.failed, 0);
        EXPECT_EQ(counts.handled, std::min(stopAt - 1, 5));  // the entry that saw the stop is not handled
        std::vector<std::string> copied;
        for (const auto& line : f.log)
            if (line.rfind("replace ", 0) == 0) copied.push_back(line.substr(line.find_last_of("\\/") + 1));
        EXPECT_EQ(copied, std::vector<std::string>(order.begin(), order.begin() + (stopAt - 1)));
        const std::vector<int> steps = {20, 40, 60, 80, 100};
        EXPECT_EQ(v.progress, std::vector<int>(steps.begin(), steps.begin() + std::min(stopAt, 5)));
    }
}

}  // namespace

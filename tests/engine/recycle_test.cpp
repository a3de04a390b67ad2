// Deleted and replaced files go to the Recycle Bin (natively the desktop's trash), in batches, and
// every item of a Sync is told to its report.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/sync_report.h"
#include "engine/delete.h"
#include "engine/update.h"
#include "platform/recycle_bin.h"
#include "tests/engine/engine_fakes.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using engine_testing::RecordingView;
using testing_support::TempFolder;

// The system's Recycle Bin, its operations counted; or one for a drive that has none.
class CountingBin final : public platform::RecycleBin {
public:
    bool Serves(std::string_view path) override { return serves && real.Serves(path); }
    std::vector<bool> Recycle(const std::vector<std::string>& paths) override {
        ++calls;
        return real.Recycle(paths);
    }
    bool ReplaceKeeping(std::string_view from, std::string_view to, std::string_view aside) override {
        return real.ReplaceKeeping(from, to, aside);
    }
    platform::RecycleBin& real = platform::SystemRecycleBin();
    int calls = 0;
    bool serves = true;
};

class RecycleTest : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef _WIN32
        // Wine's shell recycles into the desktop's trash of the test run (scripts/test sets it).
        const char* data = std::getenv("XDG_DATA_HOME");
        if (!data || !*data) GTEST_SKIP() << "XDG_DATA_HOME names no trash of the test run";
        trash_ = fs::path("Z:" + std::string(data)) / "Trash" / "files";
#else
        setenv("XDG_DATA_HOME", data_.path().c_str(), 1);
        trash_ = data_.path() / "Trash" / "files";
#endif
        before_ = TrashContents();
    }
    void TearDown() override {
#ifndef _WIN32
        unsetenv("XDG_DATA_HOME");
#endif
    }
    // The contents of what reached the trash since the test began.
    std::map<std::string, size_t> NewInTrash() {
        std::map<std::string, size_t> added = TrashContents();
        for (auto& [content, n] : added) n -= std::min(n, before_[content]);
        std::erase_if(added, [](const auto& entry) { return entry.second == 0; });
        return added;
    }
    engine::StepCounts Sync(const engine::SyncOptions& options) {
        auto counts = engine::UpdateItems(platform::SystemFileOps(), lists, local.Core(), remote.Core(), view, options);
        engine::PrepareDeletion(lists, view, options);
        auto removed = engine::DeleteItems(platform::SystemFileOps(), lists, local.Core(), remote.Core(), view, options);
        return {counts.handled + removed.handled, counts.failed + removed.failed};
    }

    TempFolder local, remote;
    engine::SyncLists lists;
    RecordingView view;
    CountingBin bin;

private:
    std::map<std::string, size_t> TrashContents() {
        std::map<std::string, size_t> contents;
        std::error_code error;
        for (const auto& e : fs::directory_iterator(trash_, error)) {
            std::ifstream in(e.path(), std::ios::binary);
            std::stringstream bytes;
            bytes << in.rdbuf();
            ++contents[bytes.str()];
        }
        return contents;
    }
#ifndef _WIN32
    TempFolder data_;
#endif
    fs::path trash_;
    std::map<std::string, size_t> before_;
};

TEST_F(RecycleTest, UpdatesAndDeletionsLeaveTheOldContentsInTheRecycleBinOnlyWhenAsked) {
    for (bool recycle : {true, false}) {
        SCOPED_TRACE(recycle ? "Recycle Bin on" : "Recycle Bin off");
        std::string tag = recycle ? "on" : "off";
        remote.Write("a.txt", "old " + tag);
        remote.Age("a.txt", 3);
        local.Write("a.txt", "new " + tag);
        remote.Write("x.txt", "deleted " + tag);
        lists = engine_testing::Load(local.Core(), remote.Core());
        engine_testing::AddEntry(lists.rdelfile1, "x.txt 2");
        ASSERT_EQ(Sync({recycle ? &bin : nullptr, nullptr}).failed, 0);
        EXPECT_EQ(remote.Read("a.txt"), "new " + tag);
        EXPECT_FALSE(remote.Exists("x.txt"));
        EXPECT_FALSE(remote.Exists("a (old copy).txt"));
    }
    EXPECT_EQ(NewInTrash(), (std::map<std::string, size_t>{{"deleted on", 1}, {"old on", 1}}));
}

TEST_F(RecycleTest, ManyDeletionsGoInAFewShellOperations) {
    for (int i = 0; i < 2000; ++i) {
        remote.Write("d" + std::to_string(i % 10) + "/f" + std::to_string(i) + ".txt", "x");
    }
    lists = engine_testing::Load(local.Core(), remote.Core());
    for (size_t i = 0; i < lists.lvRemote.size(); ++i)
        lists.rdelfile1.Add(std::string(lists.lvRemote.PathAsFound(i)), lists.lvRemote.Folder(i));
    EXPECT_EQ(engine::DeleteItems(platform::SystemFileOps(), lists, local.Core(), remote.Core(), view,
                                  {&bin, nullptr}).failed,
              0);
    EXPECT_TRUE(fs::is_empty(remote.path()));
    EXPECT_LE(bin.calls, 12);  // the files in batches, then the ten folders together
    EXPECT_EQ(NewInTrash()["x"], 2000u);
}

TEST_F(RecycleTest, TheReportTellsEveryItemAndWhereItsOldContentWent) {
    local.Write("new.txt", "copied");
    local.Write("gone.txt", "vanishes before the Sync");
    local.Write("d.txt", "newer");
    remote.Write("d.txt", "older");
    remote.Age("d.txt", 2);
    remote.Write("x.txt", "deleted");
    remote.Write("y.txt", "left by the stop");
    lists = engine_testing::Load(local.Core(), remote.Core());
    // Both one-sided files moved from the plan to copy them over to the delete list, as Delete does.
    lists.lFileAdd1.Clear();
    engine_testing::AddEntry(lists.rdelfile1, "x.txt 1");
    engine_testing::AddEntry(lists.rdelfile1, "y.txt 1");
    fs::remove(local.path() / "gone.txt");
    bin.serves = false;  // a stick: the spec's deletion, told as such
    // Messages run before each of the 3 copies, each of the 2 preparations, and each deletion: the
    // stop comes at the second deletion.
    view.stopAtMessageCall = 7;
    app::SyncReport report({2026, 12, 7, 9, 0, 0});
    report.BeginPair(local.Core(), remote.Core());
    engine::StepCounts counts = Sync({&bin, &report});
    EXPECT_EQ(counts.handled, 4);
    EXPECT_EQ(counts.failed, 1);
    EXPECT_EQ(bin.calls, 0);
    std::string text = report.Text();
    for (std::string line : {"Copied to the Second Folder: new.txt\r\n",
                             "Replaced in the Second Folder: d.txt (old copy deleted for good: no Recycle Bin on "
                             "this drive)\r\n",
                             "Deleted from the Second Folder: x.txt (no Recycle Bin on this drive)\r\n",
                             "Not copied to the Second Folder: gone.txt (",
                             "Not deleted from the Second Folder: y.txt (stopped)\r\n",
                             "Not done: 2 (1 failed, 0 changed since the Load, 0 answered No, 1 stopped"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    EXPECT_TRUE(remote.Exists("y.txt"));
}

}  // namespace

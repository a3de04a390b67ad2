// A Sync cut off at every step it takes on the disk (a crash, a power cut, a killed program): every
// content stays findable, in its place, in the Recycle Bin or under a name its journal holds, and the
// next Load finishes the work, so that Sync then leaves both folders as the first would have.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "app/open_work.h"
#include "app/sync_report.h"
#include "engine/delete.h"
#include "engine/removal.h"
#include "engine/update.h"
#include "platform/recycle_bin.h"
#include "platform/work_names.h"
#include "tests/engine/engine_fakes.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;

// The disk and the bin, the process ending at the n-th step that changes anything.
class Killing final : public platform::FileOps, public platform::RecycleBin {
public:
    explicit Killing(int at) : at_(at) {}
    int steps = 0;

    bool Enumerate(std::string_view folder, const std::function<void(const platform::FileInfo&)>& visit) override {
        return files_.Enumerate(folder, visit);
    }
    std::optional<platform::FileInfo> Find(std::string_view path) override { return files_.Find(path); }
    bool CopyToFile(std::string_view source, std::string_view target) override {
        Step();
        return files_.CopyToFile(source, target);
    }
    bool MoveReplacing(std::string_view from, std::string_view to) override { return Step(), files_.MoveReplacing(from, to); }
    bool CanReplace(std::string_view path) override { return files_.CanReplace(path); }
    bool Rename(std::string_view from, std::string_view to) override { return Step(), files_.Rename(from, to); }
    bool RemoveFile(std::string_view path) override { return Step(), files_.RemoveFile(path); }
    bool Link(std::string_view existing, std::string_view name) override { return Step(), files_.Link(existing, name); }
    bool RemoveName(std::string_view path) override { return Step(), files_.RemoveName(path); }
    std::optional<platform::FileIdentity> Identity(std::string_view path) override { return files_.Identity(path); }
    bool CreateFolder(std::string_view path) override { return Step(), files_.CreateFolder(path); }
    bool RemoveFolder(std::string_view path) override { return Step(), files_.RemoveFolder(path); }
    bool SetArchiveOnly(std::string_view path) override { return files_.SetArchiveOnly(path); }
    bool FolderExists(std::string_view path) override { return files_.FolderExists(path); }

    platform::BinVolume Volume(std::string_view path) override { return bin_.Volume(path); }
    std::string PathRefusal(std::string_view path) override { return bin_.PathRefusal(path); }
    // Cut off before the shell's move, or after it, before anybody looked.
    void MoveToBin(const std::vector<std::string>& paths) override {
        Step();
        bin_.MoveToBin(paths);
        Step();
    }
    platform::RecycleResult WhyStillThere(const std::string& path) override { return bin_.WhyStillThere(path); }
    std::vector<bool> Holds(const std::vector<platform::BinItem>& items) override { return bin_.Holds(items); }
    std::vector<bool> Restore(const std::vector<platform::BinItem>& items, const std::function<bool()>& goOn) override {
        return bin_.Restore(items, goOn);
    }

private:
    void Step() {
        if (++steps == at_) _exit(9);
    }
    int at_;
    platform::FileOps& files_ = platform::SystemFileOps();
    platform::RecycleBin& bin_ = platform::SystemRecycleBin();
};

class CrashTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!trash_.usable()) GTEST_SKIP() << "no trash of the test's own";
    }
    // Two new files, three replaced ones, two deleted ones, one of them in a folder of its own.
    void Prepare() {
        local.Write("new.txt", "new content");
        local.Write("Sub/new2.txt", "new content 2");
        for (int i = 1; i <= 3; ++i) {
            std::string name = "upd" + std::to_string(i) + ".txt";
            remote.Write(name, "old content " + std::to_string(i));
            remote.Age(name, 3);
            local.Write(name, "newer content " + std::to_string(i));
        }
        remote.Write("del1.txt", "deleted content 1");
        remote.Write("Gone/del2.txt", "deleted content 2");
    }
    engine::SyncLists Plan() {
        engine::SyncLists lists = engine_testing::Load(local.Core(), remote.Core());
        lists.lFileAdd1.Clear();
        for (const char* entry : {"del1.txt 1", "Gone\\del2.txt 1"}) engine_testing::AddEntry(lists.rdelfile1, entry);
        return lists;
    }
    // The whole Sync, as the window runs it; returns the steps it took.
    int Sync(Killing& disk) {
        engine::SyncLists lists = Plan();
        app::SyncReport report({2026, 12, 8, 9, 0, 0}, reports.Core(), false);
        report.BeginPair(local.Core(), remote.Core());
        engine_testing::RecordingView view;
        const engine::SyncOptions options{&disk, &report, true};
        engine::Removal removal(disk, options, view, local.Core(), remote.Core());
        engine::UpdateItems(disk, lists, local.Core(), remote.Core(), view, removal);
        engine::PrepareDeletion(lists, view, options);
        engine::DeleteItems(disk, lists, local.Core(), remote.Core(), view, removal);
        removal.Finish();
        report.End({2026, 12, 8, 9, 0, 1});
        return disk.steps;
    }
    // Every content below the folders and in the trash, whatever its name.
    std::multiset<std::string> Contents() {
        std::multiset<std::string> contents;
        for (const fs::path& root : {local.path(), remote.path(), trash_.folder() / "files"}) {
            std::error_code error;
            for (const auto& e : fs::recursive_directory_iterator(root, error)) {
                if (!e.is_regular_file()) continue;
                std::ifstream in(e.path(), std::ios::binary);
                std::stringstream bytes;
                bytes << in.rdbuf();
                contents.insert(bytes.str());
            }
        }
        return contents;
    }
    bool HasWorkFiles() {
        for (const fs::path& root : {local.path(), remote.path()})
            for (const auto& e : fs::recursive_directory_iterator(root))
                if (platform::WorkFileKind(e.path().filename().string()) != platform::WorkFile::None) return true;
        return false;
    }

    engine_testing::TestTrash trash_;
    TempFolder local, remote, reports;
};

TEST_F(CrashTest, EveryContentIsFindableAtEveryStepAndTheNextLoadFinishesTheWork) {
    Prepare();
    Killing whole(0);
    const int steps = Sync(whole);
    ASSERT_GE(steps, 20);
    const std::vector<std::string> everything = {"new content",    "new content 2",  "old content 1", "old content 2",
                                                 "old content 3",  "newer content 1", "newer content 2",
                                                 "newer content 3", "deleted content 1", "deleted content 2"};
    int leftWork = 0;  // cut off with work files standing
    for (int at = 1; at <= steps; ++at) {
        SCOPED_TRACE("cut off at step " + std::to_string(at));
        for (const fs::path& folder : {local.path(), remote.path(), reports.path(), trash_.folder() / "files",
                                       trash_.folder() / "info"}) {
            std::error_code error;
            for (const auto& e : fs::directory_iterator(folder, error)) fs::remove_all(e.path());
        }
        Prepare();
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Killing disk(at);
            Sync(disk);
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        std::multiset<std::string> cutOff = Contents();
        for (const std::string& content : everything) EXPECT_TRUE(cutOff.contains(content)) << content;
        leftWork += HasWorkFiles();

        // The next Load finishes what was left, then its Sync does the rest.
        app::SettleOpenWork(platform::SystemFileOps(), reports.Core(), {local.Core(), remote.Core()});
        EXPECT_FALSE(HasWorkFiles());
        EXPECT_TRUE(app::OpenJournals(platform::SystemFileOps(), reports.Core()).empty());
        std::multiset<std::string> settled = Contents();
        for (const std::string& content : everything) EXPECT_TRUE(settled.contains(content)) << content;
        Killing again(0);
        Sync(again);
        for (int i = 1; i <= 3; ++i)
            EXPECT_EQ(remote.Read("upd" + std::to_string(i) + ".txt"), "newer content " + std::to_string(i));
        EXPECT_EQ(remote.Read("new.txt"), "new content");
        EXPECT_EQ(remote.Read("Sub/new2.txt"), "new content 2");
        EXPECT_FALSE(remote.Exists("del1.txt") || remote.Exists("Gone/del2.txt"));
        std::multiset<std::string> done = Contents();
        for (const std::string& content : everything) EXPECT_TRUE(done.contains(content)) << content;
    }
    EXPECT_GE(leftWork, steps / 2);
}

}  // namespace
#endif

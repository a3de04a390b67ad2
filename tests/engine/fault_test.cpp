// Faults between the engine and the disk: whatever fails, no file's content is lost or damaged, and
// what could not be done is counted (or asked about, for a failed copy onto an existing file).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
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

class Faults : public ::testing::Test {
protected:
    TempFolder local, remote;
    engine::SyncLists lists;
    RecordingView view;
    FaultyFileOps files;

    void Load() { lists = engine_testing::Load(local.Core(), remote.Core(), files); }
    int Sync() {
        int failed = engine::UpdateItems(files, lists, local.Core(), remote.Core(), view).failed;
        engine::PrepareDeletion(lists, view);
        return failed + engine::DeleteItems(files, lists, local.Core(), remote.Core(), view).failed;
    }
    void ExpectNoTemporaryFiles() {
        EXPECT_FALSE(engine_testing::HasTemporaryFiles(local.path()));
        EXPECT_FALSE(engine_testing::HasTemporaryFiles(remote.path()));
    }
    // A newer a.txt in the Second Folder: an update into the First Folder.
    void NewerInSecond() {
        local.Write("a.txt", "local, older");
        local.Age("a.txt", 2);
        remote.Write("a.txt", "remote, newer");
    }
};

TEST_F(Faults, FolderVanishingDuringTheScanLosesNothing) {
    local.Write("keep.txt", "k");
    local.Write("Sub/a.txt", "a");
    local.Write("Sub/Deeper/b.txt", "b");
    TempFolder elsewhere;
    files.beforeEnumerate = [&](std::string_view folder) {
        if (folder.find("Sub") != std::string_view::npos && fs::exists(local.path() / "Sub"))
            fs::rename(local.path() / "Sub", elsewhere.path() / "Sub");
    };
    Load();
    EXPECT_EQ(lists.lvLocal.size(), 2u);  // keep.txt and the folder itself, not what it held
    EXPECT_EQ(Sync(), 0);
    EXPECT_EQ(remote.Read("keep.txt"), "k");
    EXPECT_EQ(elsewhere.Read("Sub/a.txt"), "a");
    EXPECT_EQ(elsewhere.Read("Sub/Deeper/b.txt"), "b");
}

TEST_F(Faults, UnreadableFolderIsNeitherCopiedNorOverwritten) {
    local.Write("Locked/a.txt", "local, newest");
    remote.Write("Locked/a.txt", "remote, older");
    remote.Age("Locked/a.txt", 2);
    local.Write("Locked/only-local.txt", "l");
    files.breakEnumerate = [&](std::string_view folder) {
        return folder.starts_with(local.Core()) && folder.find("Locked") != std::string_view::npos;
    };
    Load();
    // The First Folder's side of Locked looks empty, so the Second Folder's file is planned as an add...
    ASSERT_EQ(lists.lFileAdd1.size(), 1u);
    // ...but it is no copy onto a file the Load never saw.
    EXPECT_EQ(Sync(), 1);
    EXPECT_EQ(local.Read("Locked/a.txt"), "local, newest");
    EXPECT_EQ(remote.Read("Locked/a.txt"), "remote, older");
    EXPECT_FALSE(remote.Exists("Locked/only-local.txt"));
    EXPECT_TRUE(view.questions.empty());
}

TEST_F(Faults, DiskFullDuringACopyKeepsTheDestinationWhole) {
    NewerInSecond();
    remote.Write("new.txt", "fresh");
    Load();
    files.breakCopy = [](std::string_view) { return true; };  // writes part of the file, then fails
    view.answers = {true};
    EXPECT_EQ(Sync(), 2);
    EXPECT_EQ(view.questions.size(), 1u);  // only the copy onto an existing file asks
    EXPECT_EQ(view.warnings.size(), 1u);
    EXPECT_EQ(local.Read("a.txt"), "local, older");
    EXPECT_FALSE(local.Exists("new.txt"));
    ExpectNoTemporaryFiles();
}

// A bad sector or a full disk half-way through a file: that entry fails alone (an update with the
// question and its warning), the destination keeps its old content, the next entry is copied.
TEST_F(Faults, AFileFailingHalfWayFailsAloneAndKeepsTheOldContent) {
    using Copy = FaultyFileOps::Copy;
    for (Copy fault : {Copy::ReadError, Copy::DiskFull}) {
        SCOPED_TRACE(fault == Copy::ReadError ? "read error" : "disk full");
        TempFolder l, r;
        r.Write("a.txt", "remote, newer and longer");  // update, fails
        l.Write("a.txt", "local, older");
        l.Age("a.txt", 2);
        r.Write("b.txt", "b, newer");  // update after it
        l.Write("b.txt", "b, older");
        l.Age("b.txt", 2);
        r.Write("c.txt", "c");  // addition, fails
        r.Write("d.txt", "d");  // addition after it (the add list is walked backward)
        engine::SyncLists plan = engine_testing::Load(l.Core(), r.Core());
        files.copyOf = [&](std::string_view source) {
            return source.ends_with("a.txt") || source.ends_with("c.txt") ? fault : Copy::Real;
        };
        engine_testing::RecordingLog log;
        RecordingView v;
        v.answers = {true};  // Yes: forced, and failing again
        engine::StepCounts counts = engine::UpdateItems(files, plan, l.Core(), r.Core(), v, {nullptr, &log, false});
        EXPECT_EQ(counts.handled, 4);
        EXPECT_EQ(counts.failed, 2);
        EXPECT_EQ(v.questions.size(), 1u);
        EXPECT_EQ(v.warnings.size(), 1u);
        EXPECT_EQ(l.Read("a.txt"), "local, older");
        EXPECT_EQ(l.Read("b.txt"), "b, newer");
        EXPECT_FALSE(l.Exists("c.txt"));
        EXPECT_EQ(l.Read("d.txt"), "d");
        EXPECT_FALSE(engine_testing::HasTemporaryFiles(l.path()));
        // The report's line for each gives the system's words.
        for (const engine::ItemRecord& record : log.records) {
            if (record.outcome != engine::Outcome::Failed) continue;
            EXPECT_TRUE(record.path == "a.txt" || record.path == "c.txt") << record.path;
            EXPECT_FALSE(record.detail.empty());
        }
    }
}

// The same on a real disk that fills up half-way through the new content of a.bin.
TEST_F(Faults, AFullDiskHalfWayThroughAFile) {
    testing_support::SmallDisk disk(16);
    if (!disk.ready()) GTEST_SKIP() << disk.why();
    const std::string first = disk.Core();
    auto at = [&](const char* name) { return disk.path() / name; };
    auto read = [&](const char* name) {
        std::ifstream in(at(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string old(1024 * 1024, 'o');
    std::ofstream(at("a.bin"), std::ios::binary) << old;
    std::ofstream(at("b.txt"), std::ios::binary) << "b, older";
    for (const char* name : {"a.bin", "b.txt"})
        fs::last_write_time(at(name), fs::last_write_time(at(name)) - std::chrono::hours(48));
    // About twice what is free there (16 MiB less what ext4 keeps, and a.bin's old content).
    remote.Write("a.bin", std::string(24 * 1024 * 1024, 'n'));
    remote.Write("b.txt", "b, newer");
    lists = engine_testing::Load(first, remote.Core());
    ASSERT_EQ(lists.lUpdate1.size(), 2u);
    EXPECT_EQ(engine::UpdateItems(files, lists, first, remote.Core(), view).failed, 1);
    EXPECT_EQ(view.questions.size(), 1u);  // answered No
    EXPECT_TRUE(read("a.bin") == old);
    EXPECT_EQ(read("b.txt"), "b, newer");
    EXPECT_FALSE(engine_testing::HasTemporaryFiles(disk.path()));
}

TEST_F(Faults, SourceDeletedBetweenLoadAndSync) {
    NewerInSecond();
    remote.Write("new.txt", "fresh");
    Load();
    fs::remove(remote.path() / "a.txt");
    fs::remove(remote.path() / "new.txt");
    EXPECT_EQ(Sync(), 2);
    EXPECT_EQ(view.questions.size(), 1u);  // answered No
    EXPECT_EQ(local.Read("a.txt"), "local, older");
    EXPECT_FALSE(local.Exists("new.txt"));
    ExpectNoTemporaryFiles();
}

TEST_F(Faults, FilesWrittenSinceTheLoadAreNeitherOverwrittenNorDeleted) {
    NewerInSecond();
    remote.Write("new.txt", "fresh");
    local.Write("doomed.txt", "as loaded");
    Load();
    engine_testing::AddEntry(lists.ldelfile1, "doomed.txt 1");
    // The user goes on working in the First Folder while the plan is reviewed.
    local.Write("a.txt", "local, edited after the Load");
    local.Write("new.txt", "made after the Load");
    local.Write("doomed.txt", "edited after the Load");
    EXPECT_EQ(Sync(), 3);
    EXPECT_TRUE(view.questions.empty());
    EXPECT_EQ(local.Read("a.txt"), "local, edited after the Load");
    EXPECT_EQ(local.Read("new.txt"), "made after the Load");
    EXPECT_EQ(local.Read("doomed.txt"), "edited after the Load");
    ExpectNoTemporaryFiles();
}

TEST_F(Faults, DestinationSavedWhileTheCopyRunsIsKept) {
    NewerInSecond();
    remote.Write("new.txt", "fresh");
    Load();
    files.breakCopy = [&](std::string_view source) {
        if (source.ends_with("a.txt")) local.Write("a.txt", "saved while the copy ran");
        if (source.ends_with("new.txt")) local.Write("new.txt", "made while the copy ran");
        return false;  // the copy itself succeeds
    };
    EXPECT_EQ(Sync(), 2);
    EXPECT_TRUE(view.questions.empty());
    EXPECT_EQ(local.Read("a.txt"), "saved while the copy ran");
    EXPECT_EQ(local.Read("new.txt"), "made while the copy ran");
    ExpectNoTemporaryFiles();
}

TEST_F(Faults, FilesUnchangedSinceTheLoadAreCarriedOut) {
    NewerInSecond();
    local.Write("doomed.txt", "as loaded");
    Load();
    engine_testing::AddEntry(lists.ldelfile1, "doomed.txt 1");
    fs::remove(local.path() / "a.txt");  // gone since the Load: nothing there to lose
    EXPECT_EQ(Sync(), 0);
    EXPECT_EQ(local.Read("a.txt"), "remote, newer");
    EXPECT_FALSE(local.Exists("doomed.txt"));
}

TEST_F(Faults, RefusedRemovalKeepsTheFileAndCounts) {
    local.Write("busy.txt", "b");
    Load();
    engine_testing::AddEntry(lists.ldelfile1, "busy.txt 1");
    lists.rFileAdd1.Clear();
    files.breakRemove = [](std::string_view path) { return path.ends_with("busy.txt"); };
    EXPECT_EQ(Sync(), 1);
    EXPECT_EQ(local.Read("busy.txt"), "b");
}

#ifdef _WIN32
using testing_support::ExclusiveOpen;

TEST_F(Faults, SharingViolationOnTheSourceOrTheDestinationOfACopy) {
    for (bool lockSource : {true, false}) {
        SCOPED_TRACE(lockSource ? "source" : "destination");
        TempFolder l, r;
        l.Write("a.txt", "local, older");
        l.Age("a.txt", 2);
        r.Write("a.txt", "remote, newer");
        engine::SyncLists plan = engine_testing::Load(l.Core(), r.Core());
        ASSERT_EQ(plan.lUpdate1.size(), 1u);
        RecordingView v;
        v.answers = {true};
        {
            ExclusiveOpen lock(lockSource ? r.path() / "a.txt" : l.path() / "a.txt");
            ASSERT_TRUE(lock.held());
            EXPECT_EQ(engine::UpdateItems(files, plan, l.Core(), r.Core(), v).failed, 1);
        }
        EXPECT_EQ(v.questions.size(), 1u);
        EXPECT_EQ(v.warnings.size(), 1u);
        EXPECT_FALSE(engine_testing::HasTemporaryFiles(l.path()));
        EXPECT_EQ(l.Read("a.txt"), "local, older");
        EXPECT_EQ(r.Read("a.txt"), "remote, newer");
    }
}

TEST_F(Faults, SharingViolationDuringDeletionKeepsTheFile) {
    local.Write("open.txt", "in use");
    local.Write("free.txt", "f");
    Load();
    lists.rFileAdd1.Clear();
    engine_testing::AddEntry(lists.ldelfile1, "open.txt 1");
    engine_testing::AddEntry(lists.ldelfile1, "free.txt 1");
    {
        ExclusiveOpen lock(local.path() / "open.txt");
        ASSERT_TRUE(lock.held());
        EXPECT_EQ(Sync(), 1);
    }
    EXPECT_EQ(local.Read("open.txt"), "in use");
    EXPECT_FALSE(local.Exists("free.txt"));
}
#endif

}  // namespace

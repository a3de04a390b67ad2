// What a Sync removes or replaces goes to the Recycle Bin (natively the desktop's trash), in batches,
// and nothing leaves for good without the user's word while the option is on. Every report line about
// the bin is checked against what reached the trash.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/sync_report.h"
#include "engine/delete.h"
#include "engine/update.h"
#include "platform/file_system.h"
#include "platform/recycle_bin.h"
#include "platform/work_names.h"
#include "tests/engine/engine_fakes.h"
#include "tests/support/test_support.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;
using engine_testing::RecordingView;
using testing_support::TempFolder;

// The system's Recycle Bin, its operations counted; or one for a drive that has none, or one whose bin
// takes nothing.
class CountingBin final : public platform::RecycleBin {
public:
    platform::BinVolume Volume(std::string_view path) override {
        platform::BinVolume volume = real.Volume(path);
        if (kind) volume.kind = *kind;
        if (volume.kind == platform::BinVolume::Kind::Refuses && volume.refusal.empty()) volume.refusal = "it is full";
        return volume;
    }
    std::string PathRefusal(std::string_view path) override { return real.PathRefusal(path); }
    std::vector<platform::RecycleResult> Recycle(const std::vector<std::string>& paths) override {
        ++calls;
        return real.Recycle(paths);
    }
    std::vector<bool> Restore(const std::vector<Request>& requests, const std::function<bool()>& goOn) override {
        return real.Restore(requests, goOn);
    }
    platform::RecycleBin& real = platform::SystemRecycleBin();
    int calls = 0;
    std::optional<platform::BinVolume::Kind> kind;
};

class RecycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testTrash_.usable()) GTEST_SKIP() << "XDG_DATA_HOME names no trash of the test run";
        trash_ = testTrash_.folder();
        before_ = TrashContents();
    }
    void TearDown() override {
        if (!away_.empty()) {
            fs::remove(trash_ / "files");
            fs::rename(away_, trash_ / "files");
        }
    }
    // The contents of what reached the trash since the test began.
    std::map<std::string, size_t> NewInTrash() {
        std::map<std::string, size_t> added = TrashContents();
        for (auto& [content, n] : added) n -= std::min(n, before_[content]);
        std::erase_if(added, [](const auto& entry) { return entry.second == 0; });
        return added;
    }
    // The trash can take nothing: natively from the start (the bin says so), under Wine from now on
    // (its shell made the trash once for the process and then fails to move anything there).
    void BreakTheTrash() {
#ifdef _WIN32
        away_ = trash_.parent_path() / "files.away";
        fs::rename(trash_ / "files", away_);
        std::ofstream(trash_ / "files") << "not a folder";
#else
        fs::remove_all(trash_);
        std::ofstream(trash_) << "not a folder";
#endif
    }
    engine::StepCounts Sync(const engine::SyncOptions& options) {
        engine::Removal removal(platform::SystemFileOps(), options, view, local.Core(), remote.Core());
        removal.AskBeforehand(lists, local.Core(), remote.Core());
        engine::UpdateItems(platform::SystemFileOps(), lists, local.Core(), remote.Core(), view, removal);
        engine::PrepareDeletion(lists, view, options);
        engine::DeleteItems(platform::SystemFileOps(), lists, local.Core(), remote.Core(), view, removal);
        removal.Finish();
        return removal.Counts();
    }
    // A newer a.txt in the First Folder to replace the Second's, and x.txt to delete from the Second.
    void ReplaceAndDelete() {
        remote.Write("a.txt", "old a");
        remote.Age("a.txt", 3);
        local.Write("a.txt", "new a");
        remote.Write("x.txt", "deleted x");
        lists = engine_testing::Load(local.Core(), remote.Core());
        // Moved from the plan to copy it over to the delete list, as Delete does.
        lists.lFileAdd1.Clear();
        engine_testing::AddEntry(lists.rdelfile1, "x.txt 1");
    }
    std::string Report(const engine::SyncOptions& options, std::function<void(engine::SyncOptions&)> change = {}) {
        app::SyncReport report({2026, 12, 7, 9, 0, 0});
        report.BeginPair(local.Core(), remote.Core());
        engine::SyncOptions with = options;
        with.log = &report;
        if (change) change(with);
        counts = Sync(with);
        return report.Text();
    }
    static void ExpectLines(const std::string& text, const std::vector<std::string>& lines) {
        for (const std::string& line : lines) EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    }

    TempFolder local, remote;
    engine::SyncLists lists;
    RecordingView view;
    CountingBin bin;
    engine::StepCounts counts;

private:
    std::map<std::string, size_t> TrashContents() {
        std::map<std::string, size_t> contents;
        std::error_code error;
        for (const auto& e : fs::directory_iterator(trash_ / "files", error)) {
            std::ifstream in(e.path(), std::ios::binary);
            std::stringstream bytes;
            bytes << in.rdbuf();
            ++contents[bytes.str()];
        }
        return contents;
    }
    engine_testing::TestTrash testTrash_;
    fs::path trash_, away_;
    std::map<std::string, size_t> before_;
};

bool HasWorkFiles(const fs::path& folder) {
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (platform::WorkFileKind(e.path().filename().string()) != platform::WorkFile::None) return true;
    return false;
}

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
        EXPECT_FALSE(HasWorkFiles(remote.path()));
    }
    EXPECT_EQ(NewInTrash(), (std::map<std::string, size_t>{{"deleted on", 1}, {"old on", 1}}));
}

TEST_F(RecycleTest, ManyDeletionsGoInAFewShellOperationsAndEmptyFoldersArePlainlyRemoved) {
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
    EXPECT_EQ(bin.calls, 10);  // the files in batches; the folders, empty by then, never go to the bin
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
    bin.kind = platform::BinVolume::Kind::None;  // a stick: the spec's deletion, told as such
    // Messages run before each of the 3 copies, each of the 2 preparations, and each deletion: the
    // stop comes at the second deletion.
    view.stopAtMessageCall = 7;
    std::string text = Report({&bin, nullptr});
    EXPECT_EQ(counts.handled, 4);
    EXPECT_EQ(counts.failed, 1);
    EXPECT_EQ(bin.calls, 0);
    ExpectLines(text, {"Copied to the Second Folder: new.txt\r\n",
                       "Replaced in the Second Folder: d.txt (old copy deleted for good: no Recycle Bin on "
                       "this drive)\r\n",
                       "Deleted for good from the Second Folder: x.txt (no Recycle Bin on this drive)\r\n",
                       "Not copied to the Second Folder: gone.txt (",
                       "Not deleted from the Second Folder: y.txt (stopped)\r\n",
                       "Not done: 2 (1 failed, 0 changed since the Load, 0 answered No, 1 stopped"});
    EXPECT_TRUE(remote.Exists("y.txt"));
}

TEST_F(RecycleTest, AnUnusableBinLeavesBothContentsInPlaceInAnUnattendedSync) {
    ReplaceAndDelete();
    BreakTheTrash();
    std::string text = Report({&bin, nullptr, true});
    EXPECT_EQ(remote.Read("a.txt"), "old a");
    EXPECT_EQ(remote.Read("x.txt"), "deleted x");
    EXPECT_FALSE(HasWorkFiles(remote.path()));
    EXPECT_TRUE(view.questions.empty());
    EXPECT_EQ(counts.failed, 2);
    ExpectLines(text, {"Not replaced in the Second Folder: a.txt (the Recycle Bin", "Left in place in the Second "
                                                                                    "Folder: x.txt (the Recycle Bin"});
    EXPECT_EQ(text.find("in the Recycle Bin)"), std::string::npos);
    EXPECT_TRUE(NewInTrash().empty());
}

TEST_F(RecycleTest, WhatTheBinCannotTakeGoesForGoodOnlyAtTheUsersWordAskedOnce) {
    struct Case {
        const char* name;
        bool unattended;
        std::deque<bool> answers;
        bool gone;
    };
    for (const Case& c : {Case{"Yes", false, {true}, true}, Case{"No", false, {false}, false},
                          Case{"unattended", true, {}, false}}) {
        SCOPED_TRACE(c.name);
        ReplaceAndDelete();
        view = {};
        view.answers = c.answers;
        bin.kind = platform::BinVolume::Kind::Refuses;
        std::string text = Report({&bin, nullptr, c.unattended});
        EXPECT_EQ(view.questions.size(), c.unattended ? 0u : 1u);
        if (!c.unattended) {
            EXPECT_EQ(view.questions.front().substr(0, 36), "The Recycle Bin cannot take 2 items ");
        }
        EXPECT_EQ(remote.Read("a.txt"), c.gone ? "new a" : "old a");
        EXPECT_EQ(remote.Exists("x.txt"), !c.gone);
        ExpectLines(text, c.gone ? std::vector<std::string>{"Replaced in the Second Folder: a.txt (old copy deleted "
                                                            "for good at your word: it is full)",
                                                            "Deleted for good from the Second Folder: x.txt (at your "
                                                            "word: the Recycle Bin cannot take it: it is full)"}
                                 : std::vector<std::string>{"Not replaced in the Second Folder: a.txt (the Recycle "
                                                            "Bin cannot take its old copy: it is full)",
                                                            "Left in place in the Second Folder: x.txt (the Recycle "
                                                            "Bin cannot take it: it is full)"});
        EXPECT_EQ(bin.calls, 0);
        fs::remove(local.path() / "a.txt");
        for (const char* name : {"a.txt", "x.txt"}) fs::remove(remote.path() / name);
    }
    EXPECT_TRUE(NewInTrash().empty());
}

TEST_F(RecycleTest, ALongNameIsUpdatedWithItsOldCopyInTheBinAndAReadOnlySourceStaysReadOnly) {
    const std::string longName = std::string(246, 'n') + ".txt";
    remote.Write(longName, "old long");
    remote.Age(longName, 3);
    local.Write(longName, "new long");
    remote.Write("ro.txt", "old ro");
    remote.Age("ro.txt", 3);
    local.Write("ro.txt", "new ro");
    engine_testing::MakeReadOnly(local.path() / "ro.txt");
    lists = engine_testing::Load(local.Core(), remote.Core());
    std::string text = Report({&bin, nullptr, true});
    EXPECT_EQ(counts.failed, 0);
    EXPECT_EQ(remote.Read(longName), "new long");
    EXPECT_EQ(remote.Read("ro.txt"), "new ro");
    auto info = platform::SystemFileOps().Find(remote.Core("ro.txt"));
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->attributes & platform::kAttrReadOnly);
    EXPECT_EQ(info->lastWrite, platform::SystemFileOps().Find(local.Core("ro.txt"))->lastWrite);
    ExpectLines(text, {"Replaced in the Second Folder: " + longName + " (old copy in the Recycle Bin)",
                       "Replaced in the Second Folder: ro.txt (old copy in the Recycle Bin)"});
    EXPECT_EQ(NewInTrash(), (std::map<std::string, size_t>{{"old long", 1}, {"old ro", 1}}));
    EXPECT_FALSE(HasWorkFiles(remote.path()));
}

TEST_F(RecycleTest, ASwapThatFailsHalfWayLeavesTheOldContentInItsPlace) {
    ReplaceAndDelete();
    engine_testing::FaultyFileOps files;
    // The new content cannot take the name once the old one has left it; the old one can come back.
    int tries = 0;
    files.breakRename = [&](std::string_view to) { return to.ends_with("\\a.txt") && tries++ == 0; };
    app::SyncReport report({2026, 12, 7, 9, 0, 0});
    EXPECT_EQ(engine::UpdateItems(files, lists, local.Core(), remote.Core(), view, {&bin, &report}).failed, 1);
    EXPECT_EQ(remote.Read("a.txt"), "old a");
    EXPECT_FALSE(HasWorkFiles(remote.path()));
    EXPECT_NE(report.Text().find("Not copied to the Second Folder: a.txt ("), std::string::npos);
    EXPECT_TRUE(NewInTrash().empty());
}

TEST_F(RecycleTest, AFolderThatGainedAFileSinceTheLoadIsKeptWithIt) {
    remote.Write("Old/a.txt", "a");
    lists = engine_testing::Load(local.Core(), remote.Core());
    lists.rdelfile1.Add("[Old] 2", true);
    lists.rdelfile1.Add("Old\\a.txt 2", false);
    remote.Write("Old/download.part", "arrived after the Load");
    std::string text = Report({&bin, nullptr});
    EXPECT_EQ(remote.Read("Old/download.part"), "arrived after the Load");
    EXPECT_FALSE(remote.Exists("Old/a.txt"));
    EXPECT_EQ(counts.failed, 1);  // the folder: not done
    ExpectLines(text, {"Moved to the Recycle Bin from the Second Folder: Old\\a.txt\r\n",
                       "Not deleted from the Second Folder: [Old] (it holds items no list names)"});
    EXPECT_EQ(NewInTrash(), (std::map<std::string, size_t>{{"a", 1}}));
}

TEST_F(RecycleTest, AnOldCopyACutOffSyncLeftGoesToTheBinWithTheNextCopyIntoItsFolder) {
    remote.Write("Sub/~mirv98-999999999-3-old a.txt", "old content of a cut-off Sync");
    local.Write("Sub/b.txt", "new");
    lists = engine_testing::Load(local.Core(), remote.Core());
    EXPECT_EQ(lists.lvRemote.size(), 1u);  // [Sub] alone: the old copy is no user file to sync
    EXPECT_EQ(Sync({&bin, nullptr}).failed, 0);
    EXPECT_EQ(remote.Read("Sub/b.txt"), "new");
    EXPECT_FALSE(HasWorkFiles(remote.path()));
    EXPECT_EQ(NewInTrash(), (std::map<std::string, size_t>{{"old content of a cut-off Sync", 1}}));
}

#ifdef _WIN32
TEST_F(RecycleTest, ABatchWithFilesTheShellRejectsRecyclesTheOthersAndDeletesNothingForGood) {
    for (const char* name : {"a.txt", "b.txt", "held.txt", "c.txt"}) remote.Write(name, std::string("x") + name);
    // Beyond the shell's length limit: the bin cannot take it. Made through the long-path form.
    const std::string d(120, 'd'), e(120, 'e');
    platform::FileOps& files = platform::SystemFileOps();
    ASSERT_TRUE(files.CreateFolder(remote.Core(d)) && files.CreateFolder(remote.Core(d) + "\\" + e));
    const std::string deep = remote.Core(d) + "\\" + e + "\\f.txt";
    ASSERT_TRUE(platform::WriteWholeFile(deep, "deep"));
    // A name the shell would trim: handed to it, "notes" would go in its place.
    remote.Write("notes", "the other file");
    ASSERT_TRUE(platform::WriteWholeFile(remote.Core() + "\\notes.", "ends in a dot"));
    lists = engine_testing::Load(local.Core(), remote.Core());
    for (const char* entry : {"a.txt 1", "b.txt 1", "held.txt 1", "c.txt 1", "notes. 1"})
        engine_testing::AddEntry(lists.rdelfile1, entry);
    lists.rdelfile1.Add(d + "\\" + e + "\\f.txt 1", false);
    lists.lFileAdd1.Clear();
    std::string text;
    {
        testing_support::ExclusiveOpen held(remote.path() / "held.txt");
        ASSERT_TRUE(held.held());
        text = Report({&bin, nullptr, true});
    }
    EXPECT_EQ(remote.Read("held.txt"), "xheld.txt");
    std::string bytes;
    EXPECT_EQ(platform::ReadWholeFile(deep, bytes), platform::ReadStatus::Ok);
    EXPECT_EQ(bytes, "deep");
    EXPECT_EQ(remote.Read("notes"), "the other file");
    EXPECT_EQ(platform::ReadWholeFile(remote.Core() + "\\notes.", bytes), platform::ReadStatus::Ok);
    EXPECT_EQ(bytes, "ends in a dot");
    ExpectLines(text, {"Not deleted from the Second Folder: held.txt (in use)",
                       "Left in place in the Second Folder: " + d + "\\" + e +
                           "\\f.txt (the Recycle Bin cannot take it: its path is too long for the Recycle Bin)",
                       "Left in place in the Second Folder: notes. (the Recycle Bin cannot take it: its name ends with a "
                       "dot or a blank)"});
    EXPECT_EQ(NewInTrash(), (std::map<std::string, size_t>{{"xa.txt", 1}, {"xb.txt", 1}, {"xc.txt", 1}}));
}
#endif

}  // namespace

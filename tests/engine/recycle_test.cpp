// What a Sync removes or replaces goes to the Recycle Bin (natively the desktop's trash), in batches,
// and nothing leaves for good without the user's word while the option is on. Every report line about
// the bin is checked against what reached the trash.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "app/sync_report.h"
#include "engine/delete.h"
#include "engine/removal.h"
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

// The system's Recycle Bin, its moves counted; or one for a drive that has none, or one whose bin takes
// nothing; or a shell that deletes for good what it is given and says nothing, as Windows' does with
// what its bin will not keep.
class CountingBin final : public platform::RecycleBin {
public:
    platform::BinVolume Volume(std::string_view path) override {
        platform::BinVolume volume = real.Volume(path);
        if (kindOf) volume.kind = kindOf(path);
        else if (kind) volume.kind = *kind;
        if (volume.kind == platform::BinVolume::Kind::Refuses && volume.refusal.empty()) volume.refusal = "it is full";
        if (kindOf) volume.drive = std::string(path.substr(path.find_last_of("\\/") + 1));
        return volume;
    }
    std::string PathRefusal(std::string_view path) override { return real.PathRefusal(path); }
    void MoveToBin(const std::vector<std::string>& paths) override {
        ++calls;
        if (whileMoving) whileMoving();
        if (!destroys) return real.MoveToBin(paths);
        for (const std::string& path : paths) platform::SystemFileOps().RemoveName(path);
    }
    platform::RecycleResult WhyStillThere(const std::string& path) override { return real.WhyStillThere(path); }
    std::vector<bool> Holds(const std::vector<platform::BinItem>& items) override { return real.Holds(items); }
    std::vector<bool> Restore(const std::vector<platform::BinItem>& items, const std::function<bool()>& goOn) override {
        return real.Restore(items, goOn);
    }
    platform::RecycleBin& real = platform::SystemRecycleBin();
    int calls = 0;
    std::optional<platform::BinVolume::Kind> kind;
    std::function<platform::BinVolume::Kind(std::string_view root)> kindOf;  // a drive a root
    bool destroys = false;
    std::function<void()> whileMoving;  // on the shell's thread, before the move
};

class RecycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testTrash_.usable()) GTEST_SKIP() << "XDG_DATA_HOME names no trash of the test run";
        trash_ = testTrash_.folder();
        before_ = TrashContents();
        notesBefore_ = Notes();
    }
    void TearDown() override {
        if (!away_.empty()) {
            fs::remove(trash_ / "files");
            fs::rename(away_, trash_ / "files");
        }
    }
    // The names the trash shows for what reached it since the test began: where each came from, as its
    // note says (the name of its file in the trash may be another one).
    std::multiset<std::string> NewNamesInTrash() {
        std::multiset<std::string> names;
        for (const std::string& note : Notes()) {
            if (notesBefore_.contains(note)) continue;
            std::ifstream in(trash_ / "info" / note);
            for (std::string line; std::getline(in, line);)
                if (line.starts_with("Path=")) names.insert(Decoded(line.substr(line.find_last_of('/') + 1)));
        }
        return names;
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
    std::set<std::string> Notes() {
        std::set<std::string> notes;
        std::error_code error;
        for (const auto& e : fs::directory_iterator(trash_ / "info", error)) notes.insert(e.path().filename().string());
        return notes;
    }
    // A note's path escapes what a URL may not hold ("%20" for a blank).
    static std::string Decoded(const std::string& text) {
        std::string out;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '%' && i + 2 < text.size()) {
                out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                out += text[i];
            }
        }
        return out;
    }
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
    std::set<std::string> notesBefore_;
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
    // Under their own names, as Explorer's Delete puts files there.
    EXPECT_EQ(NewNamesInTrash(), (std::multiset<std::string>{"a.txt", "x.txt"}));
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
    bin.kind = platform::BinVolume::Kind::None;  // a stick: deleted as without the option, told as such
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

TEST_F(RecycleTest, OldCopiesReachTheBinUnderTheirOwnNamesAndARestoredOneIsListedAgain) {
    // As long as the shell takes a path (and a desktop trash a name for its note).
    const std::string longName = std::string(std::min<size_t>(240, 254 - remote.Core().size()), 'n') + ".txt";
    for (const std::string& name : {std::string("upd-a.txt"), longName, std::string("ro.txt")}) {
        remote.Write(name, "old " + name.substr(0, 3));
        remote.Age(name, 3);
        local.Write(name, "new " + name.substr(0, 3));
    }
    engine_testing::MakeReadOnly(local.path() / "ro.txt");
    // A file of the user's named as this program names its own files is a file like any other.
    local.Write("~mirv98-1-2-old notes.txt", "the user's");
    lists = engine_testing::Load(local.Core(), remote.Core());
    const platform::FileTime before = platform::CurrentFileTime();
    std::string text = Report({&bin, nullptr, true});
    EXPECT_EQ(counts.failed, 0);
    EXPECT_EQ(remote.Read("upd-a.txt"), "new upd");
    EXPECT_EQ(remote.Read(longName), "new nnn");
    EXPECT_EQ(remote.Read("~mirv98-1-2-old notes.txt"), "the user's");
    auto info = platform::SystemFileOps().Find(remote.Core("ro.txt"));
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->attributes & platform::kAttrReadOnly);
    EXPECT_EQ(info->lastWrite, platform::SystemFileOps().Find(local.Core("ro.txt"))->lastWrite);
    ExpectLines(text, {"Replaced in the Second Folder: upd-a.txt (old copy in the Recycle Bin)",
                       "Replaced in the Second Folder: " + longName + " (old copy in the Recycle Bin)",
                       "Replaced in the Second Folder: ro.txt (old copy in the Recycle Bin)",
                       "Copied to the Second Folder: ~mirv98-1-2-old notes.txt\r\n"});
    EXPECT_EQ(NewInTrash(), (std::map<std::string, size_t>{{"old upd", 1}, {"old nnn", 1}, {"old ro.", 1}}));
    EXPECT_EQ(NewNamesInTrash(), (std::multiset<std::string>{"upd-a.txt", longName, "ro.txt"}));

    // The user takes the new copy away and restores the old one from the bin: it is back under its own
    // name, and the next Load lists it.
    fs::remove(remote.path() / "upd-a.txt");
    std::vector<bool> back = bin.Restore({{remote.Core("upd-a.txt"), before, platform::CurrentFileTime(), 7}}, {});
    ASSERT_TRUE(back[0]);
    EXPECT_EQ(remote.Read("upd-a.txt"), "old upd");
    lists = engine_testing::Load(local.Core(), remote.Core());
    EXPECT_TRUE(lists.lUpdate1.empty());
    ASSERT_EQ(lists.rUpdate1.size(), 1u);
    EXPECT_EQ(lists.rUpdate1[0].text, "upd-a.txt");
}

// The shell's move runs beside the window, which goes on letting its messages run; a Stop that arrives
// meanwhile leaves no replaced file without its content and nothing unverified.
TEST_F(RecycleTest, TheWindowLetsItsMessagesRunWhileTheShellMovesAndAStopThenCutsNothingHalfWay) {
    ReplaceAndDelete();
    std::atomic<int> keptAlive{0};
    std::atomic<bool> moving{false}, heard{false};
    view.onKeepAlive = [&] {
        ++keptAlive;
        if (moving) view.stop = true;
    };
    // Were the move on the window's thread, it would wait here in vain.
    bin.whileMoving = [&] {
        moving = true;
        const int from = keptAlive;
        for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
             keptAlive < from + 3 && std::chrono::steady_clock::now() < until;)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        heard = heard || keptAlive >= from + 3;
    };
    counts = Sync({&bin, nullptr});
    EXPECT_TRUE(heard);
    EXPECT_TRUE(view.stop);
    EXPECT_EQ(counts.failed, 0);
    EXPECT_EQ(remote.Read("a.txt"), "new a");
    EXPECT_FALSE(fs::exists(remote.path() / "x.txt"));
    EXPECT_EQ(NewNamesInTrash(), (std::multiset<std::string>{"a.txt", "x.txt"}));
    EXPECT_EQ(NewInTrash(), (std::map<std::string, size_t>{{"old a", 1}, {"deleted x", 1}}));
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

TEST_F(RecycleTest, WhatTheShellDestroysIsNeverTakenForRecycledAndNothingGoesWithoutAWordThatNamedIt) {
    // A shell that deletes for good and says nothing: a file with a second name of the user's (its count
    // of names stays above one) and a read-only file are both put back and left in place.
    remote.Write("linked.txt", "has a second name");
    ASSERT_TRUE(platform::SystemFileOps().Link(remote.Core("linked.txt"), remote.Core("linked copy.txt")));
    remote.Write("ro.txt", "read-only");
    engine_testing::MakeReadOnly(remote.path() / "ro.txt");
    lists = engine_testing::Load(local.Core(), remote.Core());
    lists.lFileAdd1.Clear();
    for (const char* entry : {"linked.txt 1", "ro.txt 1"}) engine_testing::AddEntry(lists.rdelfile1, entry);
    bin.destroys = true;
    std::string text = Report({&bin, nullptr, true});
    EXPECT_EQ(remote.Read("linked.txt"), "has a second name");
    EXPECT_EQ(remote.Read("linked copy.txt"), "has a second name");
    EXPECT_EQ(remote.Read("ro.txt"), "read-only");
    EXPECT_TRUE(platform::SystemFileOps().Find(remote.Core("ro.txt"))->attributes & platform::kAttrReadOnly);
    EXPECT_FALSE(HasWorkFiles(remote.path()));
    ExpectLines(text, {"Left in place in the Second Folder: linked.txt (the Recycle Bin did not take it)",
                       "Left in place in the Second Folder: ro.txt (the Recycle Bin did not take it)"});
}

TEST_F(RecycleTest, AYesCoversTheDrivesItNamedAndWhatIsRefusedLaterIsAskedAgainWithNoAsTheDefault) {
    TempFolder other;
    remote.Write("full.txt", "on the drive whose bin is full");
    other.Write("later.txt", "refused only when given to the bin");
    // Two drives: the First Folder's bin is full, the Second's destroys what it is given.
    bin.kindOf = [&](std::string_view root) {
        return root == remote.Core() ? platform::BinVolume::Kind::Refuses : platform::BinVolume::Kind::Serves;
    };
    lists = engine_testing::Load(remote.Core(), other.Core());
    lists.rFileAdd1.Clear();
    lists.lFileAdd1.Clear();
    engine_testing::AddEntry(lists.ldelfile1, "full.txt 2");
    engine_testing::AddEntry(lists.rdelfile1, "later.txt 1");
    bin.destroys = true;
    view.answers = {true, false};
    engine::Removal removal(platform::SystemFileOps(), {&bin, nullptr}, view, remote.Core(), other.Core());
    removal.AskBeforehand(lists, remote.Core(), other.Core());
    engine::PrepareDeletion(lists, view, {});
    engine::DeleteItems(platform::SystemFileOps(), lists, remote.Core(), other.Core(), view, removal);
    removal.Finish();
    ASSERT_EQ(view.questions.size(), 2u);
    EXPECT_NE(view.questions[0].find("1 item on " + remote.path().filename().string() + ". Delete them for good?"),
              std::string::npos);
    EXPECT_NE(view.questions[1].find("1 item on " + other.path().filename().string() + "."), std::string::npos);
    EXPECT_EQ(view.noByDefault, (std::vector<bool>{true, true}));
    EXPECT_FALSE(remote.Exists("full.txt"));  // the Yes named it
    EXPECT_EQ(other.Read("later.txt"), "refused only when given to the bin");  // the second No kept it
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

// A drive whose bin the user turned off (here by the policy against recycling) counts as one without a
// bin, as Explorer treats it: an unattended Sync carries out its plan there, and the report says so.
TEST_F(RecycleTest, ABinTurnedOffByTheUserIsADriveWithoutOne) {
    constexpr const wchar_t* kPolicy = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
    DWORD on = 1;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kPolicy, L"NoRecycleFiles", REG_DWORD, &on, sizeof on), ERROR_SUCCESS);
    ReplaceAndDelete();
    std::string text = Report({&bin, nullptr, true});
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kPolicy, L"NoRecycleFiles");
    EXPECT_EQ(counts.failed, 0);
    EXPECT_EQ(remote.Read("a.txt"), "new a");
    EXPECT_FALSE(remote.Exists("x.txt"));
    ExpectLines(text, {"Replaced in the Second Folder: a.txt (old copy deleted for good: no Recycle Bin on this drive)",
                       "Deleted for good from the Second Folder: x.txt (no Recycle Bin on this drive)"});
    EXPECT_TRUE(NewInTrash().empty());
}
#endif

}  // namespace

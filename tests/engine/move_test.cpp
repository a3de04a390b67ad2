// Moves and renames carried over by the pair's memory, over real folders: what is planned, what the
// review commands make of a move, and what a Sync does with it.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/undo.h"
#include "review/commands.h"
#include "tests/engine/memory_fixture.h"

namespace {

namespace fs = std::filesystem;
using engine_testing::Texts;
using Entries = std::vector<std::string>;
using testing_support::TempFolder;

class Moves : public engine_testing::MemoryFixture {
protected:
    // The files on both sides, alike to the time, remembered in step by a Load and its (empty) Sync.
    void InStep(const Entries& paths) {
        for (const std::string& path : paths) {
            first.Write(path, "content of " + path);
            second.Write(path, "content of " + path);
            fs::last_write_time(second.path() / path, fs::last_write_time(first.path() / path));
        }
        Load();
        Sync();
    }
    // Moves a file or folder within one side, as Explorer does: the same file, another name.
    static void Move(const TempFolder& side, const std::string& from, const std::string& to) {
        fs::create_directories((side.path() / to).parent_path());
        fs::rename(side.path() / from, side.path() / to);
    }
    // The add list of a side: what it receives.
    const engine::ResultList& AddsInto(const TempFolder& side) const {
        return &side == &first ? lists.lFileAdd1 : lists.rFileAdd1;
    }
    // "to <- from" for each move planned into the side, "to" for each plain add.
    Entries Planned(const TempFolder& side) const {
        Entries out;
        const engine::ResultList& adds = AddsInto(side);
        for (size_t i = 0; i < adds.size(); ++i)
            out.push_back(adds[i].movedFrom.empty() ? adds[i].text : adds[i].text + " <- " + adds[i].movedFrom);
        return out;
    }
};

TEST_F(Moves, AFileRenamedOrMovedInOneFolderIsPlannedAsTheSameMoveInTheOther) {
    const struct {
        const char* name;
        bool inFirst;
        const char *from, *to;
        Entries planned;  // into the other side
    } cases[] = {
        {"renamed", true, "Docs/a.txt", "Docs/renamed.txt", {"Docs\\renamed.txt <- Docs\\a.txt"}},
        {"to another folder", false, "Docs/a.txt", "Other/a.txt", {"Other\\a.txt <- Docs\\a.txt"}},
        {"to a new folder", true, "Docs/a.txt", "New/Deep/a.txt", {"[New\\Deep]", "[New]", "New\\Deep\\a.txt <- Docs\\a.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(first.path() / "Docs"), fs::remove_all(second.path() / "Docs");
        app::ForgetPairMemory(first.Core(), second.Core());
        InStep({"Docs/a.txt", "Docs/b.txt", "Other/c.txt"});
        const TempFolder& moved = c.inFirst ? first : second;
        const TempFolder& other = c.inFirst ? second : first;
        Move(moved, c.from, c.to);
        Load();
        EXPECT_EQ(Planned(other), c.planned);
        EXPECT_TRUE(lists.ldelfile1.empty() && lists.rdelfile1.empty());
        EXPECT_EQ(AddsInto(other).TotalSize(), 0);  // nothing is copied
        ASSERT_EQ(plan->use.moves.size(), 1u);
        EXPECT_EQ(app::MemoryPanelText(*plan), "1 item moved or renamed: see Add Items");
        fs::remove_all(moved.path() / c.to), fs::remove_all(other.path() / "Docs" / "a.txt");
        fs::remove_all(first.path() / "New"), fs::remove_all(second.path() / "New");
    }
}

// A file the last Sync copied and then renamed where it came from: the copy's source is known by its
// identity, so the rename is found though the name is all new.
TEST_F(Moves, AFileCopiedByTheLastSyncThenRenamedWhereItCameFromIsAMove) {
    first.Write("draft.txt", "draft");
    Load();
    Sync();
    Move(first, "draft.txt", "final.txt");
    Load();
    EXPECT_EQ(Planned(second), (Entries{"final.txt <- draft.txt"}));
}

// A folder renamed, or moved under another one, with all it holds: one move of the folder.
TEST_F(Moves, AFolderRenamedOrMovedWithItsFilesIsOneMoveOfTheFolder) {
    // A thousand files natively; under Wine, where making a file takes a few milliseconds, two hundred.
#ifdef _WIN32
    constexpr int kFiles = 200;
#else
    constexpr int kFiles = 1000;
#endif
    Entries photos;
    for (int i = 0; i < kFiles; ++i) photos.push_back("Photos 2025/img" + std::to_string(i) + ".jpg");
    photos.push_back("Photos 2025/Raw/r.dng");
    photos.push_back("Archive/old.txt");
    InStep(photos);
    Move(first, "Photos 2025", "2025 Photos");
    Load();
    ASSERT_EQ(plan->use.moves.size(), 1u);
    EXPECT_EQ(plan->use.moves[0].from, "[Photos 2025]");
    EXPECT_EQ(plan->use.moves[0].to, "[2025 Photos]");
    EXPECT_EQ(lists.rFileAdd1.size(), kFiles + 3u);  // the folder, its subfolder and what they hold, each a move
    for (size_t i = 0; i < lists.rFileAdd1.size(); ++i) EXPECT_FALSE(lists.rFileAdd1[i].movedFrom.empty()) << lists.rFileAdd1.Text(i);
    EXPECT_TRUE(lists.ldelfile1.empty() && lists.rdelfile1.empty());

    // Moved under another folder, in the Second Folder this time.
    Move(first, "2025 Photos", "Photos 2025");
    Move(second, "Photos 2025", "Archive/Photos 2025");
    Load();
    ASSERT_EQ(plan->use.moves.size(), 1u);
    EXPECT_EQ(plan->use.moves[0].side, engine::Side::First);
    EXPECT_EQ(plan->use.moves[0].to, "[Archive\\Photos 2025]");
    EXPECT_TRUE(lists.ldelfile1.empty() && lists.rdelfile1.empty());
}

// A file moved and changed on the way, or copied (both places there): no move, planned as always.
TEST_F(Moves, AFileChangedOnTheWayOrCopiedIsNoMove) {
    InStep({"Docs/a.txt", "Docs/b.txt"});
    Move(first, "Docs/a.txt", "Other/a.txt");
    first.Write("Other/a.txt", "changed on the way");
    fs::copy_file(first.path() / "Docs" / "b.txt", first.path() / "Other" / "b.txt");
    Load();
    EXPECT_EQ(Planned(second), (Entries{"[Other]", "Other\\a.txt", "Other\\b.txt"}));
    EXPECT_EQ(Texts(lists.rdelfile1), (Entries{"Docs\\a.txt 1"}));
    EXPECT_TRUE(plan->use.moves.empty());
}

// Renamed on each side to another name: neither rename wins, both wait for the user, as a change made
// on both sides does.
TEST_F(Moves, ARenameOnBothSidesToDifferentNamesWaitsInBothIgnoreLists) {
    InStep({"a.txt", "b.txt"});
    Move(first, "a.txt", "first's name.txt");
    Move(second, "a.txt", "second's name.txt");
    Load();
    EXPECT_TRUE(lists.lFileAdd1.empty() && lists.rFileAdd1.empty());
    EXPECT_EQ(Texts(lists.lignfile1), (Entries{"first's name.txt 2"}));
    EXPECT_EQ(Texts(lists.rignfile1), (Entries{"second's name.txt 1"}));
    EXPECT_EQ(app::MemoryPanelText(*plan), "1 item renamed differently on both sides: see Ignore Items");
    Sync();
    Load();  // still waiting
    EXPECT_EQ(Texts(lists.lignfile1), (Entries{"first's name.txt 2"}));
}

// Where the volume keeps no identities (FAT): the same name, size and time in another folder is the
// moved file, but only where exactly one remembered file fits.
TEST_F(Moves, WithoutIdentitiesOnlyTheOneFileOfThatNameSizeAndTimeIsAMove) {
    files.noIdentities = true;
    InStep({"Docs/a.txt", "Docs/renamed-away.txt", "X/same.txt", "Y/same.txt"});
    fs::last_write_time(first.path() / "Y" / "same.txt", fs::last_write_time(first.path() / "X" / "same.txt"));
    fs::last_write_time(second.path() / "Y" / "same.txt", fs::last_write_time(first.path() / "X" / "same.txt"));
    Load();
    Sync();
    Move(first, "Docs/a.txt", "Other/a.txt");
    Move(first, "Docs/renamed-away.txt", "Docs/another name.txt");  // a rename: the name is all there is
    Move(first, "X/same.txt", "Z/same.txt");
    fs::remove(first.path() / "Y" / "same.txt");  // two candidates of that name, size and time
    Load();
    EXPECT_EQ(Planned(second), (Entries{"[Other]", "[Z]", "Docs\\another name.txt", "Other\\a.txt <- Docs\\a.txt", "Z\\same.txt"}));
    EXPECT_EQ(Texts(lists.rdelfile1), (Entries{"Docs\\renamed-away.txt 1", "X\\same.txt 1", "Y\\same.txt 1"}));
}

// Ignore leaves both places alone and Undo brings the move back; Delete falls back to what would be
// planned without moves: the new place deleted where it is, the old one where it was.
TEST_F(Moves, TheReviewCommandsOnAMove) {
    InStep({"Docs/a.txt", "Docs/b.txt"});
    Move(first, "Docs/a.txt", "Docs/renamed.txt");
    Load();
    ASSERT_EQ(Planned(second), (Entries{"Docs\\renamed.txt <- Docs\\a.txt"}));
    EXPECT_EQ(engine::ShownText(lists.rFileAdd1, 0), "Docs\\renamed.txt    (moved from Docs\\a.txt)");

    review::IgnoreEntries(lists, review::krFileAdd1, {0});
    EXPECT_TRUE(lists.rFileAdd1.empty() && lists.rdelfile1.empty());
    EXPECT_EQ(Texts(lists.lignfile1), (Entries{"Docs\\renamed.txt 2"}));
    review::UndoEntries(lists, review::klignfile1, {0}, platform::SystemFileOps(), first.Core(), second.Core());
    EXPECT_EQ(Planned(second), (Entries{"Docs\\renamed.txt <- Docs\\a.txt"}));

    review::DeleteEntries(lists, review::krFileAdd1, {0});
    EXPECT_EQ(Texts(lists.ldelfile1), (Entries{"Docs\\renamed.txt 2"}));
    EXPECT_EQ(Texts(lists.rdelfile1), (Entries{"Docs\\a.txt 1"}));
    review::UndoEntries(lists, review::kldelfile1, {0}, platform::SystemFileOps(), first.Core(), second.Core());
    EXPECT_EQ(Planned(second), (Entries{"Docs\\renamed.txt"}));
    EXPECT_EQ(lists.rFileAdd1[0].size, static_cast<engine::ByteCount>(std::string("content of Docs/a.txt").size()));
}

// What the volume knows each file in a folder by.
std::map<std::string, std::uint64_t> Identities(const fs::path& folder) {
    std::map<std::string, std::uint64_t> ids;
    platform::SystemFileOps().Enumerate(folder.string(), [&](const platform::FileInfo& e) { ids[e.name] = e.fileId; });
    return ids;
}

class UndoRecords final : public engine::UndoLog {
public:
    void BeginPair(std::string_view, std::string_view) override {}
    void Record(const engine::UndoRecord& r) override { records.push_back(r); }
    std::vector<engine::UndoRecord> records;
};

// A folder renamed with all it holds is renamed in the other folder too, in one step: the same files
// under the new name, nothing copied, nothing in the Recycle Bin; the undo renames it back.
TEST_F(Moves, AFolderMoveIsOneRenameThatTheUndoTakesBack) {
    InStep({"Photos 2025/a.jpg", "Photos 2025/b.jpg", "Photos 2025/Raw/c.dng", "Docs/d.txt"});
    const auto before = Identities(second.path() / "Photos 2025");
    Move(first, "Photos 2025", "2025 Photos");
    Move(first, "Docs/d.txt", "Docs/renamed.txt");
    Load();
    auto inTrash = [&] { return fs::exists(trash.folder() / "files") ? std::distance(fs::directory_iterator(trash.folder() / "files"), {}) : 0; };
    const auto trashed = inTrash();
    EXPECT_EQ(Sync().failed, 0);
    EXPECT_FALSE(second.Exists("Photos 2025"));
    EXPECT_EQ(Identities(second.path() / "2025 Photos"), before);
    EXPECT_EQ(second.Read("2025 Photos/Raw/c.dng"), "content of Photos 2025/Raw/c.dng");
    EXPECT_EQ(second.Read("Docs/renamed.txt"), "content of Docs/d.txt");
    EXPECT_EQ(inTrash(), trashed);
    size_t moved = 0, along = 0;
    for (const engine::ItemRecord& r : records) {
        moved += r.outcome == engine::Outcome::Moved;
        along += r.outcome == engine::Outcome::MovedAlong;
        EXPECT_TRUE(engine::Done(r.outcome)) << r.path;
    }
    EXPECT_EQ(moved, 2u);  // the folder and the file
    EXPECT_EQ(along, 4u);  // a.jpg, b.jpg, [Raw], Raw\c.dng
    Load();  // remembered where they are now
    EXPECT_TRUE(lists.lFileAdd1.empty() && lists.rFileAdd1.empty() && lists.ldelfile1.empty() && lists.rdelfile1.empty());

    engine_testing::RecordingView view;
    UndoRecords log;
    engine::UndoCounts counts = engine::UndoSync(platform::SystemFileOps(), {{first.Core(), second.Core(), records}}, view,
                                                 {&platform::SystemRecycleBin(), nullptr, true}, &log);
    EXPECT_EQ(counts.notUndone, 0);
    EXPECT_EQ(Identities(second.path() / "Photos 2025"), before);
    EXPECT_FALSE(second.Exists("2025 Photos"));
    EXPECT_TRUE(second.Exists("Docs/d.txt"));
    ASSERT_EQ(log.records.size(), 2u);
    EXPECT_EQ(log.records[0].outcome, engine::UndoOutcome::MovedBack);
}

// What does not check out at the Sync is copied as it would be without moves, and nothing is lost: a file
// changed at its old place since the Load, or a folder that gained a file since.
TEST_F(Moves, AMoveThatNoLongerChecksOutIsCopiedInstead) {
    InStep({"Docs/a.txt", "Docs/b.txt", "Box/x.txt", "Box/y.txt"});
    Move(first, "Docs/a.txt", "Docs/renamed.txt");
    Move(first, "Box", "Crate");
    Load();
    second.Write("Docs/a.txt", "changed at its old place");
    second.Write("Box/new since the Load.txt", "new");
    EXPECT_EQ(Sync().failed, 0);
    EXPECT_EQ(second.Read("Docs/a.txt"), "changed at its old place");
    EXPECT_EQ(second.Read("Docs/renamed.txt"), "content of Docs/a.txt");  // copied
    // The folder stays where it was with what it gained; its files were moved one by one.
    EXPECT_TRUE(second.Exists("Box/new since the Load.txt"));
    EXPECT_FALSE(second.Exists("Box/x.txt"));
    EXPECT_EQ(second.Read("Crate/x.txt"), "content of Box/x.txt");
}

}  // namespace

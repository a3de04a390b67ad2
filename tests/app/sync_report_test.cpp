#include <gtest/gtest.h>

#include <chrono>

#include "app/sync_journal.h"
#include "app/sync_report.h"
#include "platform/file_system.h"
#include "tests/support/test_support.h"

namespace {

using engine::Outcome;
using engine::Side;

platform::LocalTime At(int minute) { return {2026, 12, 7, 16, minute, 1}; }

// The file time of a moment in UTC.
platform::FileTime Utc(int year, unsigned month, unsigned day, int hour, int minute, int second = 0) {
    using namespace std::chrono;
    auto days = sys_days{std::chrono::year{year} / month / day}.time_since_epoch();
    std::int64_t seconds = duration_cast<std::chrono::seconds>(days).count() + hour * 3600 + minute * 60 + second;
    return (seconds + 11'644'473'600) * 10'000'000;
}

TEST(SyncReport, TotalsAtTheTopThenALinePerItemUnderItsPair) {
    app::SyncReport report(At(30), {}, true, Utc(2026, 12, 7, 15, 30, 1));
    report.BeginPair("C:\\Work", "D:\\Backup");
    report.Record({Outcome::Copied, Side::Second, "Sub\\b.txt", false, false, ""});
    report.Record({Outcome::Replaced, Side::First, "d.txt", false, false, "old copy in the Recycle Bin"});
    report.Record({Outcome::Recycled, Side::Second, "Old", true, true, ""});
    report.Record({Outcome::Failed, Side::First, "c.txt", false, false, "Access is denied"});
    report.Record({Outcome::Stopped, Side::Second, "e.txt", false, true, ""});
    // Kept in memory only: no journal, and no mark of one anywhere.
    EXPECT_EQ(report.Intend({engine::WorkIntent::Kind::Copy, Side::Second, "x.txt", "~mirv98-1-1.tmp", {}, {}, {}}), 0);
    EXPECT_FALSE(platform::FileExists(app::OpenMarkOf("")));
    report.End(At(31));
    std::string text = report.Text();
    for (const char* line : {"Started: 2026-12-07 16:30:01\r\n", "Ended: 2026-12-07 16:31:01\r\n",
                             "Done: 3 (1 copied, 1 replaced, 0 folders created, 1 moved to the Recycle Bin, 0 deleted "
                             "for good)\r\n",
                             "Not done: 2 (1 failed, 0 changed since the Load, 0 answered No, 1 stopped, 0 folders kept, "
                             "0 left in place)\r\n",
                             "\r\nFirst Folder: C:\\Work\r\nSecond Folder: D:\\Backup\r\n",
                             "Copied to the Second Folder: Sub\\b.txt\r\n",
                             "Replaced in the First Folder: d.txt (old copy in the Recycle Bin)\r\n",
                             "Moved to the Recycle Bin from the Second Folder: [Old]\r\n",
                             "Not copied to the First Folder: c.txt (Access is denied)\r\n",
                             "Not deleted from the Second Folder: e.txt (stopped)\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    EXPECT_LT(text.find("Done:"), text.find("Copied to"));
    EXPECT_EQ(report.FileName(), "Sync 2026-12-07 15-30-01 UTC.txt");
}

TEST(SyncReport, SavedWithAByteOrderMarkAndOnlyTheNewestFiftyKept) {
    testing_support::TempFolder folder;
    platform::FileOps& files = platform::SystemFileOps();
    std::string reports = folder.Core("Mirravel\\Reports");
    EXPECT_FALSE(app::NewestReport(files, reports));
    for (int i = 0; i < 51; ++i) {
        app::SyncReport report({2026, 1 + i / 28, 1 + i % 28, 9, 0, 0}, {}, true,
                               Utc(2026, 1 + i / 28, 1 + i % 28, 8, 0));
        ASSERT_TRUE(app::SaveReport(files, reports, report));
    }
    int count = 0;
    files.Enumerate(reports, [&](const platform::FileInfo&) { ++count; });
    EXPECT_EQ(count, 50);
    EXPECT_FALSE(folder.Exists("Mirravel/Reports/Sync 2026-01-01 08-00-00 UTC.txt"));  // the oldest went
    EXPECT_EQ(app::NewestReport(files, reports), reports + "\\Sync 2026-02-23 08-00-00 UTC.txt");
    EXPECT_EQ(folder.Read("Mirravel/Reports/Sync 2026-02-23 08-00-00 UTC.txt").substr(0, 3), "\xEF\xBB\xBF");

    // A second report started in the same second does not replace the first.
    app::SyncReport again({2026, 2, 23, 9, 0, 0}, {}, true, Utc(2026, 2, 23, 8, 0));
    ASSERT_TRUE(app::SaveReport(files, reports, again));
    EXPECT_EQ(again.savedPath, reports + "\\Sync 2026-02-23 08-00-00 UTC_02.txt");
    EXPECT_EQ(app::NewestReport(files, reports), again.savedPath);
}

TEST(SyncReport, WrittenAsTheSyncGoesWithAJournalThatReadsBackEveryItem) {
    testing_support::TempFolder folder;
    std::string reports = folder.Core("Reports");
    app::SyncReport report(At(30), reports);
    report.BeginPair("C:\\Work", "D:\\Backup");
    engine::ItemRecord replaced(Outcome::Replaced, Side::Second, "Sub\\a b.txt", false, false,
                                "old copy in the Recycle Bin");
    replaced.before = {true, false, 10, 133'000'000'000'000'000};
    replaced.after = {true, false, 12, 134'000'000'000'000'000};
    replaced.binPath = "D:\\Backup\\Sub\\~mirv98-1-2-old a b.txt";
    replaced.recycledFrom = 135;
    replaced.recycledUntil = 136;
    engine::WorkIntent intent{engine::WorkIntent::Kind::Replace, Side::Second, "Sub\\a b.txt", "~mirv98-1-3.tmp",
                              "~mirv98-1-4-old a b.txt", replaced.before, replaced.after};
    replaced.intent = report.Intend(intent);
    report.Record(replaced);
    intent.path = "c.txt";
    const int cutOff = report.Intend(intent);  // its record never comes
    engine::ItemRecord made(Outcome::FolderCreated, Side::First, "New", true, false);
    made.after = {true, true, 0, 0};
    made.extra = true;
    report.Record(made);

    // Before the end, as a crash would leave them: the item lines are there, the totals are not.
    std::string text, journalText;
    ASSERT_EQ(platform::ReadWholeFile(report.savedPath, text), platform::ReadStatus::Ok);
    EXPECT_NE(text.find("Replaced in the Second Folder: Sub\\a b.txt (old copy in the Recycle Bin)\r\n"),
              std::string::npos);
    EXPECT_EQ(text.find("Done:"), std::string::npos);
    ASSERT_EQ(platform::ReadWholeFile(app::JournalPath(report.savedPath), journalText), platform::ReadStatus::Ok);
    auto journal = app::ParseJournal(journalText + "item\tcopied\t1\tF\t0\t0\t-\t5:6\t\t0\t0\tcut off her");
    ASSERT_TRUE(journal);
    EXPECT_EQ(journal->ended, 0);
    EXPECT_EQ(journal->startedLocal.minute, 30);
    ASSERT_EQ(journal->pairs.size(), 1u);
    EXPECT_EQ(journal->pairs[0].second, "D:\\Backup");
    ASSERT_EQ(journal->pairs[0].items.size(), 2u);  // the line without its end is not taken
    const engine::ItemRecord& back = journal->pairs[0].items[0];
    EXPECT_EQ(back.outcome, Outcome::Replaced);
    EXPECT_EQ(back.path, replaced.path);
    EXPECT_EQ(back.before, replaced.before);
    EXPECT_EQ(back.after, replaced.after);
    EXPECT_EQ(back.binPath, replaced.binPath);
    EXPECT_EQ(back.recycledUntil, 136);
    EXPECT_TRUE(journal->pairs[0].items[1].extra && journal->pairs[0].items[1].after.folder);
    // The work announced and never ended is what a cut-off run left: its files by name.
    ASSERT_EQ(journal->open.size(), 1u);
    EXPECT_EQ(journal->open[0].id, cutOff);
    EXPECT_EQ(journal->open[0].intent.path, "c.txt");
    EXPECT_EQ(journal->open[0].intent.second, "~mirv98-1-4-old a b.txt");
    EXPECT_EQ(journal->open[0].intent.copy, replaced.after);
    EXPECT_EQ(app::OpenJournals(platform::SystemFileOps(), reports), std::vector<std::string>{app::JournalPath(report.savedPath)});

    report.End(At(31));
    ASSERT_TRUE(app::SaveReport(platform::SystemFileOps(), reports, report));
    ASSERT_EQ(platform::ReadWholeFile(report.savedPath, text), platform::ReadStatus::Ok);
    EXPECT_LT(text.find("Done: 2"), text.find("Replaced in"));
    ASSERT_EQ(platform::ReadWholeFile(app::JournalPath(report.savedPath), journalText), platform::ReadStatus::Ok);
    EXPECT_NE(app::ParseJournal(journalText)->ended, 0);
}

TEST(SyncReport, NamedByUtcSoTheRepeatedHourAndAnEarlierVersionsLocalNamesSortRight) {
    testing_support::TempFolder folder;
    platform::FileOps& files = platform::SystemFileOps();
    std::string reports = folder.Core("Reports");
    // An earlier version's report, named by local time "later" in the day than the new ones.
    folder.Write("Reports/Sync 2026-10-25 23-59-00.txt", "an earlier version's report");
    folder.Write("Reports/Sync 2026-10-25 23-59-00.journal", "mirravel journal\t1\r\n");
    // In autumn's repeated hour: 02:30 local summer time, then 02:10 local winter time, 40 minutes later.
    app::SyncReport first({2026, 10, 25, 2, 30, 0}, reports, false, Utc(2026, 10, 25, 0, 30));
    first.End({2026, 10, 25, 2, 31, 0});
    app::SyncReport second({2026, 10, 25, 2, 10, 0}, reports, false, Utc(2026, 10, 25, 1, 10));
    second.End({2026, 10, 25, 2, 11, 0});
    // The journal is kept with reports off; Undo Last Sync finds the newest one.
    EXPECT_FALSE(folder.Exists("Reports/Sync 2026-10-25 01-10-00 UTC.txt"));
    EXPECT_EQ(app::UndoableJournal(files, reports), reports + "\\Sync 2026-10-25 01-10-00 UTC.journal");
    EXPECT_EQ(app::NewestReport(files, reports), reports + "\\Sync 2026-10-25 23-59-00.txt");
}

TEST(SyncReport, AJournalThatCannotBeWrittenLeavesNoOlderSyncToUndo) {
    testing_support::TempFolder folder;
    platform::FileOps& files = platform::SystemFileOps();
    std::string reports = folder.Core("Reports");
    app::SyncReport older(At(10), reports, false, Utc(2026, 12, 7, 15, 10));
    older.End(At(11));
    ASSERT_TRUE(app::UndoableJournal(files, reports));
    // Where the next journal's mark would go stands a folder: the journal cannot be kept.
    folder.Write("Reports/Sync 2026-12-07 15-20-00 UTC.journal.open/x", "in the way");
    app::SyncReport failing(At(20), reports, false, Utc(2026, 12, 7, 15, 20));
    failing.BeginPair("C:\\Work", "D:\\Backup");
    EXPECT_TRUE(failing.JournalFailed());
    EXPECT_FALSE(app::UndoableJournal(files, reports));
}

// A folder moved with its files is one line of the report; the journal holds each item, to be undone.
TEST(SyncReport, AMoveIsOneLineAndEveryItemOfItIsInTheJournal) {
    testing_support::TempFolder folder;
    app::SyncReport report(At(30), folder.Core("Reports"));
    report.BeginPair("C:\\Work", "D:\\Backup");
    engine::ItemRecord moved(Outcome::Moved, Side::Second, "2025 Photos", true, false);
    moved.movedFrom = "Photos 2025";
    moved.before = moved.after = {true, true, 0, 0};
    engine::ItemRecord along(Outcome::MovedAlong, Side::Second, "2025 Photos\\a.jpg", false, false);
    along.movedFrom = "Photos 2025\\a.jpg";
    along.before = along.after = {true, false, 3, 133'000'000'000'000'000};
    report.Record(moved);
    report.Record(along);
    report.End(At(31));
    std::string text = report.Text(), journalText;
    EXPECT_NE(text.find("Done: 2 (0 copied, 0 replaced, 0 folders created, 0 moved to the Recycle Bin, 0 deleted for good, "
                        "2 moved or renamed)\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\r\nMoved in the Second Folder: Photos 2025 \u2192 2025 Photos\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("a.jpg"), std::string::npos);
    ASSERT_EQ(platform::ReadWholeFile(app::JournalPath(report.savedPath), journalText), platform::ReadStatus::Ok);
    auto journal = app::ParseJournal(journalText);
    ASSERT_TRUE(journal && journal->pairs.size() == 1 && journal->pairs[0].items.size() == 2);
    for (const engine::ItemRecord* r : {&moved, &along}) {
        const engine::ItemRecord& back = journal->pairs[0].items[r == &moved ? 0 : 1];
        EXPECT_EQ(back.outcome, r->outcome);
        EXPECT_EQ(back.path, r->path);
        EXPECT_EQ(back.movedFrom, r->movedFrom);
        EXPECT_EQ(back.folder, r->folder);
        EXPECT_EQ(back.after, r->after);
    }
}

}  // namespace

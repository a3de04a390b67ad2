#include <gtest/gtest.h>

#include "app/sync_journal.h"
#include "app/sync_report.h"
#include "platform/file_system.h"
#include "tests/support/test_support.h"

namespace {

using engine::Outcome;
using engine::Side;

platform::LocalTime At(int minute) { return {2026, 12, 7, 16, minute, 1}; }

TEST(SyncReport, TotalsAtTheTopThenALinePerItemUnderItsPair) {
    app::SyncReport report(At(30));
    report.BeginPair("C:\\Work", "D:\\Backup");
    report.Record({Outcome::Copied, Side::Second, "Sub\\b.txt", false, false, ""});
    report.Record({Outcome::Replaced, Side::First, "d.txt", false, false, "old copy in the Recycle Bin"});
    report.Record({Outcome::Recycled, Side::Second, "Old", true, true, ""});
    report.Record({Outcome::Failed, Side::First, "c.txt", false, false, "Access is denied"});
    report.Record({Outcome::Stopped, Side::Second, "e.txt", false, true, ""});
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
    EXPECT_EQ(report.FileName(), "Sync 2026-12-07 16-30-01.txt");
}

TEST(SyncReport, SavedWithAByteOrderMarkAndOnlyTheNewestFiftyKept) {
    testing_support::TempFolder folder;
    platform::FileOps& files = platform::SystemFileOps();
    std::string reports = folder.Core("Mirravel\\Reports");
    EXPECT_FALSE(app::NewestReport(files, reports));
    for (int i = 0; i < 51; ++i) {
        app::SyncReport report({2026, 1 + i / 28, 1 + i % 28, 9, 0, 0});
        ASSERT_TRUE(app::SaveReport(files, reports, report));
    }
    int count = 0;
    files.Enumerate(reports, [&](const platform::FileInfo&) { ++count; });
    EXPECT_EQ(count, 50);
    EXPECT_FALSE(folder.Exists("Mirravel/Reports/Sync 2026-01-01 09-00-00.txt"));  // the oldest went
    EXPECT_EQ(app::NewestReport(files, reports), reports + "\\Sync 2026-02-23 09-00-00.txt");
    EXPECT_EQ(folder.Read("Mirravel/Reports/Sync 2026-02-23 09-00-00.txt").substr(0, 3), "\xEF\xBB\xBF");

    // A second report started in the same second does not replace the first.
    app::SyncReport again({2026, 2, 23, 9, 0, 0});
    ASSERT_TRUE(app::SaveReport(files, reports, again));
    EXPECT_EQ(again.savedPath, reports + "\\Sync 2026-02-23 09-00-00_02.txt");
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
    report.Record(replaced);
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

    report.End(At(31));
    ASSERT_TRUE(app::SaveReport(platform::SystemFileOps(), reports, report));
    ASSERT_EQ(platform::ReadWholeFile(report.savedPath, text), platform::ReadStatus::Ok);
    EXPECT_LT(text.find("Done: 2"), text.find("Replaced in"));
    ASSERT_EQ(platform::ReadWholeFile(app::JournalPath(report.savedPath), journalText), platform::ReadStatus::Ok);
    EXPECT_NE(app::ParseJournal(journalText)->ended, 0);
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

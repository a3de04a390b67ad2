#include <gtest/gtest.h>

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
                             "Not done: 2 (1 failed, 0 changed since the Load, 0 answered No, 1 stopped, 0 folders kept)\r\n",
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

}  // namespace

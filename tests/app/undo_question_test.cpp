#include <gtest/gtest.h>

#include "app/undo_question.h"

namespace {

using engine::ItemRecord;
using engine::Outcome;
using engine::Side;

// older.txt's old copy went to the Recycle Bin; kept.txt's and stick.txt were deleted for good.
ItemRecord Done(Outcome outcome, const char* path, bool folder = false, bool wasThere = false) {
    ItemRecord r(outcome, Side::Second, path, folder, outcome == Outcome::Recycled || outcome == Outcome::Deleted);
    r.before.present = wasThere;
    if (std::string_view(path) == "older.txt") r.binPath = "D:\\Backup1\\~old";
    return r;
}

engine::PairRecords Pair(int i, std::vector<ItemRecord> items = {}) {
    return {"C:\\Work" + std::to_string(i), "D:\\Backup" + std::to_string(i), std::move(items)};
}

TEST(UndoQuestion, SaysWhatGoesWhatComesBackAndWhatStays) {
    std::vector<engine::PairRecords> pairs = {
        Pair(1, {Done(Outcome::Copied, "new.txt"), Done(Outcome::FolderCreated, "New", true),
                 Done(Outcome::Replaced, "older.txt", false, true), Done(Outcome::Recycled, "gone.txt", false, true),
                 Done(Outcome::Deleted, "Old", true, true), Done(Outcome::Failed, "locked.txt"),
                 Done(Outcome::Deleted, "stick.txt", false, true), Done(Outcome::Replaced, "kept.txt", false, true)}),
        Pair(2, {Done(Outcome::Copied, "more.txt")})};
    app::UndoSummary summary = app::SummariseUndo(pairs);
    EXPECT_EQ(summary.removes, 3u);
    EXPECT_EQ(summary.bringsBack, 3u);
    EXPECT_EQ(summary.lost, 2u);
    std::string text = app::UndoQuestion({2026, 12, 7, 16, 30, 1}, pairs);
    EXPECT_EQ(text.rfind("Undo the Sync started ", 0), 0u);
    for (const char* line : {"?\r\n\r\nIt removes 3 new copies the Sync made, to the Recycle Bin.\r\n"
                             "It brings back 3 items the Sync replaced or deleted, from the Recycle Bin.\r\n"
                             "2 items the Sync deleted for good cannot be put back.\r\n"
                             "Files changed since the Sync are left as they are.\r\n",
                             "\r\nFirst Folder: C:\\Work1\r\nSecond Folder: D:\\Backup1\r\n",
                             "\r\nFirst Folder: C:\\Work2\r\nSecond Folder: D:\\Backup2\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    EXPECT_EQ(text.find("more"), std::string::npos);
}

// However many pairs a multi-directory run synced, the box stays the height of five.
TEST(UndoQuestion, NamesFivePairsThenHowManyMore) {
    for (auto [count, more] : {std::pair{6, "and 1 more folder pair.\r\n"}, std::pair{30, "and 25 more folder pairs.\r\n"}}) {
        std::vector<engine::PairRecords> pairs;
        for (int i = 0; i < count; ++i) pairs.push_back(Pair(i, {Done(Outcome::Copied, "a")}));
        std::string text = app::UndoQuestion({2026, 12, 7, 16, 30, 1}, pairs);
        EXPECT_NE(text.find("Second Folder: D:\\Backup4\r\n\r\n" + std::string(more)), std::string::npos) << text;
        EXPECT_EQ(text.find("D:\\Backup5"), std::string::npos);
    }
}

}  // namespace

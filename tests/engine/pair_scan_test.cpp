#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "engine/scan.h"
#include "tests/engine/engine_fakes.h"
#include "tests/support/test_support.h"

namespace {

TEST(PairScan, BothSidesScannedAndSortedAsOneAfterTheOther) {
    testing_support::TempFolder first, second;
    for (const char* name : {"b.txt", "A\\c.txt", "a.txt", "Z.txt"}) first.Write(name, "12345");
    for (const char* name : {"y.txt", "[x].txt", "1.txt"}) second.Write(name, "1");
    engine::ScanOptions options;
    options.useSubfolders = true;
    engine::SyncLists lists;
    engine::ByteTotals totals;
    engine::ScanAndSortPair(platform::SystemFileOps(),
                            {first.Core() + "\\*.*", first.Core(), second.Core() + "\\*.*", second.Core()}, options,
                            lists, totals);

    engine::ItemList local, remote;
    engine::ByteCount localTotal = 0, remoteTotal = 0;
    engine::ScanFolder(platform::SystemFileOps(), first.Core() + "\\*.*", first.Core(), options, local, localTotal);
    engine::ScanFolder(platform::SystemFileOps(), second.Core() + "\\*.*", second.Core(), options, remote, remoteTotal);
    local.SetSorted(true);
    remote.SetSorted(true);
    ASSERT_EQ(lists.lvLocal.size(), local.size());
    ASSERT_EQ(lists.lvRemote.size(), remote.size());
    for (size_t i = 0; i < local.size(); ++i) EXPECT_EQ(lists.lvLocal.Text(i), local.Text(i));
    for (size_t i = 0; i < remote.size(); ++i) EXPECT_EQ(lists.lvRemote.Text(i), remote.Text(i));
    EXPECT_TRUE(lists.lvLocal.Sorted() && lists.lvRemote.Sorted());
    EXPECT_EQ(totals.local.item, 20);
    EXPECT_EQ(totals.remote.item, 3);
}

TEST(PairScan, TheCallerGoesOnWaitingWhileTheScansRun) {
    testing_support::TempFolder first, second;
    first.Write("Sub/a.txt", "a");
    second.Write("b.txt", "b");
    engine::SyncLists lists;
    lists.lvLocal.Append("LEFT OVER", false, 0, 0, 0);  // replaced, not added to
    engine::ByteTotals totals;
    std::atomic<int> waits{0};
    engine_testing::FaultyFileOps files;
    // Each side's scan holds on until the caller has waited a few times: a scan that ran on the
    // caller's thread would never see that happen.
    files.beforeEnumerate = [&](std::string_view) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (waits < 3 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    engine::ScanOptions options;
    options.useSubfolders = true;
    engine::ScanAndSortPair(files, {first.Core() + "\\*.*", first.Core(), second.Core() + "\\*.*", second.Core()},
                            options, lists, totals, [&] { ++waits; });
    EXPECT_GE(waits, 3);
    ASSERT_EQ(lists.lvLocal.size(), 2u);
    EXPECT_EQ(lists.lvLocal.Text(0), "[SUB]");
    EXPECT_EQ(lists.lvRemote.Text(0), "B.TXT");
    EXPECT_EQ(totals.local.item + totals.remote.item, 2);
}

}  // namespace

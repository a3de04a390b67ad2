#pragma once
// A folder pair over real folders with the option to remember each Sync: Loads and Syncs as the run
// makes them, through the platform stand-in, with the volumes each side is on made up.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/pair_memory_store.h"
#include "engine/delete.h"
#include "engine/memory_pass.h"
#include "engine/removal.h"
#include "engine/scan.h"
#include "engine/update.h"
#include "platform/recycle_bin.h"
#include "tests/engine/engine_fakes.h"
#include "tests/support/test_support.h"

namespace engine_testing {

using testing_support::TempFolder;

inline std::vector<std::string> Texts(const engine::CodedList& list) {
    std::vector<std::string> out;
    for (size_t i = 0; i < list.size(); ++i) out.push_back(list.Text(i));
    return out;
}

inline std::vector<std::string> Texts(const engine::ResultList& list) {
    std::vector<std::string> out;
    for (size_t i = 0; i < list.size(); ++i) out.push_back(list.Text(i));
    return out;
}

class Collect final : public engine::SyncLog {
public:
    void Record(const engine::ItemRecord& r) override { records.push_back(r); }
    std::vector<engine::ItemRecord> records;
};

class MemoryFixture : public ::testing::Test {
protected:
    void SetUp() override {
        if (!trash.usable()) GTEST_SKIP() << "XDG_DATA_HOME names no trash of the test run";
    }

    // A Load as the run makes it with the option on: both folders scanned (through the stand-in), the
    // memory read for the volumes the folders are on, the evaluation and the memory's pass.
    void Load(bool mirror = false, std::uint64_t secondVolume = kSecondVolume) {
        lists = {};
        engine::ByteTotals totals;
        engine::ScanOptions options;
        options.useSubfolders = true;
        passed = engine::ScanAndSortPair(files, {first.Core() + "\\*.*", first.Core(), second.Core() + "\\*.*", second.Core()},
                                         options, lists, totals);
        plan = app::StartPlanMemory(first.Core(), second.Core(), kFirstVolume, secondVolume);
        RecordingView view;
        engine::EvaluateWithMemory(lists, mirror, totals, view, false, &plan->use, passed.notRead);
    }
    // An automatic Sync of the plan, then the memory stored as the run stores it.
    engine::StepCounts Sync(int stopAt = 0) {
        RecordingView view;
        view.stopAtMessageCall = stopAt;
        Collect kept;
        engine::SyncOptions options{&platform::SystemRecycleBin(), &kept, true};
        engine::Removal removal(platform::SystemFileOps(), options, view, first.Core(), second.Core());
        engine::UpdateItems(platform::SystemFileOps(), lists, first.Core(), second.Core(), view, removal);
        engine::PrepareDeletion(lists, view, options);
        engine::DeleteItems(platform::SystemFileOps(), lists, first.Core(), second.Core(), view, removal);
        removal.Finish();
        records = kept.records;
        plan->use.memory.Apply(kept.records, lists.lvLocal, lists.lvRemote);
        EXPECT_TRUE(app::WritePairMemory(first.Core(), second.Core(), plan->use.memory));
        return removal.Counts();
    }
    // Both folders with a.txt, b.txt and Old\x.txt, synced once: the memory holds them.
    void InStepOnce() {
        first.Write("a.txt", "a");
        first.Write("b.txt", "b");
        first.Write("Old/x.txt", "x");
        Load();
        EXPECT_FALSE(plan->use.remembered);  // the pair's first Sync
        Sync();
        Load();
        ASSERT_TRUE(plan->use.remembered);
        ASSERT_EQ(plan->use.memory.size(), 4u);
    }
    void Edit(const TempFolder& side, const char* name, const char* text, int daysAgo = 0) {
        side.Write(name, text);
        if (daysAgo) side.Age(name, daysAgo);
    }

    static constexpr std::uint64_t kFirstVolume = 0x1234abcd, kSecondVolume = 0x5678ef01;
    TempFolder first, second;
    engine_testing::FaultyFileOps files;
    engine::SyncLists lists;
    engine::PassedOver passed;
    std::unique_ptr<app::PlanMemory> plan;
    std::vector<engine::ItemRecord> records;  // the last Sync's
    engine_testing::TestTrash trash;
};

}  // namespace engine_testing

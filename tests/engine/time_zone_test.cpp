// Times around a daylight-saving switch. The InBerlin cases need the zone Europe/Berlin; CTest runs
// them once more with TZ set to it (core_tests_berlin), and elsewhere they are skipped.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "engine/update.h"
#include "platform/clock.h"
#include "tests/engine/engine_fakes.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::TempFolder;

constexpr platform::FileTime FromUnix(std::int64_t seconds) { return (seconds + 11'644'473'600LL) * 10'000'000LL; }

// 2026-10-25, the night daylight saving ends: 02:40 summer time, then 40 minutes later 02:20 winter time.
constexpr platform::FileTime kSummer0240 = FromUnix(1'792'888'800), kWinter0220 = FromUnix(1'792'891'200);

void SetLastWrite(const TempFolder& folder, const std::string& relative, platform::FileTime time) {
    using namespace std::chrono;
    sys_seconds at{seconds{time / 10'000'000 - 11'644'473'600LL}};
    std::filesystem::last_write_time(folder.path() / relative, file_clock::from_sys(at));
}

bool InBerlinTime() {
    platform::LocalTime january = platform::ToLocalTime(FromUnix(1'768'478'400));  // 2026-01-15 12:00 UTC
    platform::LocalTime july = platform::ToLocalTime(FromUnix(1'784'116'800));     // 2026-07-15 12:00 UTC
    return january.hour == 13 && july.hour == 14;
}

class InBerlin : public ::testing::Test {
protected:
    void SetUp() override {
        if (!InBerlinTime()) GTEST_SKIP() << "needs TZ=Europe/Berlin";
    }
    TempFolder local, remote;
};

TEST_F(InBerlin, TheLaterWriteInTheRepeatedHourWins) {
    for (const char* name : {"remote-later.txt", "local-later.txt"}) {
        local.Write(name, "local");
        remote.Write(name, "remote");
    }
    SetLastWrite(local, "remote-later.txt", kSummer0240);
    SetLastWrite(remote, "remote-later.txt", kWinter0220);
    SetLastWrite(local, "local-later.txt", kWinter0220);
    SetLastWrite(remote, "local-later.txt", kSummer0240);
    engine::SyncLists lists = engine_testing::Load(local.Core(), remote.Core());
    ASSERT_EQ(lists.lUpdate1.size(), 1u);
    EXPECT_EQ(lists.lUpdate1.Text(0), "remote-later.txt");
    ASSERT_EQ(lists.rUpdate1.size(), 1u);
    EXPECT_EQ(lists.rUpdate1.Text(0), "local-later.txt");
}

// A Load before the switch packed every time an hour away from what a Load after it packs; the Sync
// after the switch still finds every destination as the Load saw it.
TEST(TimeZone, ASwitchBetweenLoadAndSyncChangesNothing) {
    TempFolder local, remote;
    local.Write("a.txt", "newer");
    remote.Write("a.txt", "older");
    SetLastWrite(local, "a.txt", kWinter0220);
    SetLastWrite(remote, "a.txt", kSummer0240);
    engine::SyncLists lists = engine_testing::Load(local.Core(), remote.Core());
    ASSERT_EQ(lists.rUpdate1.size(), 1u);
    engine::ItemList shifted;
    for (size_t i = 0; i < lists.lvRemote.size(); ++i) {
        engine::ItemEntry entry = lists.lvRemote[i];
        if (!entry.folder) entry.time = platform::PackFileTime(entry.lastWrite + 36'000'000'000LL);
        shifted.Append(entry);
    }
    lists.lvRemote = std::move(shifted);
    engine_testing::RecordingView view;
    EXPECT_EQ(engine::UpdateItems(platform::SystemFileOps(), lists, local.Core(), remote.Core(), view).failed, 0);
    EXPECT_EQ(remote.Read("a.txt"), "newer");
}

}  // namespace

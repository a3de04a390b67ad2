#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/evaluate.h"
#include "platform/clock.h"
#include "tests/engine/engine_fakes.h"

namespace {

using engine::ResultList;
using engine::SyncLists;
using engine_testing::RecordingView;

constexpr std::uint32_t kOld = platform::PackDosTime({2020, 5, 1, 10, 0, 0});
constexpr std::uint32_t kOlder = platform::PackDosTime({2019, 5, 1, 10, 0, 0});
constexpr std::uint32_t kNew = platform::PackDosTime({2021, 5, 1, 10, 0, 0});

std::vector<std::string> Texts(const ResultList& list) {
    std::vector<std::string> texts;
    for (size_t i = 0; i < list.size(); ++i) texts.push_back(list.Text(i));
    return texts;
}

using Texts_ = std::vector<std::string>;

class EvaluateTest : public ::testing::Test {
protected:
    SyncLists lists;
    engine::ByteTotals totals;
    RecordingView view;

    // Entries as the scan makes them: a folder's in brackets.
    void Local(std::string path, std::uint32_t time = kOld, engine::ByteCount size = 10) {
        lists.lvLocal.Append(path, path.starts_with('['), time, 0, size);
    }
    void Remote(std::string path, std::uint32_t time = kOld, engine::ByteCount size = 10) {
        lists.lvRemote.Append(path, path.starts_with('['), time, 0, size);
    }
    void Evaluate(bool mirror) {
        lists.lvLocal.SetSorted(true);
        lists.lvRemote.SetSorted(true);
        engine::EvaluateFolders(lists, mirror, totals, view);
    }
    void AllCases() {
        Local("NewerRemote.txt", kOld, 1);
        Remote("NewerRemote.txt", kNew, 2);
        Local("NewerLocal.txt", kNew, 4);
        Remote("NewerLocal.txt", kOld, 8);
        Local("Same.txt", kOld, 16);
        Remote("Same.txt", kOld, 32);
        Local("[Both]", 0, 0);
        Remote("[Both]", 0, 0);
        Remote("[OnlyRemote]", 0, 0);
        Remote("OnlyRemote\\r.txt", kOld, 64);
        Local("[OnlyLocal]", 0, 0);
        Local("OnlyLocal\\l.txt", kOld, 128);
    }
};

TEST_F(EvaluateTest, OutcomeTableWithMirrorOff) {
    AllCases();
    Evaluate(false);
    EXPECT_EQ(Texts(lists.lUpdate1), (Texts_{"NewerRemote.txt"}));
    EXPECT_EQ(Texts(lists.rUpdate1), (Texts_{"NewerLocal.txt"}));
    EXPECT_EQ(Texts(lists.lFileAdd1), (Texts_{"[OnlyRemote]", "OnlyRemote\\r.txt"}));
    EXPECT_EQ(Texts(lists.rFileAdd1), (Texts_{"[OnlyLocal]", "OnlyLocal\\l.txt"}));
    EXPECT_EQ(lists.lUpdate1[0].size, 2);
    EXPECT_EQ(lists.rUpdate1[0].size, 4);
    EXPECT_EQ(totals.local.update, 2);
    EXPECT_EQ(totals.remote.update, 4);
    EXPECT_EQ(totals.local.add, 64);
    EXPECT_EQ(totals.remote.add, 128);
    EXPECT_EQ(view.captions, (Texts_{"Evaluating Files", "Current Process"}));
    EXPECT_EQ(view.progress.back(), 0);
}

TEST_F(EvaluateTest, OutcomeTableWithMirrorOnSchedulesNothingIntoTheFirstFolder) {
    AllCases();
    Evaluate(true);
    EXPECT_TRUE(lists.lUpdate1.empty());
    EXPECT_TRUE(lists.lFileAdd1.empty());
    EXPECT_EQ(Texts(lists.rUpdate1), (Texts_{"NewerLocal.txt"}));
    EXPECT_EQ(Texts(lists.rFileAdd1), (Texts_{"[OnlyLocal]", "OnlyLocal\\l.txt"}));
    EXPECT_EQ(totals.local.add + totals.local.update, 0);
}

TEST_F(EvaluateTest, EmptySides) {
    Evaluate(false);
    EXPECT_TRUE(lists.lFileAdd1.empty() && lists.rFileAdd1.empty());
    EXPECT_EQ(view.captions, (Texts_{"Current Process"}));
    EXPECT_EQ(view.progress, (std::vector<int>{0}));

    Remote("[Dir]", 0, 0);
    Remote("Dir\\a.txt", kOld, 3);
    Evaluate(true);
    EXPECT_TRUE(lists.lFileAdd1.empty());
    Evaluate(false);
    EXPECT_EQ(Texts(lists.lFileAdd1), (Texts_{"[Dir]", "Dir\\a.txt"}));
    EXPECT_EQ(totals.local.add, 3);

    SyncLists other;
    other.lvLocal.Append("x.txt", false, kOld, 0, 5);
    engine::EvaluateFolders(other, true, totals, view);
    EXPECT_EQ(Texts(other.rFileAdd1), (Texts_{"x.txt"}));
}

TEST_F(EvaluateTest, CounterpartsIgnoreCaseOverAllLetters) {
    Local("Report.doc", kOld);
    Remote("REPORT.DOC", kNew);
    Local("\xC3\x89t\xC3\xA9.txt", kNew);  // Été.txt
    Remote("\xC3\xA9t\xC3\xA9.txt", kOld);  // été.txt
    Local("report.doc.bak");
    Remote("notes.txt");
    Evaluate(false);
    EXPECT_EQ(Texts(lists.lUpdate1), (Texts_{"REPORT.DOC"}));
    EXPECT_EQ(Texts(lists.rUpdate1), (Texts_{"\xC3\x89t\xC3\xA9.txt"}));
    EXPECT_EQ(Texts(lists.rFileAdd1), (Texts_{"report.doc.bak"}));
    EXPECT_EQ(Texts(lists.lFileAdd1), (Texts_{"notes.txt"}));
}

TEST_F(EvaluateTest, TwoLocalNamesForOneFileAreBothMatched) {
    // Natively two files may differ only in the case of a non-ASCII letter; the first in list order
    // is the counterpart, and neither is one-sided.
    Local("\xC3\xA9.txt", kOld);  // é.txt
    Local("\xC3\x89.txt", kOld);  // É.txt
    Remote("\xC3\x89.TXT", kNew);
    Evaluate(false);
    EXPECT_TRUE(lists.rFileAdd1.empty());
    EXPECT_EQ(lists.lUpdate1.size(), 1u);
}

TEST_F(EvaluateTest, TimesCompareUnsignedAtTwoSecondResolution) {
    Local("future.txt", platform::PackDosTime({2030, 1, 1, 0, 0, 0}));
    Remote("future.txt", platform::PackDosTime({2050, 1, 1, 0, 0, 0}));
    Local("close.txt", platform::PackDosTime({2024, 3, 1, 12, 0, 30}));
    Remote("close.txt", platform::PackDosTime({2024, 3, 1, 12, 0, 31}));
    Evaluate(false);
    EXPECT_EQ(Texts(lists.lUpdate1), (Texts_{"future.txt"}));
    EXPECT_TRUE(lists.rUpdate1.empty());
}

TEST_F(EvaluateTest, DifferentTimesOutsideThePackedRangeNeverCountAsEqual) {
    auto at = [](std::int64_t unixSeconds) { return (unixSeconds + 11'644'473'600LL) * 10'000'000LL; };
    const platform::FileTime y1975 = at(170'812'800), y1979 = at(297'043'200), y1985 = at(486'432'000),
                             y2110 = at(4'417'977'600), y2120 = at(4'733'510'400);
    struct Case {
        const char* name;
        platform::FileTime local, remote;
    } cases[] = {
        {"1975-1979.txt", y1975, y1979},  // both before 1980: the newer remote wins
        {"1979-1975.txt", y1979, y1975},
        {"1979-1985.txt", y1979, y1985},
        {"2120-2110.txt", y2120, y2110},               // both after 2107
        {"1975-same.txt", y1975, y1975 + 10'000'000},  // one second apart: one two-second step
    };
    for (const Case& c : cases) {
        lists.lvLocal.Append(c.name, false, platform::PackFileTime(c.local), c.local, 1);
        lists.lvRemote.Append(c.name, false, platform::PackFileTime(c.remote), c.remote, 1);
    }
    Evaluate(false);
    EXPECT_EQ(Texts(lists.lUpdate1), (Texts_{"1975-1979.txt", "1979-1985.txt"}));
    EXPECT_EQ(Texts(lists.rUpdate1), (Texts_{"1979-1975.txt", "2120-2110.txt"}));
}

TEST_F(EvaluateTest, WithIgnoreHourCopiesExactlyAnHourApartCountAsEqual) {
    constexpr platform::FileTime kSecond = 10'000'000, kBase = 133'000'000'000'000'000;
    struct Case {
        const char* name;
        platform::FileTime apart;
        bool equal;
    } cases[] = {
        {"hour.txt", 3600 * kSecond, true},
        {"hour-less-1s.txt", 3599 * kSecond, true},  // within the two-second steps of a FAT drive
        {"hour-plus-1s.txt", 3601 * kSecond, true},
        {"hour-plus-2s.txt", 3602 * kSecond, false},
        {"hour-plus-4s.txt", 3604 * kSecond, false},
        {"two-hours.txt", 7200 * kSecond, false},
    };
    for (const Case& c : cases) {
        // The older copy on either side: the rule holds both ways.
        for (bool remoteNewer : {false, true}) {
            std::string name = (remoteNewer ? "r-" : "l-") + std::string(c.name);
            platform::FileTime local = kBase + (remoteNewer ? 0 : c.apart), remote = kBase + (remoteNewer ? c.apart : 0);
            lists.lvLocal.Append(name, false, platform::PackFileTime(local), local, 1);
            lists.lvRemote.Append(name, false, platform::PackFileTime(remote), remote, 1);
        }
    }
    lists.lvLocal.SetSorted(true);
    lists.lvRemote.SetSorted(true);
    engine::EvaluateFolders(lists, false, totals, view, true);
    EXPECT_EQ(Texts(lists.lUpdate1), (Texts_{"r-hour-plus-2s.txt", "r-hour-plus-4s.txt", "r-two-hours.txt"}));
    EXPECT_EQ(Texts(lists.rUpdate1), (Texts_{"l-hour-plus-2s.txt", "l-hour-plus-4s.txt", "l-two-hours.txt"}));
}

TEST_F(EvaluateTest, KindComesFromTheScanNotFromBrackets) {
    lists.lvLocal.Append("[notes]", false, kOld, 0, 5);  // a file of that name
    lists.lvRemote.Append("[notes]", true, 0, 0, 0);     // a folder notes
    Evaluate(false);
    ASSERT_EQ(lists.rFileAdd1.size(), 1u);
    EXPECT_EQ(lists.rFileAdd1[0].text, "[notes]");
    EXPECT_FALSE(lists.rFileAdd1[0].folder);
    ASSERT_EQ(lists.lFileAdd1.size(), 1u);
    EXPECT_TRUE(lists.lFileAdd1[0].folder);
}

TEST_F(EvaluateTest, MessagesEveryHundredEntriesAndStopOnlyAtAMatch) {
    for (int i = 0; i < 250; ++i) Remote("r" + std::to_string(1000 + i) + ".txt", kOld, 1);
    Local("r1150.txt", kOlder);  // the counterpart of remote entry 150
    for (int i = 0; i < 50; ++i) Local("l" + std::to_string(1000 + i) + ".txt", kOld, 1);
    Evaluate(false);
    EXPECT_EQ(view.messageCalls, 3 + 1);
    EXPECT_EQ(lists.lFileAdd1.size(), 249u);
    EXPECT_EQ(lists.rFileAdd1.size(), 50u);
    EXPECT_EQ(lists.lUpdate1.size(), 1u);
    for (size_t i = 1; i + 1 < view.progress.size(); ++i) EXPECT_LE(view.progress[i - 1], view.progress[i]);

    // A stop raised at entry 100 takes effect at the next entry with a counterpart (150); the
    // First Folder pass does not run.
    SyncLists fresh;
    fresh.lvLocal = lists.lvLocal;
    fresh.lvRemote = lists.lvRemote;
    lists = fresh;
    view = RecordingView{};
    view.stopAtMessageCall = 2;
    engine::EvaluateFolders(lists, false, totals, view);
    EXPECT_EQ(lists.lFileAdd1.size(), 150u);
    EXPECT_TRUE(lists.lUpdate1.empty());
    EXPECT_TRUE(lists.rFileAdd1.empty());
    EXPECT_EQ(view.captions.back(), "Current Process");
}

TEST_F(EvaluateTest, StopBeforeTheSecondPass) {
    for (int i = 0; i < 150; ++i) Remote("r" + std::to_string(1000 + i) + ".txt");
    Local("only-local.txt");
    view.stopAtMessageCall = 2;  // entry 100 of the first pass, no counterparts there
    Evaluate(false);
    EXPECT_EQ(lists.lFileAdd1.size(), 150u);
    EXPECT_TRUE(lists.rFileAdd1.empty());
}

}  // namespace

#ifdef _WIN32
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/delete.h"
#include "engine/file_helpers.h"
#include "engine/update.h"
#include "platform/file_system.h"
#include "tests/engine/engine_fakes.h"
#include "tests/support/test_support.h"

namespace {

using engine_testing::RecordingView;
using testing_support::TempFolder;

// Names in Greek, Chinese and emoji, and a folder chain making paths longer than 300 characters.
const std::string kGreek = "\xCE\x91\xCF\x81\xCF\x87\xCE\xB5\xCE\xAF\xCE\xBF.txt";   // Αρχείο.txt
const std::string kChinese = "\xE6\x96\x87\xE4\xBB\xB6\xE5\xA4\xB9";                   // 文件夹
const std::string kEmoji = "\xF0\x9F\x93\x81 notes \xF0\x9F\x98\x80.txt";             // 📁 notes 😀.txt

std::string LongChain() {
    std::string chain;
    for (int i = 0; i < 7; ++i) chain += (i ? "\\segment-" : "segment-") + std::to_string(i) + std::string(40, 'x');
    return chain;
}

void WriteFile(platform::FileOps& files, const std::string& path, const std::string& bytes) {
    engine::CreateFolderChain(files, path.substr(0, path.find_last_of('\\')));
    ASSERT_TRUE(platform::WriteWholeFile(path, bytes)) << path;
}

std::string Read(const std::string& path) {
    std::string bytes;
    return platform::ReadWholeFile(path, bytes) == platform::ReadStatus::Ok ? bytes : "<unreadable>";
}

bool NothingToDo(const engine::SyncLists& lists) {
    return lists.lFileAdd1.empty() && lists.rFileAdd1.empty() && lists.lUpdate1.empty() && lists.rUpdate1.empty();
}

TEST(RealFolderSync, NamesInAnyScriptAndLongPathsBothWays) {
    TempFolder local, remote;
    auto& files = platform::SystemFileOps();
    const std::string chain = LongChain();
    const std::string localLong = local.Core() + "\\" + chain + "\\deep-local.txt";
    ASSERT_GT(localLong.size(), 300u);
    WriteFile(files, local.Core() + "\\" + kGreek, "greek");
    WriteFile(files, local.Core() + "\\" + kChinese + "\\" + kEmoji, "emoji");
    WriteFile(files, localLong, "long local");
    WriteFile(files, remote.Core() + "\\" + kChinese + "\\" + kGreek, "greek in chinese");
    WriteFile(files, remote.Core() + "\\" + chain + "\\deep-remote.txt", "long remote");

    engine::SyncLists lists = engine_testing::Load(local.Core(), remote.Core());
    EXPECT_FALSE(lists.rFileAdd1.empty());
    EXPECT_FALSE(lists.lFileAdd1.empty());
    RecordingView view;
    EXPECT_EQ(engine::UpdateItems(files, lists, local.Core(), remote.Core(), view).failed, 0);
    EXPECT_TRUE(view.questions.empty());

    EXPECT_EQ(Read(remote.Core() + "\\" + chain + "\\deep-local.txt"), "long local");
    EXPECT_EQ(Read(local.Core() + "\\" + chain + "\\deep-remote.txt"), "long remote");
    EXPECT_EQ(Read(remote.Core() + "\\" + kChinese + "\\" + kEmoji), "emoji");
    EXPECT_EQ(Read(remote.Core() + "\\" + kGreek), "greek");
    EXPECT_EQ(Read(local.Core() + "\\" + kChinese + "\\" + kGreek), "greek in chinese");

    engine::SyncLists again = engine_testing::Load(local.Core(), remote.Core());
    EXPECT_TRUE(NothingToDo(again));
    EXPECT_EQ(again.lvLocal.size(), again.lvRemote.size());

    // Clear the long chains here: the fixture's clean-up does not reach beyond MAX_PATH.
    for (const TempFolder* side : {&local, &remote}) {
        engine::ItemList& items = side == &local ? again.lvLocal : again.lvRemote;
        engine::CodedList& doomed = side == &local ? again.ldelfile1 : again.rdelfile1;
        for (size_t i = 0; i < items.size(); ++i) doomed.Add(std::string(items.PathAsFound(i)), items.Folder(i));
    }
    EXPECT_EQ(engine::DeleteItems(files, again, local.Core(), remote.Core(), view).failed, 0);
    bool any = false;
    files.Enumerate(local.Core(), [&](const platform::FileInfo&) { any = true; });
    files.Enumerate(remote.Core(), [&](const platform::FileInfo&) { any = true; });
    EXPECT_FALSE(any);
}

}  // namespace
#endif

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

#ifdef _WIN32
// Names in Greek, Chinese and emoji, and a folder chain making paths longer than 300 characters.
const std::string kGreek = "\xCE\x91\xCF\x81\xCF\x87\xCE\xB5\xCE\xAF\xCE\xBF.txt";   // Αρχείο.txt
const std::string kChinese = "\xE6\x96\x87\xE4\xBB\xB6\xE5\xA4\xB9";                   // 文件夹
const std::string kEmoji = "\xF0\x9F\x93\x81 notes \xF0\x9F\x98\x80.txt";             // 📁 notes 😀.txt

std::string LongChain() {
    std::string chain;
    for (int i = 0; i < 7; ++i) chain += (i ? "\\segment-" : "segment-") + std::to_string(i) + std::string(40, 'x');
    return chain;
}
#endif

void WriteFile(platform::FileOps& files, const std::string& path, const std::string& bytes) {
    engine::CreateFolderChain(files, path.substr(0, path.find_last_of('\\')));
    ASSERT_TRUE(platform::WriteWholeFile(path, bytes)) << path;
}

std::string Read(const std::string& path) {
    std::string bytes;
    return platform::ReadWholeFile(path, bytes) == platform::ReadStatus::Ok ? bytes : "<unreadable>";
}

template <class List>
std::vector<std::string> Texts(const List& list) {
    std::vector<std::string> texts;
    for (size_t i = 0; i < list.size(); ++i) texts.push_back(list.Text(i));
    return texts;
}

bool NothingToDo(const engine::SyncLists& lists) {
    return lists.lFileAdd1.empty() && lists.rFileAdd1.empty() && lists.lUpdate1.empty() && lists.rUpdate1.empty();
}

#ifdef _WIN32
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
#endif

// A trailing dot or blank is part of a name (NTFS, archives and other systems keep it): such a file is
// copied, replaced and deleted as itself, never as the file whose name lacks it.
TEST(RealFolderSync, NamesEndingInADotOrABlankAreTheirOwn) {
    TempFolder local, remote;
    auto& files = platform::SystemFileOps();
    auto at = [](const TempFolder& side, const std::string& name) { return side.Core() + "\\" + name; };
    WriteFile(files, at(local, "notes."), "dot, local");
    WriteFile(files, at(local, "memo "), "blank, local");
    WriteFile(files, at(remote, "notes"), "plain notes");
    WriteFile(files, at(remote, "memo"), "plain memo");
    // The remote "notes." older than the local one: a copy keeps its source's time.
    remote.Write("old", "dot, remote");
    remote.Age("old", 1);
    ASSERT_TRUE(files.CopyToFile(remote.Core("old"), at(remote, "notes."), {}));
    ASSERT_TRUE(files.RemoveFile(remote.Core("old")));

    engine::SyncLists lists = engine_testing::Load(local.Core(), remote.Core());
    EXPECT_EQ(Texts(lists.rFileAdd1), (std::vector<std::string>{"memo "}));
    EXPECT_EQ(Texts(lists.rUpdate1), (std::vector<std::string>{"notes."}));
    EXPECT_EQ(Texts(lists.lFileAdd1), (std::vector<std::string>{"memo", "notes"}));
    RecordingView view;
    EXPECT_EQ(engine::UpdateItems(files, lists, local.Core(), remote.Core(), view).failed, 0);
    for (const TempFolder* side : {&local, &remote}) {
        EXPECT_EQ(Read(at(*side, "notes.")), "dot, local");
        EXPECT_EQ(Read(at(*side, "memo ")), "blank, local");
        EXPECT_EQ(Read(at(*side, "notes")), "plain notes");
        EXPECT_EQ(Read(at(*side, "memo")), "plain memo");
    }

    lists = engine_testing::Load(local.Core(), remote.Core());
    EXPECT_TRUE(NothingToDo(lists));
    lists.ldelfile1.Add("notes.", false);
    lists.rdelfile1.Add("memo ", false);
    EXPECT_EQ(engine::DeleteItems(files, lists, local.Core(), remote.Core(), view).failed, 0);
    EXPECT_FALSE(files.Find(at(local, "notes.")).has_value());
    EXPECT_FALSE(files.Find(at(remote, "memo ")).has_value());
    EXPECT_EQ(Read(at(local, "notes")), "plain notes");
    EXPECT_EQ(Read(at(remote, "memo")), "plain memo");

    // Gone through the engine: the fixture's clean-up goes by names as Windows cuts them.
    lists.ldelfile1.Add("memo ", false);
    lists.rdelfile1.Add("notes.", false);
    EXPECT_EQ(engine::DeleteItems(files, lists, local.Core(), remote.Core(), view).failed, 0);
}

}  // namespace

// The memory of each Sync as the window shows it: what it planned is on the pages before any Sync.
#include "tests/gui/gui_fixture.h"

#include <filesystem>

#include "app/pair_memory_store.h"
#include "platform/file_system.h"

namespace {

using namespace gui_testing;
namespace ids = app::ids;

class Memory : public PairTest {
protected:
    void SetUp() override {
        PairTest::SetUp();
        SetValue("usewiz", "false");
    }
    void Click(int id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }
};

TEST_F(Memory, APassInStepIsRememberedAndOnlyTheOptionPlansWithIt) {
    for (const char* name : {"a.txt", "b.txt"}) {
        first.Write(name, name);
        second.Write(name, name);
        first.Age(name, 1);
        second.Age(name, 1);
    }
    SetValue("usememory", "true");
    Start();
    Click(ids::bLoad);
    ASSERT_EQ(main().PanelText(app::kPanelSynchronized), "Synchronized");
    std::filesystem::remove(first.path() / "a.txt");
    first.Write("b.txt", "changed in the first");
    first.Age("b.txt", 2);  // older than the second's change, but not the time remembered
    second.Write("b.txt", "changed in the second");

    // The option off: the plan is as it always was, memory or not.
    SetValue("usememory", "false");
    Start();
    Click(ids::bLoad);
    const engine::SyncLists* without = &main().state().lists;
    EXPECT_EQ(Texts(without->lFileAdd1), (Entries{"a.txt"}));
    EXPECT_EQ(Texts(without->lUpdate1), (Entries{"b.txt"}));
    EXPECT_TRUE(without->rdelfile1.empty() && without->lignfile1.empty());

    SetValue("usememory", "true");
    Start();
    Click(ids::bLoad);
    const engine::SyncLists& lists = main().state().lists;
    EXPECT_TRUE(lists.lFileAdd1.empty() && lists.lUpdate1.empty());
    EXPECT_EQ(Texts(lists.rdelfile1), (Entries{"a.txt 1"}));
    EXPECT_EQ(Texts(lists.lignfile1), (Entries{"b.txt 5"}));
    EXPECT_EQ(Texts(lists.rignfile1), (Entries{"b.txt 5"}));
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "1 item changed on both sides: see Ignore Items");
    EXPECT_EQ(main().PanelText(app::kPanelSynchronized), "");
    EXPECT_TRUE(Enabled(ids::bSync));
    Click(ids::bSync);
    EXPECT_FALSE(second.Exists("a.txt"));
    EXPECT_EQ(second.Read("b.txt"), "changed in the second");
    EXPECT_EQ(first.Read("b.txt"), "changed in the first");
    const std::string remembered = app::PairMemoryFolder() + "\\" + engine::PairMemoryFileName(first.Core(), second.Core());
    EXPECT_TRUE(platform::FileExists(remembered));

    // Undone, the Sync is no longer what the folders remember: the pair starts afresh.
    SendMessageW(main().hwnd(), WM_COMMAND, ids::UndoLastSync1, 0);
    EXPECT_TRUE(second.Exists("a.txt"));
    EXPECT_FALSE(platform::FileExists(remembered));
}

// A file renamed in the First Folder: the Add Items page shows the move with the place it moves from,
// and the Sync renames it in the Second Folder.
TEST_F(Memory, AMoveShowsOnTheAddItemsPageWithItsOldPlace) {
    for (const char* name : {"a.txt", "b.txt"}) {
        first.Write(name, name);
        second.Write(name, name);
        std::filesystem::last_write_time(second.path() / name, std::filesystem::last_write_time(first.path() / name));
    }
    SetValue("usememory", "true");
    Start();
    Click(ids::bLoad);
    ASSERT_EQ(main().PanelText(app::kPanelSynchronized), "Synchronized");
    std::filesystem::rename(first.path() / "a.txt", first.path() / "renamed.txt");
    Start();
    Show();
    Click(ids::bLoad);
    wchar_t row[256] = {};
    ListView_GetItemText(Control(ids::rFileAdd1), 0, 0, row, 256);
    EXPECT_EQ(std::wstring(row), L"renamed.txt    (moved from a.txt)");
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "1 item moved or renamed: see Add Items");
    Click(ids::bSync);
    EXPECT_TRUE(second.Exists("renamed.txt"));
    EXPECT_FALSE(second.Exists("a.txt"));
}

}  // namespace

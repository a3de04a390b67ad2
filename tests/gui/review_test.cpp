#include "tests/gui/gui_fixture.h"

#include <windowsx.h>

#include "platform/win32/wide.h"
#include "review/win32/file_info_ids.h"

namespace {

using namespace gui_testing;
namespace ids = app::ids;

// Looks at an open pop-up menu from inside its own loop, then chooses an item or closes it.
class MenuWatcher {
public:
    // choose: the access key to press, or 0 to close the menu.
    explicit MenuWatcher(wchar_t choose) : script_([this, choose] { Look(choose); }) {}
    std::vector<std::string> items;  // "&Delete", "&Reverse (disabled)", ...
    std::function<void()> whileOpen;

private:
    void Look(wchar_t choose) {
        HWND menuWindow = FindWindowW(L"#32768", nullptr);
        if (done_ || !menuWindow) return;
        done_ = true;
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[64] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
            std::string item = platform::Narrow(text);
            if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED) item += " (disabled)";
            items.push_back(item);
        }
        if (whileOpen) whileOpen();
        if (choose) PostMessageW(menuWindow, WM_CHAR, choose, 0);
        else EndMenu();
    }
    bool done_ = false;
    Script script_;
};

class Review : public PairTest {
protected:
    void SetUp() override {
        PairTest::SetUp();
        // Two updates, one each way; a folder with two files and a file only in the Second Folder.
        first.Write("new.txt", "newer in first");
        second.Write("new.txt", "old");
        second.Age("new.txt", 2);
        first.Write("old.txt", "old");
        first.Age("old.txt", 2);
        second.Write("old.txt", "newer in second");
        second.Write("Docs\\a.txt", "a");
        second.Write("Docs\\b.txt", "b");
        second.Write("only.txt", "only");
    }
    void Load() {
        Start();
        SendMessageW(Control(ids::bLoad), BM_CLICK, 0, 0);
    }
    engine::SyncLists& lists() { return main().state().lists; }
    // Gives a list the focus and selects its rows, as clicks would.
    void Select(int id, std::vector<int> rows) {
        HWND list = Control(id);
        SetFocus(list);
        ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
        for (int row : rows) ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
        Pump();
    }
    void Command(int id) { SendMessageW(main().hwnd(), WM_COMMAND, id, 0); }
    // A right click on a row, through the window's context-menu handling.
    void RightClick(int id, int row) {
        HWND list = Control(id);
        RECT r{};
        ListView_GetItemRect(list, row, &r, LVIR_LABEL);
        POINT at{r.left + 4, (r.top + r.bottom) / 2};
        ClientToScreen(list, &at);
        SendMessageW(main().hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(at.x, at.y));
    }

};

TEST_F(Review, FocusNamesTheActiveListAndTheMenuFitsTheList) {
    Load();
    ShowWindow(main().hwnd(), SW_SHOW);
    main().SetActivePage(app::kPageUpdate);
    Select(ids::lUpdate1, {0});
    EXPECT_EQ(main().state().ActiveList, 5);
    {
        MenuWatcher watcher(0);
        RightClick(ids::lUpdate1, 0);
        EXPECT_EQ(watcher.items, (Entries{"&Reverse", "&Delete", "&Ignore", "&File Info"}));
    }
    main().SetActivePage(app::kPageAdd);
    Select(ids::lFileAdd1, {0});
    EXPECT_EQ(main().state().ActiveList, 1);
    {
        MenuWatcher watcher(0);
        RightClick(ids::lFileAdd1, 0);
        EXPECT_EQ(watcher.items, (Entries{"&Reverse (disabled)", "&Delete", "&Ignore"}));
    }
    SetFocus(Control(ids::lFolder1));
    Pump();
    EXPECT_EQ(main().state().ActiveList, 0);
}

TEST_F(Review, RightClickActsOnTheListItWasMadeOnAndSelectsTheEntryUnderIt) {
    Load();
    ShowWindow(main().hwnd(), SW_SHOW);
    main().SetActivePage(app::kPageAdd);
    Select(ids::lFileAdd1, {0});  // the focus is elsewhere when the menu opens on rUpdate1
    main().SetActivePage(app::kPageUpdate);
    int activeWhileOpen = 0;
    {
        MenuWatcher watcher(L'd');
        watcher.whileOpen = [&] { activeWhileOpen = main().state().ActiveList; };
        RightClick(ids::rUpdate1, 0);
    }
    EXPECT_EQ(activeWhileOpen, 6);
    EXPECT_EQ(Texts(lists().rdelfile1), (Entries{"new.txt 6"}));
    EXPECT_EQ(Texts(lists().lFileAdd1), (Entries{"[Docs]", "Docs\\a.txt", "Docs\\b.txt", "only.txt"}));
}

TEST_F(Review, CommandsMoveEntriesAndTheTotalsFollow) {
    Load();
    main().SetActivePage(app::kPageAdd);
    EXPECT_EQ(Text(ids::lLocalSize), "6 Bytes");  // a, b and only: 1 + 1 + 4
    Select(ids::lFileAdd1, {0});                   // [Docs] takes its files along
    Command(ids::DeleteFile1);
    EXPECT_EQ(Texts(lists().lFileAdd1), (Entries{"only.txt"}));
    EXPECT_EQ(Texts(lists().rdelfile1), (Entries{"[Docs] 1", "Docs\\a.txt 1", "Docs\\b.txt 1"}));
    EXPECT_EQ(Text(ids::lLocalSize), "4 Bytes");

    Select(ids::lUpdate1, {0});
    Command(ids::ReverseEntry1);
    EXPECT_TRUE(lists().lUpdate1.empty());
    EXPECT_EQ(Texts(lists().rUpdate1), (Entries{"new.txt", "old.txt"}));

    Select(ids::rUpdate1, {0});
    Command(ids::IgnoreFile1);
    EXPECT_EQ(Texts(lists().lignfile1), (Entries{"new.txt 6"}));
    EXPECT_EQ(Texts(lists().rignfile1), (Entries{"new.txt 6"}));

    Select(ids::rignfile1, {0});
    Command(ids::Undo1);
    EXPECT_EQ(Texts(lists().rUpdate1), (Entries{"new.txt", "old.txt"}));
    EXPECT_TRUE(lists().lignfile1.empty());
    EXPECT_TRUE(lists().rignfile1.empty());
}

TEST_F(Review, DetailsShowBothCopiesAndMarkDifferencesInRed) {
    Load();
    main().SetActivePage(app::kPageUpdate);
    Select(ids::lUpdate1, {0});
    EXPECT_EQ(Text(ids::Label19), "old.txt");
    EXPECT_EQ(Text(ids::Label6), "3 Bytes");
    EXPECT_EQ(Text(ids::Label22), "15 Bytes");
    EXPECT_NE(Text(ids::Label13), Text(ids::Label23));
    EXPECT_TRUE(main().SizeMarked());
    EXPECT_TRUE(main().DateMarked());
    EXPECT_EQ(main().Hint(ids::lUpdate1), "old.txt");
    // Leaving a list clears the details, except the ignore lists.
    SetFocus(Control(ids::lFolder1));
    Pump();
    EXPECT_EQ(Text(ids::Label19), "");
    EXPECT_EQ(Text(ids::Label6), "0");
}

TEST_F(Review, FileInformationShowsBothCopies) {
    Load();
    // The Second Folder's copy written exactly at midnight: its date alone is shown.
    SYSTEMTIME midnight{2026, 3, 0, 14, 0, 0, 0, 0};
    FILETIME local{}, utc{};
    SystemTimeToFileTime(&midnight, &local);
    LocalFileTimeToFileTime(&local, &utc);
    HANDLE h = CreateFileW(platform::Widen(second.Core("old.txt")).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &utc);
    CloseHandle(h);

    main().SetActivePage(app::kPageUpdate);
    Select(ids::lUpdate1, {0});
    HWND info = application->fInfo().hwnd();
    PostMessageW(info, WM_COMMAND, IDOK, 0);
    Command(ids::FileInfo1);
    auto field = [&](int id) { return ui::GetText(GetDlgItem(info, id)); };
    EXPECT_EQ(ui::GetText(info), "File Information for: old.txt");
    EXPECT_EQ(field(review::ids::eLocal), first.Core() + "\\old.txt");
    EXPECT_EQ(field(review::ids::eRemote), second.Core() + "\\old.txt");
    EXPECT_EQ(field(review::ids::Label5), "3 Bytes");
    EXPECT_EQ(field(review::ids::Label9), "15 Bytes");
    EXPECT_EQ(field(review::ids::Label11).find(' '), std::string::npos) << field(review::ids::Label11);
    EXPECT_NE(field(review::ids::Label7).find(' '), std::string::npos);

    // A copy that vanished shows "0"; without a selection the previous name is shown again.
    std::filesystem::remove(second.path() / "old.txt");
    Select(ids::lUpdate1, {});
    PostMessageW(info, WM_COMMAND, IDOK, 0);
    Command(ids::FileInfo1);
    EXPECT_EQ(ui::GetText(info), "File Information for: old.txt");
    EXPECT_EQ(field(review::ids::Label9), "0");
    EXPECT_EQ(field(review::ids::Label11), "0");
}

TEST_F(Review, DeletedUpdateIsGoneFromBothFoldersAfterSync) {
    Load();
    Select(ids::rUpdate1, {0});
    Command(ids::DeleteFile1);
    SendMessageW(Control(ids::bSync), BM_CLICK, 0, 0);
    EXPECT_FALSE(first.Exists("new.txt"));
    EXPECT_FALSE(second.Exists("new.txt"));
    EXPECT_EQ(first.Read("old.txt"), "newer in second");  // the other plans went ahead
}

TEST_F(Review, IgnoredAdditionIsNotCopied) {
    Load();
    Select(ids::lFileAdd1, {3});
    Command(ids::IgnoreFile1);
    SendMessageW(Control(ids::bSync), BM_CLICK, 0, 0);
    EXPECT_FALSE(first.Exists("only.txt"));
    EXPECT_TRUE(second.Exists("only.txt"));
    EXPECT_EQ(first.Read("Docs\\a.txt"), "a");
}

TEST_F(Review, ReversedUpdateCopiesTheOlderOverTheNewer) {
    Load();
    Select(ids::rUpdate1, {0});
    Command(ids::ReverseEntry1);
    SendMessageW(Control(ids::bSync), BM_CLICK, 0, 0);
    EXPECT_EQ(first.Read("new.txt"), "old");
    EXPECT_EQ(second.Read("new.txt"), "old");
}

TEST_F(Review, DeletedOneSidedFolderGoesWithItsFiles) {
    Load();
    Select(ids::lFileAdd1, {0});
    Command(ids::DeleteFile1);
    SendMessageW(Control(ids::bSync), BM_CLICK, 0, 0);
    EXPECT_FALSE(second.Exists("Docs"));
    EXPECT_FALSE(first.Exists("Docs"));
    EXPECT_TRUE(first.Exists("only.txt"));
}

TEST_F(Review, ArrowsPagesHomeAndEndMoveTheOneSelectedRowAsTheListViewDoes) {
    for (int i = 0; i < 60; ++i) first.Write("many\\f" + std::to_string(100 + i) + ".txt", "x");
    Load();
    ShowWindow(main().hwnd(), SW_SHOWNOACTIVATE);  // a list shows its pages only on screen
    HWND list = Control(ids::lvLocal);
    int rows = ListView_GetItemCount(list), page = ListView_GetCountPerPage(list);
    ASSERT_GT(rows, page + 2);
    SetFocus(list);
    auto selected = [&] {
        std::vector<int> out;
        for (int i = ListView_GetNextItem(list, -1, LVNI_SELECTED); i >= 0; i = ListView_GetNextItem(list, i, LVNI_SELECTED))
            out.push_back(i);
        return out;
    };
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(list, 5, LVIS_SELECTED, LVIS_SELECTED);  // a second selected row goes too
    struct Case {
        WPARAM key;
        int focus;
    };
    const Case cases[] = {{VK_DOWN, 1}, {VK_NEXT, page - 1}, {VK_NEXT, 2 * page - 1}, {VK_UP, 2 * page - 2},
                          {VK_END, rows - 1}, {VK_DOWN, rows - 1}, {VK_HOME, 0}, {VK_UP, 0}};
    for (const Case& c : cases) {
        SendMessageW(list, WM_KEYDOWN, c.key, 0);
        SendMessageW(list, WM_KEYUP, c.key, 0);
        EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), c.focus) << c.key;
        EXPECT_EQ(selected(), std::vector<int>{c.focus}) << c.key;
        // The row is in view; the selection change is told as for a click (the hint below).
        EXPECT_LE(ListView_GetTopIndex(list), c.focus);
        EXPECT_LT(c.focus, ListView_GetTopIndex(list) + page);
    }
    EXPECT_EQ(main().Hint(ids::lvLocal), main().state().lists.lvLocal.Text(0));
}

TEST_F(Review, CommandsAreRefusedWhileAStepRuns) {
    Load();
    Select(ids::lFileAdd1, {0});
    {
        app::RunPhases::Scope step(main().state().phases, app::Phase::SyncStep);
        Command(ids::DeleteFile1);
    }
    EXPECT_TRUE(lists().rdelfile1.empty());
}

}  // namespace

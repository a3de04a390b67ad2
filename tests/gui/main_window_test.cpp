#include "tests/gui/gui_fixture.h"

#include <filesystem>

#include "platform/win32/wide.h"

namespace {

using namespace gui_testing;
namespace ids = app::ids;

class MainWindow : public GuiTest {
protected:
    void StorePair(const std::string& local, const std::string& remote) {
        SetValue("local", local);
        SetValue("remote", remote);
    }
    std::string TabCaption(int index) {
        wchar_t buffer[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = buffer;
        item.cchTextMax = 64;
        TabCtrl_GetItem(Control(ids::PageControl1), index, &item);
        return platform::Narrow(buffer);
    }
};

TEST_F(MainWindow, ShowsItsCaptionPagesAndListCaptionsInOrder) {
    StorePair("C:\\Data", "D:\\Backup");
    Start();
    EXPECT_EQ(ui::GetText(main().hwnd()), "The Mirravel");
    const char* pages[] = {"Add Items", "Update Items", "Delete Items", "Ignore Items", "Item List"};
    ASSERT_EQ(TabCtrl_GetItemCount(Control(ids::PageControl1)), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(TabCaption(i), pages[i]);
    EXPECT_EQ(main().ActivePage(), app::kPageItems);

    const char* captions[] = {"First Folder Items Added from Remote", "Second Folder Items Added from Local",
                              "First Folder Items Updated from Remote", "Second Folder Items updated from Local",
                              "First Folder Items Deleted ", "Second Folder Items deleted ",
                              "First Folder Items Ignored", "Second Folder Items Ignored",
                              "First Folder Items", "Second Folder Items"};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Text(ids::PageCaptions + i), captions[i]) << i;
    // Only the active page's lists are shown.
    EXPECT_TRUE(Visible(ids::lvLocal));
    EXPECT_FALSE(Visible(ids::lFileAdd1));
    ClickTab(app::kPageAdd);
    EXPECT_TRUE(Visible(ids::lFileAdd1));
    EXPECT_TRUE(Visible(ids::rFileAdd1));
    EXPECT_FALSE(Visible(ids::lvLocal));
}

TEST_F(MainWindow, ButtonsAndFieldsAtStart) {
    StorePair("C:\\Data\\", "D:\\");
    Start();
    EXPECT_FALSE(Enabled(ids::bSync));
    EXPECT_TRUE(Enabled(ids::bLoad));
    EXPECT_TRUE(Visible(ids::bLoad));
    EXPECT_FALSE(Visible(ids::bNext));
    EXPECT_TRUE(Visible(ids::bOptions));
    EXPECT_FALSE(Visible(ids::bStop));
    EXPECT_TRUE(Enabled(ids::bExit));
    EXPECT_EQ(Text(ids::bSync), "&Sync");
    EXPECT_EQ(Text(ids::bExit), "E&xit");
    // One trailing backslash goes; the hint shows the whole path.
    EXPECT_EQ(Text(ids::lFolder1), "C:\\Data");
    EXPECT_EQ(Text(ids::rFolder1), "D:");
    EXPECT_EQ(main().Hint(ids::lFolder1), "C:\\Data");
    EXPECT_EQ(main().state().LocalFolder, "C:\\Data");
    EXPECT_EQ(Text(ids::Label3), "Loading Dat");
    EXPECT_EQ(Text(ids::lLocalSize), "0 Bytes");
    EXPECT_EQ(Text(ids::lRemoteSize), "0 Bytes");
    for (int panel = 0; panel < 6; ++panel) EXPECT_EQ(main().PanelText(static_cast<app::Panel>(panel)), "");
    EXPECT_TRUE(prompter.errors.empty());
}

TEST_F(MainWindow, NoStoredFolderReadsNoneAndDisablesLoad) {
    StorePair("", "D:\\Backup");
    Start();
    EXPECT_EQ(Text(ids::lFolder1), "none");
    EXPECT_EQ(Text(ids::rFolder1), "D:\\Backup");
    EXPECT_FALSE(Enabled(ids::bLoad));
}

TEST_F(MainWindow, WithoutProgramKeyBothFoldersReadNone) {
    testing_support::ProgramKey::Remove();
    Start();
    EXPECT_EQ(Text(ids::lFolder1), "none");
    EXPECT_EQ(Text(ids::rFolder1), "none");
    EXPECT_FALSE(Enabled(ids::bLoad));
    EXPECT_EQ(main().state().RunPath, folder.Core());
    EXPECT_TRUE(prompter.errors.empty());
}

TEST_F(MainWindow, StoredOptionsShowTheirIndicators) {
    StorePair("C:\\Data", "D:\\Backup");
    for (const char* name : {"usesubs", "autodortdata", "autoloaddata"}) SetValue(name, "true");
    SetValue("usemulti", "false");
    Start();
    EXPECT_EQ(main().PanelText(app::kPanelMulti), "");
    EXPECT_EQ(main().PanelText(app::kPanelSub), "Sub");
    EXPECT_EQ(main().PanelText(app::kPanelSync), "Sync");
    EXPECT_EQ(main().PanelText(app::kPanelLoad), "Load");
}

TEST_F(MainWindow, StoredMultiDirectoryModeShowsMultiInBothFolders) {
    StorePair("C:\\Data", "D:\\Backup");
    SetValue("usemulti", "true");
    SetValue("usesubs", "True");  // not exactly "true": off
    Start();
    EXPECT_EQ(main().PanelText(app::kPanelMulti), "Multi");
    EXPECT_EQ(main().PanelText(app::kPanelSub), "");
    EXPECT_EQ(Text(ids::lFolder1), "Multi");
    EXPECT_EQ(Text(ids::rFolder1), "Multi");
    // Leaving the mode brings back the stored pair and Load.
    application->fOptions().SetUseMulti(false);
    EXPECT_EQ(main().PanelText(app::kPanelMulti), "");
    EXPECT_EQ(Text(ids::lFolder1), "C:\\Data");
    EXPECT_TRUE(Enabled(ids::bLoad));
}

TEST_F(MainWindow, LeavingMultiDirectoryModeWithoutStoredFolderDisablesLoad) {
    StorePair("", "");
    SetValue("usemulti", "true");
    Start();
    application->fOptions().SetUseMulti(false);
    EXPECT_EQ(Text(ids::lFolder1), "none");
    EXPECT_EQ(Text(ids::rFolder1), "none");
    EXPECT_FALSE(Enabled(ids::bLoad));
}

TEST_F(MainWindow, TotalsFollowThePage) {
    StorePair("C:\\Data", "D:\\Backup");
    Start();
    auto& lists = main().state().lists;
    lists.lFileAdd1.Add({"a.txt", 1048576});
    lists.lFileAdd1.Add({"b.txt", 524288});
    lists.rFileAdd1.Add({"c.txt", 10});
    lists.lUpdate1.Add({"d.txt", 5LL * 1024 * 1024 * 1024});
    main().state().totals.local.item = 1048575;
    main().state().totals.remote.item = 2048;
    main().ComputeTotals();
    main().RefreshLists();

    struct Expect {
        int page;
        const char *left, *right;
    };
    for (Expect e : {Expect{app::kPageAdd, "1.50 Meg", "10 Bytes"}, Expect{app::kPageUpdate, "5120.00 Meg", "0 Bytes"},
                     Expect{app::kPageDelete, "0 Bytes", "0 Bytes"}, Expect{app::kPageIgnore, "0 Bytes", "0 Bytes"},
                     Expect{app::kPageItems, "1048575 Bytes", "2048 Bytes"}}) {
        ClickTab(e.page);
        EXPECT_EQ(Text(ids::lLocalSize), e.left) << e.page;
        EXPECT_EQ(Text(ids::lRemoteSize), e.right) << e.page;
    }
    // The list views draw from the model.
    EXPECT_EQ(ListView_GetItemCount(Control(ids::lFileAdd1)), 2);
    wchar_t text[32] = {};
    ListView_GetItemText(Control(ids::lFileAdd1), 1, 0, text, 32);
    EXPECT_STREQ(text, L"b.txt");
}

TEST_F(MainWindow, CountdownShowsTheSecondsLeftAndClosesTheWindow) {
    StorePair("C:\\Data", "D:\\Backup");
    SetValue("autoclose", "true");
    Start();
    HWND window = main().hwnd();
    main().StartCountdown();
    SendMessageW(window, WM_TIMER, ids::Timer4, 0);
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "Mirravel Exit in 9 Sec.");
    for (int i = 0; i < 8; ++i) SendMessageW(window, WM_TIMER, ids::Timer4, 0);
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "Mirravel Exit in 1 Sec.");
    EXPECT_TRUE(IsWindow(window));
    SendMessageW(window, WM_TIMER, ids::Timer4, 0);
    Pump();
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MainWindow, DoubleClickOnTheStatusBarCancelsTheCountdown) {
    StorePair("C:\\Data", "D:\\Backup");
    SetValue("autoclose", "true");
    Start();
    HWND window = main().hwnd();
    main().StartCountdown();
    SendMessageW(window, WM_TIMER, ids::Timer4, 0);
    SendMessageW(Control(ids::stats), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(window, WM_TIMER, ids::Timer4, 0);
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "");
    EXPECT_FALSE(main().state().countdown.Running());
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(MainWindow, ShortcutFileFillsTheFoldersWhenShownAndSurvivesReset) {
    StorePair("C:\\Data", "D:\\Backup");
    folder.Write("pair.mvp", "E:\\Work\r\nF:\\Mirror\\\r\n");
    Start({folder.Core("pair.mvp")});
    EXPECT_EQ(Text(ids::lFolder1), "C:\\Data");
    Show();
    EXPECT_TRUE(main().state().ShortcutLoaded);
    EXPECT_EQ(Text(ids::lFolder1), "E:\\Work");
    EXPECT_EQ(Text(ids::rFolder1), "F:\\Mirror\\");
    main().ResetWindow();
    EXPECT_EQ(main().state().LocalFolder, "E:\\Work");
    EXPECT_EQ(main().state().RemoteFolder, "F:\\Mirror");
}

TEST_F(MainWindow, UnreadableShortcutFileIsIgnored) {
    StorePair("C:\\Data", "D:\\Backup");
    Start({folder.Core("missing.mvp")});
    Show();
    EXPECT_FALSE(main().state().ShortcutLoaded);
    EXPECT_EQ(Text(ids::lFolder1), "C:\\Data");
    EXPECT_TRUE(prompter.errors.empty());
}

TEST_F(MainWindow, BinaryOrEnormousShortcutFileFillsTheFieldsWithoutAMessage) {
    StorePair("C:\\Data", "D:\\Backup");
    std::string garbage(30 * 1024 * 1024, '\0');
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>((i * 131 + 7) % 256);
    folder.Write("garbage.mvp", garbage);
    Start({folder.Core("garbage.mvp")});
    Show();
    EXPECT_TRUE(prompter.errors.empty());
    EXPECT_TRUE(main().state().ShortcutLoaded);
    // Only the start of the file is read: the fields hold at most that much.
    EXPECT_LE(Text(ids::lFolder1).size() + Text(ids::rFolder1).size(), 3u * 256 * 1024);
    SendMessageW(Control(ids::lFolder1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"C:\\Other"));
    EXPECT_EQ(Text(ids::lFolder1), "C:\\Other");
}

TEST_F(MainWindow, AutoSwitchHandsOverThePairAndArmsTheAutomaticLoad) {
    StorePair("C:\\Data", "D:\\Backup");
    Start({"-auto", "E:\\Work", "F:\\Mirror"});
    EXPECT_EQ(platform::ReadProgramValue("slocal"), "e:\\work");
    EXPECT_EQ(platform::ReadProgramValue("sremote"), "f:\\mirror");
    EXPECT_EQ(Text(ids::lFolder1), "e:\\work");
    EXPECT_EQ(Text(ids::rFolder1), "f:\\mirror");
    EXPECT_EQ(main().state().startMode, app::StartMode::Wizard);
    // The wizard start switches on automatic Load and subfolders for this run only.
    EXPECT_EQ(main().PanelText(app::kPanelLoad), "Load");
    EXPECT_EQ(main().PanelText(app::kPanelSub), "Sub");
    EXPECT_EQ(platform::ReadProgramValue("autoloaddata"), "");
    EXPECT_TRUE(KillTimer(main().hwnd(), ids::tLoad));
}

TEST_F(MainWindow, StartWithoutArgumentNeverLoadsByItself) {
    StorePair("C:\\Data", "D:\\Backup");
    SetValue("autoloaddata", "true");
    Start();
    EXPECT_FALSE(KillTimer(main().hwnd(), ids::tLoad));
}

TEST_F(MainWindow, AutoMultiSwitchTurnsMultiDirectoryModeOn) {
    StorePair("C:\\Data", "D:\\Backup");
    Start({"-AUTOMULTI"});
    EXPECT_EQ(main().state().startMode, app::StartMode::AutoMulti);
    EXPECT_EQ(main().PanelText(app::kPanelMulti), "Multi");
    EXPECT_EQ(Text(ids::lFolder1), "Multi");
}

TEST_F(MainWindow, ShiftStartMakesTheHandOverPairPersistent) {
    StorePair("C:\\Data", "D:\\Backup");
    SetValue("slocal", "e:\\work");
    SetValue("sremote", "");
    SetValue("autoloaddata", "true");
    Start({"-wiz"}, true);
    EXPECT_EQ(platform::ReadProgramValue("local"), "e:\\work");
    EXPECT_EQ(platform::ReadProgramValue("remote"), "");
    EXPECT_EQ(platform::ReadProgramValue("slocal"), "");
    EXPECT_FALSE(KillTimer(main().hwnd(), ids::tLoad));
    main().ResetWindow();
    EXPECT_EQ(Text(ids::lFolder1), "e:\\work");
    EXPECT_EQ(Text(ids::rFolder1), "none");
    EXPECT_FALSE(Enabled(ids::bLoad));
}

TEST_F(MainWindow, StartMinimizedShowsTheWindowMinimised) {
    StorePair("C:\\Data", "D:\\Backup");
    SetValue("startmin", "true");
    EXPECT_EQ(Start().ShowCommand(), SW_SHOWMINIMIZED);
}

TEST_F(MainWindow, ProgramFolderThatCannotBeMadeCurrentStillParsesTheCommandLine) {
    StorePair("C:\\Data", "D:\\Backup");
    programFolder = folder.Core("gone");
    Start({"-auto", "E:\\Work", "F:\\Mirror"});
    EXPECT_TRUE(prompter.errors.empty());
    EXPECT_EQ(Text(ids::lFolder1), "e:\\work");
    EXPECT_EQ(main().state().RunPath, folder.Core("gone"));
}

TEST_F(MainWindow, ValueOfTheWrongTypeIsReportedAndStartUpGoesOn) {
    // Read by the main window's creation and by the notice's.
    for (auto [wide, name] : {std::pair{L"local", "local"}, std::pair{L"usewiz", "usewiz"}}) {
        SCOPED_TRACE(name);
        StorePair("C:\\Data", "D:\\Backup");
        SetValue("usewiz", "true");
        prompter.errors.clear();
        ASSERT_TRUE(testing_support::ProgramKey::StoreNumber(wide, 7));
        Start();
        ASSERT_EQ(prompter.errors.size(), 1u);
        EXPECT_EQ(prompter.errors[0], "Invalid data type for '" + std::string(name) + "'");
        EXPECT_TRUE(IsWindow(main().hwnd()));
        EXPECT_TRUE(IsWindow(application->fInfo().hwnd()));
        EXPECT_TRUE(application->fMWiz().ShowWizard());
    }
}

TEST_F(MainWindow, SettingsLoadErrorIsShownAndTheWindowsStillOpen) {
    StorePair("C:\\Data", "D:\\Backup");
    SetValue("ssdelay", "soon");
    SetValue("usestamp", "true");
    Start();
    ASSERT_EQ(prompter.errors.size(), 1u);
    EXPECT_EQ(prompter.errors[0], "'soon' is not a valid integer value");
    EXPECT_FALSE(application->settings().usestamp);
    EXPECT_EQ(application->settings().ssdelay, 10);
}

TEST_F(MainWindow, UnreadableSettingsFileIsReportedAndTheWindowWorks) {
    StorePair("C:\\Data", "D:\\Backup");
    std::filesystem::create_directory(folder.path() / "mirv4.dat");  // there, but no file to read
    SetValue("usesubs", "true");
    Start();
    EXPECT_EQ(prompter.errors, (std::vector<std::string>{"Cannot open file " + folder.Core("mirv4.dat")}));
    EXPECT_FALSE(application->settings().usesubs);  // loading stopped: every field keeps its default
    EXPECT_TRUE(IsWindowEnabled(Control(ids::bLoad)));
    EXPECT_EQ(Text(ids::lFolder1), "C:\\Data");
}

}  // namespace

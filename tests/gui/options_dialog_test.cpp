#include "tests/gui/gui_fixture.h"

#include <windowsx.h>

#include "settings/win32/options_ids.h"
#include "settings/win32/wizard_notice.h"
#include "ui/controls.h"

namespace {

using namespace gui_testing;
namespace oids = settings::ids;

class OptionsDialog : public GuiTest {
protected:
    void SetUp() override {
        SetValue("local", "C:\\Data");
        SetValue("remote", "D:\\Backup");
    }
    settings::TfOptions& options() { return application->fOptions(); }
    settings::Settings& settings() { return application->settings(); }
    HWND Item(int id) { return GetDlgItem(options().hwnd(), id); }
    Entries List(int id) { return ui::ListBoxEntries(Item(id)); }
    bool Checked(int id) { return ui::IsChecked(Item(id)); }
    void Type(int id, const std::string& text) { ui::SetText(Item(id), text); }
    // A click as the user makes it: the control toggles and tells the dialog.
    void Click(int id) { SendMessageW(Item(id), BM_CLICK, 0, 0); }
    // A click on an entry of a list box, with Ctrl held to add it to the selection.
    void ClickEntry(int id, int index, bool control = false) {
        RECT r{};
        ListBox_GetItemRect(Item(id), index, &r);
        LPARAM at = MAKELPARAM(r.left + 2, r.top + 2);
        WPARAM keys = MK_LBUTTON | (control ? MK_CONTROL : 0);
        SendMessageW(Item(id), WM_LBUTTONDOWN, keys, at);
        SendMessageW(Item(id), WM_LBUTTONUP, keys & ~MK_LBUTTON, at);
    }
    // Shows the dialog modally; the posted input runs inside its message loop.
    int RunModal(const std::vector<MSG>& input) {
        for (const MSG& m : input) PostMessageW(m.hwnd, m.message, m.wParam, m.lParam);
        return options().ShowModal(main().hwnd());
    }
    MSG Key(HWND to, UINT message, WPARAM key) { return MSG{to, message, key, 1, 0, {}}; }
    MSG Press(int id) {
        return MSG{options().hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)), 0, {}};
    }
    std::vector<MSG> Enter(int editId) {
        HWND edit = Item(editId);
        return {Key(edit, WM_KEYDOWN, VK_RETURN), Key(edit, WM_CHAR, '\r'), Key(edit, WM_KEYUP, VK_RETURN)};
    }
    bool SettingsFileExists() { return std::filesystem::exists(folder.path() / "mirv4.dat"); }
};

TEST_F(OptionsDialog, EnterInAFilterFieldAddsTheEntryAndKeepsTheDialogOpen) {
    Start();
    Type(oids::Edit1, "txt");
    std::vector<MSG> input = Enter(oids::Edit1);
    input.push_back(Press(oids::bCancel));
    EXPECT_EQ(RunModal(input), IDCANCEL);  // closed by Cancel, not by OK
    EXPECT_FALSE(SettingsFileExists());
    EXPECT_EQ(List(oids::eel1), (Entries{".txt"}));
    EXPECT_EQ(ui::GetText(Item(oids::Edit1)), "");
}

TEST_F(OptionsDialog, ExtensionColumnsGetTheirDotAndTheNameColumnTakesTheTextAsTyped) {
    Start();
    for (const char* typed : {"txt", ".txt", ""}) {
        Type(oids::Edit1, typed);
        Click(oids::Button1);
    }
    Type(oids::Edit3, "JPG");
    Click(oids::Button6);
    Type(oids::Edit2, "readme");
    Click(oids::Button4);
    EXPECT_EQ(List(oids::eel1), (Entries{".txt", ".txt"}));
    EXPECT_EQ(List(oids::seo1), (Entries{".JPG"}));
    EXPECT_EQ(List(oids::efl1), (Entries{"readme"}));
    EXPECT_EQ(settings().eel, (Entries{".txt", ".txt"}));
    EXPECT_EQ(ui::GetText(Item(oids::Edit2)), "");
}

TEST_F(OptionsDialog, RemoveTakesSelectedEntriesAndEveryEntryEqualToTheTypedText) {
    Start();
    for (const char* typed : {".txt", ".doc", ".txt", ".bak"}) {
        Type(oids::Edit1, typed);
        Click(oids::Button1);
    }
    Type(oids::Edit1, "txt");  // the dot is not added for removing
    Click(oids::Button2);
    EXPECT_EQ(List(oids::eel1), (Entries{".txt", ".doc", ".txt", ".bak"}));
    Type(oids::Edit1, ".txt");
    Click(oids::Button2);
    EXPECT_EQ(List(oids::eel1), (Entries{".doc", ".bak"}));
    ClickEntry(oids::eel1, 1);
    Click(oids::Button2);
    EXPECT_EQ(List(oids::eel1), (Entries{".doc"}));
    EXPECT_EQ(settings().eel, (Entries{".doc"}));
}

TEST_F(OptionsDialog, OnlyOneKindOfFilterIsOn) {
    Start();
    Click(oids::CheckBox4);
    EXPECT_TRUE(settings().useext);
    Click(oids::CheckBox2);
    EXPECT_TRUE(Checked(oids::CheckBox2));
    EXPECT_FALSE(Checked(oids::CheckBox4));
    EXPECT_FALSE(settings().useext);
    Click(oids::CheckBox3);
    EXPECT_TRUE(Checked(oids::CheckBox2));  // the two exclusions go together
    Click(oids::CheckBox4);
    EXPECT_FALSE(Checked(oids::CheckBox2));
    EXPECT_FALSE(Checked(oids::CheckBox3));
    EXPECT_FALSE(settings().noext || settings().nofile);
    Click(oids::CheckBox4);  // unticking changes no other box
    EXPECT_FALSE(Checked(oids::CheckBox2) || Checked(oids::CheckBox3) || Checked(oids::CheckBox4));
}

TEST_F(OptionsDialog, IndicatorsFollowTheirBoxes) {
    Start();
    struct Case {
        int box;
        app::Panel panel;
        const char* text;
    };
    for (Case c : {Case{oids::usesubs1, app::kPanelSub, "Sub"}, Case{oids::autosortdata1, app::kPanelSync, "Sync"},
                   Case{oids::bAutoLoad, app::kPanelLoad, "Load"}}) {
        Click(c.box);
        EXPECT_EQ(main().PanelText(c.panel), c.text);
        Click(c.box);
        EXPECT_EQ(main().PanelText(c.panel), "");
    }
}

TEST_F(OptionsDialog, MultipleDirectoriesSwitchesTheMainWindowsFolders) {
    Start();
    Click(oids::usemulti1);
    EXPECT_EQ(main().PanelText(app::kPanelMulti), "Multi");
    EXPECT_EQ(Text(app::ids::lFolder1), "Multi");
    EXPECT_EQ(Text(app::ids::rFolder1), "Multi");
    Click(oids::usemulti1);
    EXPECT_EQ(main().PanelText(app::kPanelMulti), "");
    EXPECT_EQ(Text(app::ids::lFolder1), "C:\\Data");
    EXPECT_EQ(Text(app::ids::rFolder1), "D:\\Backup");
    EXPECT_TRUE(Enabled(app::ids::bLoad));

    SetValue("remote", "");
    Click(oids::usemulti1);
    Click(oids::usemulti1);
    EXPECT_EQ(Text(app::ids::rFolder1), "none");
    EXPECT_FALSE(Enabled(app::ids::bLoad));
}

TEST_F(OptionsDialog, FolderPairsAreAddedOnlyWhenBothSidesAreSetAndDiffer) {
    Start();
    auto add = [&](const char* first, const char* second) {
        Type(oids::edit4, first);
        Type(oids::edit5, second);
        Click(oids::Button11);
        EXPECT_EQ(ui::GetText(Item(oids::edit4)), "");
        EXPECT_EQ(ui::GetText(Item(oids::edit5)), "");
    };
    add("C:\\A", "D:\\A");
    add("C:\\B", "");
    add("", "D:\\B");
    add("C:\\C", "C:\\C");
    add("C:\\D", "D:\\D");
    EXPECT_EQ(List(oids::ldir1), (Entries{"C:\\A", "C:\\D"}));
    EXPECT_EQ(List(oids::rdir1), (Entries{"D:\\A", "D:\\D"}));
}

TEST_F(OptionsDialog, PairsAreRemovedTogetherBySelectionOrByTheFirstFolderText) {
    Start();
    for (const char* n : {"1", "2", "3", "4"}) {
        Type(oids::edit4, std::string("C:\\") + n);
        Type(oids::edit5, std::string("D:\\") + n);
        Click(oids::Button11);
    }
    // Selecting a First Folder selects its Second Folder too, and the other way round.
    ClickEntry(oids::ldir1, 1);
    EXPECT_TRUE(ui::IsEntrySelected(Item(oids::rdir1), 1));
    ClickEntry(oids::rdir1, 3, true);
    EXPECT_TRUE(ui::IsEntrySelected(Item(oids::ldir1), 3));
    EXPECT_TRUE(ui::IsEntrySelected(Item(oids::ldir1), 1));
    Type(oids::edit4, "C:\\1");
    Type(oids::edit5, "D:\\nothing");  // plays no part
    Click(oids::Button12);
    EXPECT_EQ(List(oids::ldir1), (Entries{"C:\\3"}));
    EXPECT_EQ(List(oids::rdir1), (Entries{"D:\\3"}));
}

TEST_F(OptionsDialog, OkStoresTheFileAndTheValues) {
    Start();
    Type(oids::Edit1, "tmp");
    Click(oids::Button1);
    Type(oids::edit4, "C:\\Work");
    Type(oids::edit5, "D:\\Backup");
    Click(oids::Button11);
    Click(oids::CheckBox2);
    Click(oids::usestamp1);
    Type(oids::ssdelay1, "25");
    EXPECT_EQ(RunModal({Press(oids::BitBtn1)}), IDOK);
    EXPECT_EQ(folder.Read("mirv4.dat"), ":eel\r\n.tmp\r\n\r\n:ldir\r\nC:\\Work\r\n\r\n:rdir\r\nD:\\Backup\r\n\r\n");
    EXPECT_EQ(platform::ReadProgramValue("noext"), "true");
    EXPECT_EQ(platform::ReadProgramValue("usestamp"), "true");
    EXPECT_EQ(platform::ReadProgramValue("usemulti"), "false");
    EXPECT_EQ(platform::ReadProgramValue("ssdelay"), "25");
    EXPECT_EQ(settings().filterMode, 1);
    EXPECT_EQ(settings().excludedExtText, ".tmp ");
}

TEST_F(OptionsDialog, SafetyPageShowsTheNetOnAndStoresWhatIsTicked) {
    Start();
    EXPECT_TRUE(Checked(oids::userecycle1) && Checked(oids::usereport1));
    EXPECT_FALSE(Checked(oids::ignorehour1) || Checked(oids::usememory1));
    Click(oids::userecycle1);
    Click(oids::ignorehour1);
    Click(oids::usememory1);
    EXPECT_FALSE(settings().userecycle);
    EXPECT_TRUE(settings().ignorehour && settings().usememory);
    EXPECT_EQ(RunModal({Press(oids::BitBtn1)}), IDOK);
    EXPECT_EQ(platform::ReadProgramValue("userecycle"), "false");
    EXPECT_EQ(platform::ReadProgramValue("usereport"), "true");
    EXPECT_EQ(platform::ReadProgramValue("ignorehour"), "true");
    EXPECT_EQ(platform::ReadProgramValue("usememory"), "true");
}

TEST_F(OptionsDialog, DelayOutOfRangeOrNotANumberIsBroughtIntoRangeBeforeItIsStored) {
    Start();
    Type(oids::ssdelay1, "99");
    RunModal({Press(oids::BitBtn1)});
    EXPECT_EQ(platform::ReadProgramValue("ssdelay"), "60");
    Type(oids::ssdelay1, "soon");
    RunModal({Press(oids::BitBtn1)});
    EXPECT_EQ(platform::ReadProgramValue("ssdelay"), "10");
    EXPECT_EQ(ui::GetText(Item(oids::ssdelay1)), "10");
    Type(oids::ssdelay1, "5");
    EXPECT_EQ(settings().ssdelay, 10);  // a countdown never sees a delay out of range
}

TEST_F(OptionsDialog, CancelStoresNothingButTheChangesHoldForTheRun) {
    Start();
    Click(oids::CheckBox2);  // ticked without OK: mode 1, text still empty
    Click(oids::usesubs1);
    Type(oids::Edit1, "tmp");
    Click(oids::Button1);
    EXPECT_EQ(RunModal({Press(oids::bCancel)}), IDCANCEL);
    EXPECT_FALSE(SettingsFileExists());
    EXPECT_EQ(platform::ReadProgramValue("usesubs"), "");
    EXPECT_TRUE(settings().usesubs);
    EXPECT_EQ(settings().eel, (Entries{".tmp"}));
    EXPECT_EQ(settings().filterMode, 1);
    EXPECT_EQ(settings().excludedExtText, "");
}

TEST_F(OptionsDialog, ClosingEmptiesTheTextsOfUntickedFilters) {
    folder.Write("mirv4.dat", ":eel\r\n.tmp\r\n\r\n:efl\r\nreadme\r\n\r\n");
    SetValue("noext", "true");
    SetValue("nofile", "true");
    Start();
    EXPECT_EQ(settings().excludedNameText, "readme ");
    Click(oids::CheckBox2);
    Click(oids::CheckBox3);
    RunModal({Key(options().hwnd(), WM_CLOSE, 0)});
    EXPECT_EQ(settings().filterMode, 0);
    EXPECT_EQ(settings().excludedExtText, "");
    EXPECT_EQ(settings().excludedNameText, "");
    EXPECT_TRUE(settings().excludedNames.empty());
}

TEST_F(OptionsDialog, SettingsFileThatCannotBeWrittenKeepsTheDialogOpenAndStoresNothing) {
    programFolder = folder.Core("missing");
    Start();
    Click(oids::usestamp1);
    EXPECT_EQ(RunModal({Press(oids::BitBtn1), Press(oids::bCancel)}), IDCANCEL);
    ASSERT_EQ(prompter.errors.size(), 1u);
    EXPECT_EQ(prompter.errors[0], "Cannot create file " + folder.Core("missing") + "\\mirv4.dat");
    EXPECT_EQ(platform::ReadProgramValue("usestamp"), "");
    EXPECT_TRUE(settings().usestamp);
}

TEST_F(OptionsDialog, ReopensOnThePageShownLast) {
    Start();
    EXPECT_EQ(TabCtrl_GetCurSel(Item(oids::Pages)), 0);
    HWND tabs = Item(oids::Pages);
    RECT r{};
    TabCtrl_GetItemRect(tabs, 1, &r);
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    RunModal({MSG{tabs, WM_LBUTTONDOWN, MK_LBUTTON, at, 0, {}}, MSG{tabs, WM_LBUTTONUP, 0, at, 0, {}},
              Press(oids::bCancel)});
    EXPECT_EQ(TabCtrl_GetCurSel(tabs), 1);
    EXPECT_TRUE((GetWindowLongW(Item(oids::usesubs1), GWL_STYLE) & WS_VISIBLE) != 0);
    EXPECT_FALSE((GetWindowLongW(Item(oids::eel1), GWL_STYLE) & WS_VISIBLE) != 0);
}

class WizardNotice : public OptionsDialog {};

TEST_F(WizardNotice, BothBoxesStoreTheChoiceAtOnceAndTheNoticeIsNotCopiedBack) {
    Start();
    EXPECT_TRUE(application->fMWiz().ShowWizard());
    EXPECT_TRUE(Checked(oids::CheckBox1));
    Click(oids::CheckBox1);  // the Options box sets the notice's box, which stores
    EXPECT_EQ(platform::ReadProgramValue("usewiz"), "false");
    EXPECT_FALSE(application->fMWiz().ShowWizard());
    RunModal({Press(oids::bCancel)});
    EXPECT_EQ(platform::ReadProgramValue("usewiz"), "false");  // Cancel does not undo it

    Click(oids::CheckBox1);
    HWND noticeBox = GetDlgItem(application->fMWiz().hwnd(), 401);
    SendMessageW(noticeBox, BM_CLICK, 0, 0);
    EXPECT_EQ(platform::ReadProgramValue("usewiz"), "false");
    EXPECT_TRUE(Checked(oids::CheckBox1));  // not copied back during the run
}

TEST_F(WizardNotice, OnlyTheExactTextFalseSwitchesItOff) {
    SetValue("usewiz", "False");
    Start();
    EXPECT_TRUE(application->fMWiz().ShowWizard());
    application.reset();
    SetValue("usewiz", "false");
    Start();
    EXPECT_FALSE(application->fMWiz().ShowWizard());
    EXPECT_FALSE(Checked(oids::CheckBox1));
}

TEST_F(WizardNotice, ShowsItsFourteenLines) {
    Start();
    std::string text = ui::GetText(GetDlgItem(application->fMWiz().hwnd(), 400));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 13);
    EXPECT_NE(text.find("any necessary changes.  \r\n\r\nOnce"), std::string::npos);
    EXPECT_NE(text.find("you may select Auto Load, and \r\nAuto Sync from the options page."), std::string::npos);
    EXPECT_EQ(ui::GetText(application->fMWiz().hwnd()), "Multi Dir Sync Wizard");
}

class AboutBox : public OptionsDialog {
protected:
    settings::TAboutBox& about() { return application->AboutBox(); }
    int ShowAbout(const std::vector<MSG>& input) {
        for (const MSG& m : input) PostMessageW(m.hwnd, m.message, m.wParam, m.lParam);
        return about().ShowModal(main().hwnd());
    }
    MSG DoubleClick(int id) {
        return MSG{about().hwnd(), WM_COMMAND, MAKEWPARAM(id, STN_DBLCLK),
                   reinterpret_cast<LPARAM>(GetDlgItem(about().hwnd(), id)), 0, {}};
    }
    MSG Escape() { return MSG{GetDlgItem(about().hwnd(), IDOK), WM_KEYDOWN, VK_ESCAPE, 1, 0, {}}; }
};

TEST_F(AboutBox, ShowsTheStoredVersionAndClosesOnEscape) {
    SetValue("Version", "1.2.3");
    Start();
    EXPECT_EQ(ShowAbout({Escape()}), IDCANCEL);
    EXPECT_EQ(ui::GetText(GetDlgItem(about().hwnd(), 502)), "Version 1.2.3");
    EXPECT_EQ(ui::GetText(GetDlgItem(about().hwnd(), 501)), "The Mirravel 98");
    testing_support::ProgramKey::Remove();
    ShowAbout({Escape()});
    EXPECT_EQ(ui::GetText(GetDlgItem(about().hwnd(), 502)), "Version ");
}

TEST_F(AboutBox, DoubleClickOpensTheAddressOnlyAfterOk) {
    Start();
    prompter.answerYes = false;
    ShowAbout({DoubleClick(500), Escape()});
    EXPECT_TRUE(prompter.opened.empty());
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0],
              "If you are already logged onto the Internet,\rpress OK now.  If not, log onto the Internet,\r"
              "then press OK.  Press Cancel to exit.");
    prompter.answerYes = true;
    ShowAbout({DoubleClick(500), DoubleClick(503), Escape()});
    EXPECT_EQ(prompter.opened, (Entries{folder.Core() + "\\mirv98.rtf", folder.Core() + "\\mirv98.rtf"}));
}

class Help : public OptionsDialog {};

TEST_F(Help, OpensTheGuideBesideTheProgram) {
    Start();
    SendMessageW(main().hwnd(), WM_COMMAND, app::ids::Help1, 0);
    EXPECT_TRUE(prompter.opened.empty());  // no help file: nothing happens
    folder.Write("mirv98.rtf", "{\\rtf1 guide}");
    SendMessageW(main().hwnd(), WM_COMMAND, app::ids::Help1, 0);
    folder.Write("mirv98.hlp", "old help");
    SendMessageW(main().hwnd(), WM_COMMAND, app::ids::Help1, 0);
    EXPECT_EQ(prompter.opened, (Entries{folder.Core() + "\\mirv98.rtf", folder.Core() + "\\mirv98.hlp"}));
}

// Every user may change "runpath": whatever it holds, the guide, the About address, the settings
// file and the working folder are the program's own.
TEST_F(AboutBox, RunpathNamingAnotherFolderSteersNothing) {
    testing_support::TempFolder elsewhere;
    for (const char* name : {"mirv98.hlp", "mirv98.rtf"}) elsewhere.Write(name, "planted");
    elsewhere.Write("mirv4.dat", ":eel\r\n.doc\r\n\r\n:ldir\r\nC:\\Users\r\n\r\n:rdir\r\nD:\\Drop\r\n\r\n");
    folder.Write("mirv98.rtf", "{\\rtf1 guide}");
    folder.Write("mirv4.dat", ":eel\r\n.tmp\r\n\r\n");
    for (bool number : {false, true}) {
        if (number) ASSERT_TRUE(testing_support::ProgramKey::StoreNumber(L"runpath", 7));
        else SetValue("runpath", elsewhere.Core());
        application.reset();
        prompter.opened.clear();
        Start();
        SendMessageW(main().hwnd(), WM_COMMAND, app::ids::Help1, 0);
        ShowAbout({DoubleClick(500), Escape()});
        EXPECT_EQ(prompter.opened, (Entries{folder.Core("mirv98.rtf"), folder.Core("mirv98.rtf")}));
        EXPECT_EQ(settings().eel, Entries{".tmp"});
        EXPECT_TRUE(settings().ldir.empty());
        EXPECT_TRUE(prompter.errors.empty());
        EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), folder.path()));
    }
}

}  // namespace

// File > Undo Last Sync in the real window, over real folders and the real Recycle Bin.
#include "tests/gui/gui_fixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "app/sync_report.h"
#include "platform/error.h"
#include "platform/file_system.h"
#include "review/commands.h"

namespace {

using namespace gui_testing;
namespace ids = app::ids;

class Undo : public PairTest {
protected:
    void SetUp() override {
        PairTest::SetUp();
        SetValue("usewiz", "false");
    }
    void Click(int id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }
    void Menu(int id) { SendMessageW(main().hwnd(), WM_COMMAND, id, 0); }
    // Whether the File menu offers Undo Last Sync, as it stands when the user opens it.
    bool UndoOffered() {
        HMENU file = GetSubMenu(GetMenu(main().hwnd()), 0);
        SendMessageW(main().hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
        return !(GetMenuState(file, ids::UndoLastSync1, MF_BYCOMMAND) & MF_GRAYED);
    }
    // Selects an entry of a list and gives the pop-up command, as the user does.
    void Command(int list, int value, size_t row, int command) {
        main().state().ActiveList = value;
        ListView_SetItemState(Control(list), static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
        Menu(command);
    }
};

TEST_F(Undo, TheLastSyncFromTheButtonIsUndoneOnceAndAFileEditedSinceKeepsItsEdit) {
    first.Write("from-first.txt", "new in the first");
    first.Write("NewFolder\\inside.txt", "in a new folder");
    second.Write("from-second.txt", "new in the second");
    first.Write("older-in-second.txt", "newer first copy");
    second.Write("older-in-second.txt", "old second copy");
    second.Age("older-in-second.txt", 2);
    second.Write("older-in-first.txt", "newer second copy");
    first.Write("older-in-first.txt", "old first copy");
    first.Age("older-in-first.txt", 2);
    second.Write("unwanted.txt", "to be deleted");
    const auto beforeFirst = first.Snapshot(), beforeSecond = second.Snapshot();
    Start();
    Show();
    Click(ids::bLoad);
    auto& lists = main().state().lists;
    ASSERT_EQ(Texts(lists.lFileAdd1), (Entries{"from-second.txt", "unwanted.txt"}));
    Command(ids::lFileAdd1, review::klFileAdd1, 1, ids::DeleteFile1);  // unwanted.txt onto the delete list
    ASSERT_EQ(Texts(lists.rdelfile1), (Entries{"unwanted.txt 1"}));
    Click(ids::bSync);
    ASSERT_EQ(main().PanelText(app::kPanelMessage), "Synchronize Complete");
    ASSERT_FALSE(second.Exists("unwanted.txt"));
    first.Write("from-second.txt", "edited after the Sync");

    ASSERT_TRUE(UndoOffered());
    Menu(ids::UndoLastSync1);
    ASSERT_EQ(prompter.questions.size(), 1u);
    const std::string& question = prompter.questions[0];
    EXPECT_EQ(question.rfind("Undo Last Sync: Undo the Sync started ", 0), 0u) << question;
    EXPECT_NE(question.find("First Folder: " + first.Core() + "\r\nSecond Folder: " + second.Core()), std::string::npos);
    for (const char* line : {"\r\n\r\nIt removes 5 new copies the Sync made, to the Recycle Bin.\r\n",
                             "\r\nIt brings back 3 items the Sync replaced or deleted, from the Recycle Bin.\r\n",
                             "\r\nFiles changed since the Sync are left as they are.\r\n"})
        EXPECT_NE(question.find(line), std::string::npos) << question;
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "Undo: 1 item not undone");
    auto afterFirst = first.Snapshot();
    EXPECT_TRUE(afterFirst["from-second.txt"].ends_with(" edited after the Sync"));
    afterFirst.erase("from-second.txt");
    EXPECT_EQ(afterFirst, beforeFirst);
    EXPECT_EQ(second.Snapshot(), beforeSecond);
    auto report = app::NewestReport(platform::SystemFileOps(), app::ReportFolder());
    ASSERT_TRUE(report);
    std::string text;
    ASSERT_EQ(platform::ReadWholeFile(*report, text), platform::ReadStatus::Ok);
    EXPECT_NE(text.find("The Mirravel 98: report of an undo"), std::string::npos);
    EXPECT_NE(text.find("\r\nFirst Folder: " + first.Core() + "\r\nSecond Folder: " + second.Core() + "\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Not undone in the First Folder: from-second.txt (changed since the Sync)"), std::string::npos)
        << text;
    EXPECT_TRUE(Enabled(ids::bLoad));
    EXPECT_FALSE(Visible(ids::bStop));

    // Undone once: the menu no longer offers it, and the command does nothing.
    EXPECT_FALSE(UndoOffered());
    Menu(ids::UndoLastSync1);
    EXPECT_EQ(prompter.questions.size(), 1u);
}

TEST_F(Undo, EveryPairOfAMultiDirectoryRunIsUndoneAndNoMeansNothingChanges) {
    std::string firsts, seconds;
    std::vector<std::unique_ptr<testing_support::TempFolder>> folders;
    for (int i = 0; i < 3; ++i) {
        folders.push_back(std::make_unique<testing_support::TempFolder>());
        folders.back()->Write("a" + std::to_string(i) + ".txt", "pair " + std::to_string(i));
        folders.push_back(std::make_unique<testing_support::TempFolder>());
        firsts += folders[folders.size() - 2]->Core() + "\r\n";
        seconds += folders.back()->Core() + "\r\n";
    }
    folder.Write("mirv4.dat", ":ldir\r\n" + firsts + "\r\n:rdir\r\n" + seconds + "\r\n");
    SetValue("usemulti", "true");
    SetValue("autodortdata", "true");
    Start();
    Show();
    Menu(ids::Load1);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(folders[2 * i + 1]->Exists("a" + std::to_string(i) + ".txt")) << i;

    prompter.answerYes = false;
    Menu(ids::UndoLastSync1);
    EXPECT_EQ(prompter.questions.size(), 1u);
    EXPECT_TRUE(folders[1]->Exists("a0.txt"));
    EXPECT_TRUE(UndoOffered());

    prompter.answerYes = true;
    Menu(ids::UndoLastSync1);
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "Sync undone");
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(folders[2 * i + 1]->Exists("a" + std::to_string(i) + ".txt")) << i;
        EXPECT_TRUE(folders[2 * i]->Exists("a" + std::to_string(i) + ".txt")) << i;
    }
}

// Stopped, the undo leaves the Sync undoable; a second one puts back the rest.
TEST_F(Undo, AStoppedUndoIsFinishedByASecondOne) {
    constexpr int kFiles = 300;
    for (int i = 0; i < kFiles; ++i) first.Write("f" + std::to_string(i) + ".txt", "x");
    const auto beforeFirst = first.Snapshot(), beforeSecond = second.Snapshot();
    Start();
    Show();
    Click(ids::bLoad);
    Click(ids::bSync);
    ASSERT_TRUE(second.Exists("f0.txt"));
    bool stopped = false;
    {
        Script script([&] {
            if (stopped || main().state().phases.Current() != app::Phase::Undo ||
                SendMessageW(Control(ids::pb1), PBM_GETPOS, 0, 0) == 0)
                return;
            EXPECT_TRUE(Visible(ids::bStop) && Enabled(ids::bStop));
            EXPECT_FALSE(Enabled(ids::bLoad));
            EXPECT_EQ(Text(ids::Label3), "Undoing Sync");
            Click(ids::bStop);
            stopped = true;
        });
        Menu(ids::UndoLastSync1);
    }
    ASSERT_TRUE(stopped);
    int left = 0;
    for (int i = 0; i < kFiles; ++i) left += second.Exists("f" + std::to_string(i) + ".txt");
    EXPECT_GT(left, 0);
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "Undo stopped: " + std::to_string(left) + " items not undone");
    EXPECT_FALSE(main().state().stopRequested);
    ASSERT_TRUE(UndoOffered());
    Menu(ids::UndoLastSync1);
    EXPECT_EQ(main().PanelText(app::kPanelMessage), "Sync undone");
    EXPECT_EQ(first.Snapshot(), beforeFirst);
    EXPECT_EQ(second.Snapshot(), beforeSecond);
    EXPECT_FALSE(UndoOffered());
}

// The real file system, but every look below one folder fails with an error nobody foresaw.
class ThrowingFileOps final : public platform::FileOps {
public:
    explicit ThrowingFileOps(std::string root) : root_(std::move(root)) {}
    bool Enumerate(std::string_view folder, const std::function<void(const platform::FileInfo&)>& visit) override {
        return Check(folder).Enumerate(folder, visit);
    }
    std::optional<platform::FileInfo> Find(std::string_view path) override { return Check(path).Find(path); }
    bool CopyToFile(std::string_view from, std::string_view to) override { return Check(to).CopyToFile(from, to); }
    bool MoveReplacing(std::string_view from, std::string_view to) override { return Check(to).MoveReplacing(from, to); }
    bool CanReplace(std::string_view path) override { return Check(path).CanReplace(path); }
    bool Rename(std::string_view from, std::string_view to) override { return Check(to).Rename(from, to); }
    bool RemoveFile(std::string_view path) override { return Check(path).RemoveFile(path); }
    bool Link(std::string_view existing, std::string_view name) override { return Check(name).Link(existing, name); }
    bool RemoveName(std::string_view path) override { return Check(path).RemoveName(path); }
    std::optional<platform::FileIdentity> Identity(std::string_view path) override { return Check(path).Identity(path); }
    bool CreateFolder(std::string_view path) override { return Check(path).CreateFolder(path); }
    bool RemoveFolder(std::string_view path) override { return Check(path).RemoveFolder(path); }
    bool SetArchiveOnly(std::string_view path) override { return Check(path).SetArchiveOnly(path); }
    bool FolderExists(std::string_view path) override { return Check(path).FolderExists(path); }

private:
    platform::FileOps& Check(std::string_view path) {
        if (path.starts_with(root_)) throw platform::AppError("The device is not ready");
        return platform::SystemFileOps();
    }
    std::string root_;
};

// "-undo" runs unattended: an error ends it with exit code 1 and the window closed, without a message
// box that nobody would answer; the undo's report says what ended it.
TEST_F(Undo, UndoSwitchEndsWithExitCodeOneWhenTheFileLayerFails) {
    first.Write("a.txt", "x");
    Start();
    Click(ids::bLoad);
    Click(ids::bSync);
    ASSERT_TRUE(second.Exists("a.txt"));
    ThrowingFileOps files(second.Core());
    Start({"-undo"}, false, files);
    HWND window = main().hwnd();
    std::optional<WPARAM> code;
    MSG msg;
    while (!code && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) code = msg.wParam;
        else DispatchMessageW(&msg);
    }
    EXPECT_EQ(code, WPARAM{1});
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(prompter.errors.empty());
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_TRUE(second.Exists("a.txt"));
    auto report = app::NewestReport(platform::SystemFileOps(), app::ReportFolder());
    ASSERT_TRUE(report);
    std::string text;
    ASSERT_EQ(platform::ReadWholeFile(*report, text), platform::ReadStatus::Ok);
    EXPECT_NE(text.find("Ended by an error: The device is not ready\r\n"), std::string::npos) << text;
}

// Enter gives the default answer, and to deleting for good that is No. (A real box costs two seconds
// under Wine: the undo's own question keeps the system's default, Yes, and is not shown here.)
TEST_F(Undo, EnterNeverDeletesForGood) {
    ui::MessageBoxPrompter boxes;
    bool pressed = false;
    int ticks = 0;
    Script script([&] {
        HWND box = FindWindowW(L"#32770", L"The Mirravel");
        if (!box) return;
        // A box that Enter did not close gets Yes, so that the test ends, and fails.
        if (pressed && ++ticks > 100) {
            ADD_FAILURE() << "Enter did not close the box";
            PostMessageW(box, WM_COMMAND, IDYES, 0);
        }
        if (pressed) return;
        pressed = true;
        HWND to = GetFocus() ? GetFocus() : box;
        PostMessageW(to, WM_KEYDOWN, VK_RETURN, 0);
        PostMessageW(to, WM_KEYUP, VK_RETURN, 0);
    });
    EXPECT_FALSE(boxes.AskYesNo(nullptr, "The Recycle Bin cannot take 2 items on C:. Delete them for good?", true));
    EXPECT_TRUE(pressed);
}

TEST_F(Undo, AJournalThatCannotBeWrittenIsToldAtOnceAndNoOlderSyncIsUndoneInItsPlace) {
    first.Write("a.txt", "synced first");
    Start();
    Show();
    Click(ids::bLoad);
    Click(ids::bSync);
    ASSERT_TRUE(UndoOffered());
    // The folder of the journals turns into a file: nothing can be written there.
    namespace fs = std::filesystem;
    const fs::path reports = fs::path(app::ReportFolder());  // ASCII in the test prefix
    const fs::path away = reports.parent_path() / "Reports.away";
    fs::rename(reports, away);
    { std::ofstream(reports) << "not a folder"; }
    first.Write("b.txt", "synced second");
    Click(ids::bLoad);
    std::vector<std::string> shown;
    {
        Script script([&] { shown.push_back(main().PanelText(app::kPanelMessage)); });
        Click(ids::bSync);
    }
    fs::remove(reports);
    fs::rename(away, reports);
    EXPECT_TRUE(second.Exists("b.txt"));  // the Sync goes on
    const std::string told = "the journal cannot be written: this Sync cannot be undone";
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [&](const std::string& t) { return t.find(told) != std::string::npos; }));
    EXPECT_NE(main().PanelText(app::kPanelMessage).find(told), std::string::npos);
    EXPECT_FALSE(UndoOffered());
    Menu(ids::UndoLastSync1);
    EXPECT_TRUE(second.Exists("a.txt"));
}

TEST_F(Undo, WithTheMemoryOnEveryStepIsJournaledBeforeItIsDone) {
    first.Write("a.txt", "newer");
    second.Write("a.txt", "older");
    second.Age("a.txt", 2);
    SetValue("usememory", "true");
    Start();
    Click(ids::bLoad);
    Click(ids::bSync);
    auto journal = app::UndoableJournal(platform::SystemFileOps(), app::ReportFolder());
    ASSERT_TRUE(journal);
    std::string text;
    ASSERT_EQ(platform::ReadWholeFile(*journal, text), platform::ReadStatus::Ok);
    EXPECT_NE(text.find("intent\t1\treplace\t2\t"), std::string::npos) << text;
}

}  // namespace

// The real program, started as a separate process on real folders, as a user or the shell
// extension starts it; the folders are checked once it has ended by itself. It runs from a copy in
// a folder of the test's own, its installation folder, where it finds its settings file.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/sync_report.h"
#include "platform/file_system.h"
#include "platform/file_ops.h"
#include "platform/program_values.h"
#include "platform/win32/wide.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(platform::Widen(platform::ExecutableFolder() + "\\..\\mirv98.exe"), install.path() / "mirv98.exe");
        Set("runpath", install.Core());
        Set("usesubs", "true");
        Set("usewiz", "false");
        first.Write("a.txt", "from first");
        first.Write("Docs\\b.txt", "nested");
        second.Write("c.txt", "from second");
    }
    void Set(const char* name, const std::string& value) { platform::WriteProgramValue(name, value); }

    // Starts mirv98.exe with the arguments (quoted where they hold blanks) and waits for it to end.
    // environment, when given, replaces or adds variables ("NAME=value") of this process's own.
    bool RunsToItsEnd(const std::vector<std::string>& arguments, DWORD seconds = 60,
                      const std::vector<std::wstring>& environment = {}, DWORD* exitCode = nullptr) {
        PROCESS_INFORMATION pi = Launch(arguments, environment);
        if (!pi.hProcess) return false;
        bool ended = WaitForSingleObject(pi.hProcess, seconds * 1000) == WAIT_OBJECT_0;
        if (!ended) TerminateProcess(pi.hProcess, 1);
        if (exitCode) GetExitCodeProcess(pi.hProcess, exitCode);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return ended;
    }
    // Starts it and kills it, as a crash or a power cut would end it, the given time after started()
    // first says yes (asked every few milliseconds).
    void KilledAfter(const std::vector<std::string>& arguments, const std::function<bool()>& started, DWORD milliseconds) {
        PROCESS_INFORMATION pi = Launch(arguments, {});
        ASSERT_TRUE(pi.hProcess);
        while (!started() && WaitForSingleObject(pi.hProcess, 5) == WAIT_TIMEOUT) {
        }
        if (WaitForSingleObject(pi.hProcess, milliseconds) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 9);
        WaitForSingleObject(pi.hProcess, INFINITE);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    PROCESS_INFORMATION Launch(const std::vector<std::string>& arguments, const std::vector<std::wstring>& environment) {
        std::wstring program = platform::Widen(install.Core("mirv98.exe"));
        std::wstring line = L"\"" + program + L"\"";
        for (const std::string& a : arguments)
            line += a.find(' ') == std::string::npos ? L" " + platform::Widen(a) : L" \"" + platform::Widen(a) + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::wstring block;
        if (!environment.empty()) {
            wchar_t* own = GetEnvironmentStringsW();
            for (const wchar_t* v = own; *v; v += wcslen(v) + 1) {
                std::wstring variable(v);
                bool replaced = false;
                for (const std::wstring& e : environment)
                    replaced |= variable.starts_with(e.substr(0, e.find(L'=') + 1));
                if (!replaced) block += variable + L'\0';
            }
            FreeEnvironmentStringsW(own);
            for (const std::wstring& e : environment) block += e + L'\0';
            block += L'\0';
        }
        if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                            block.empty() ? nullptr : block.data(), nullptr, &si, &pi))
            return {};
        return pi;
    }
    void ExpectInStep(const testing_support::TempFolder& a, const testing_support::TempFolder& b,
                      const std::string& prefix = {}) {
        for (const char* name : {"a.txt", "Docs\\b.txt", "c.txt"}) {
            EXPECT_TRUE(a.Exists(prefix + name)) << prefix + name;
            EXPECT_EQ(a.Read(prefix + name), b.Read(prefix + name)) << prefix + name;
        }
    }

    testing_support::ProgramKey key;
    testing_support::TempFolder install, first, second;
};

TEST_F(Program, AutoSwitchWithAPairSyncsAndClosesByItself) {
    Set("autodortdata", "true");
    Set("autoclose", "true");
    ASSERT_TRUE(RunsToItsEnd({"-auto", first.Core(), second.Core()}));
    ExpectInStep(first, second);
    EXPECT_EQ(platform::ReadProgramValue("slocal"), "");
    EXPECT_EQ(platform::ReadProgramValue("sremote"), "");
}

TEST_F(Program, WizardStartTakesTheHandedOverPairAndClosesAfterItsSync) {
    Set("slocal", first.Core());
    Set("sremote", second.Core());
    Set("autodortdata", "true");
    ASSERT_TRUE(RunsToItsEnd({"-wiz"}));
    ExpectInStep(first, second);
    EXPECT_EQ(platform::ReadProgramValue("slocal"), "");
    EXPECT_EQ(platform::ReadProgramValue("sremote"), "");
}

TEST_F(Program, ShortcutFileWithBlanksInItsPathNamesThePair) {
    Set("autoloaddata", "true");
    Set("autodortdata", "true");
    Set("autoclose", "true");
    install.Write("my pairs\\work.mvp", first.Core() + "\r\n" + second.Core() + "\r\n");
    ASSERT_TRUE(RunsToItsEnd({install.Core("my pairs\\work.mvp")}));
    ExpectInStep(first, second);
}

// The settings file is the one beside the program, whatever "runpath" names.
TEST_F(Program, AutoMultiSwitchSyncsEveryStoredPair) {
    testing_support::TempFolder elsewhere;
    elsewhere.Write("planted\\a.txt", "planted");
    elsewhere.Write("mirv4.dat", ":ldir\r\n" + elsewhere.Core("planted") + "\r\n\r\n:rdir\r\n" + elsewhere.Core("drop") + "\r\n\r\n");
    Set("runpath", elsewhere.Core());
    Set("autoloaddata", "true");
    Set("autodortdata", "true");
    Set("autoclose", "true");
    for (const char* pair : {"one\\", "two\\"}) {
        first.Write(std::string(pair) + "a.txt", "from first");
        first.Write(std::string(pair) + "Docs\\b.txt", "nested");
        second.Write(std::string(pair) + "c.txt", "from second");
    }
    install.Write("mirv4.dat", ":ldir\r\n" + first.Core("one") + "\r\n" + first.Core("two") + "\r\n\r\n:rdir\r\n" +
                                   second.Core("one") + "\r\n" + second.Core("two") + "\r\n\r\n");
    ASSERT_TRUE(RunsToItsEnd({"-automulti"}));
    ExpectInStep(first, second, "one\\");
    ExpectInStep(first, second, "two\\");
    EXPECT_FALSE(second.Exists("a.txt"));  // the pair in the folder edits played no part
    EXPECT_FALSE(elsewhere.Exists("drop"));
}

// "-undo" for scripts: no question, and an exit code that says whether every item was put back.
TEST_F(Program, UndoSwitchUndoesTheLastSyncAndSaysSoInItsExitCode) {
    Set("autodortdata", "true");
    Set("autoclose", "true");
    const auto beforeFirst = first.Snapshot(), beforeSecond = second.Snapshot();
    ASSERT_TRUE(RunsToItsEnd({"-auto", first.Core(), second.Core()}));
    ASSERT_TRUE(second.Exists("a.txt"));
    DWORD code = 99;
    ASSERT_TRUE(RunsToItsEnd({"-undo"}, 60, {}, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(first.Snapshot(), beforeFirst);
    EXPECT_EQ(second.Snapshot(), beforeSecond);
    ASSERT_TRUE(RunsToItsEnd({"-undo"}, 60, {}, &code));
    EXPECT_EQ(code, 1u);  // nothing left to undo
}

// With each Sync remembered, unattended runs carry a deletion over and leave a change made on both
// sides for the user.
TEST_F(Program, RememberedSyncsCarryDeletionsOverAndLeaveChangesOnBothSides) {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (!data || !*data) GTEST_SKIP() << "XDG_DATA_HOME names no trash of the test run";
    Set("usememory", "true");
    Set("autodortdata", "true");
    Set("autoclose", "true");
    first.Write("gone.txt", "deleted in the first " + std::to_string(GetCurrentProcessId()));
    ASSERT_TRUE(RunsToItsEnd({"-auto", first.Core(), second.Core()}));
    ASSERT_TRUE(second.Exists("gone.txt"));
    fs::remove(first.path() / "gone.txt");
    first.Write("Docs\\b.txt", "changed in the first");
    fs::last_write_time(first.path() / "Docs" / "b.txt", fs::last_write_time(first.path() / "Docs" / "b.txt") - std::chrono::hours(1));
    second.Write("Docs\\b.txt", "changed in the second");
    ASSERT_TRUE(RunsToItsEnd({"-auto", first.Core(), second.Core()}));
    EXPECT_FALSE(second.Exists("gone.txt"));
    EXPECT_EQ(first.Read("Docs\\b.txt"), "changed in the first");
    EXPECT_EQ(second.Read("Docs\\b.txt"), "changed in the second");
    bool inTrash = false;
    for (const auto& e : fs::directory_iterator(fs::path("Z:" + std::string(data)) / "Trash" / "files")) {
        std::ifstream in(e.path(), std::ios::binary);
        std::string content((std::istreambuf_iterator<char>(in)), {});
        inTrash |= content == "deleted in the first " + std::to_string(GetCurrentProcessId());
    }
    EXPECT_TRUE(inTrash);
    auto report = app::NewestReport(platform::SystemFileOps(), app::ReportFolder());
    ASSERT_TRUE(report);
    std::string text;
    ASSERT_EQ(platform::ReadWholeFile(*report, text), platform::ReadStatus::Ok);
    EXPECT_NE(text.find("Changed on both sides since the last Sync, left in Ignore Items: Docs\\b.txt"), std::string::npos)
        << text;
}

// What the volume knows a file by (under Wine its inode).
std::uint64_t FileIndex(const fs::path& path) {
    HANDLE h = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    bool known = h != INVALID_HANDLE_VALUE && GetFileInformationByHandle(h, &info);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return known ? (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow : 0;
}

// A folder of 200 files of 1 MiB renamed in the First Folder: with each Sync remembered, the next
// unattended Sync renames it in the Second Folder (the same files, nothing copied, nothing recycled) and
// says so; Undo Last Sync renames it back.
TEST_F(Program, AFolderRenamedInTheFirstFolderIsRenamedInTheSecondAndBackByTheUndo) {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (!data || !*data) GTEST_SKIP() << "XDG_DATA_HOME names no trash of the test run";
    Set("usememory", "true");
    Set("autodortdata", "true");
    const std::string mebibyte(1 << 20, 'm');
    for (int i = 0; i < 200; ++i) first.Write("Photos 2025\\img" + std::to_string(i) + ".jpg", mebibyte);
    // Unattended Syncs as the Explorer command starts them: the program closes once done, without the
    // countdown of "-auto" and Auto close after sync.
    auto syncByItself = [&] {
        Set("slocal", first.Core());
        Set("sremote", second.Core());
        return RunsToItsEnd({"-wiz"});
    };
    ASSERT_TRUE(syncByItself());
    auto indexes = [&](const char* folder) {
        std::vector<std::uint64_t> all;
        for (int i = 0; i < 200; ++i) all.push_back(FileIndex(second.path() / folder / ("img" + std::to_string(i) + ".jpg")));
        return all;
    };
    const std::vector<std::uint64_t> before = indexes("Photos 2025");
    ASSERT_NE(before[0], 0u);
    const fs::path trash = fs::path("Z:" + std::string(data)) / "Trash" / "files";
    auto inTrash = [&] { return fs::exists(trash) ? std::distance(fs::directory_iterator(trash), {}) : 0; };
    const auto trashed = inTrash();

    fs::rename(first.path() / "Photos 2025", first.path() / "2025 Photos");
    ASSERT_TRUE(syncByItself());
    EXPECT_FALSE(second.Exists("Photos 2025"));
    EXPECT_EQ(indexes("2025 Photos"), before);
    EXPECT_EQ(inTrash(), trashed);
    auto report = app::NewestReport(platform::SystemFileOps(), app::ReportFolder());
    ASSERT_TRUE(report);
    std::string text;
    ASSERT_EQ(platform::ReadWholeFile(*report, text), platform::ReadStatus::Ok);
    EXPECT_NE(text.find("Moved in the Second Folder: Photos 2025 \u2192 2025 Photos\r\n"), std::string::npos) << text;

    ASSERT_TRUE(RunsToItsEnd({"-undo"}));
    EXPECT_FALSE(second.Exists("2025 Photos"));
    EXPECT_EQ(indexes("Photos 2025"), before);
    report = app::NewestReport(platform::SystemFileOps(), app::ReportFolder());
    ASSERT_TRUE(report && platform::ReadWholeFile(*report, text) == platform::ReadStatus::Ok);
    EXPECT_NE(text.find("Moved back in the Second Folder: 2025 Photos \u2192 Photos 2025\r\n"), std::string::npos) << text;
}

// A Recycle Bin that cannot work (its trash is a plain file, which Wine's shell reports as no bin):
// an unattended Sync replaces nothing whose old content would be lost, and its report says why.
TEST_F(Program, AnUnattendedSyncWithAnUnusableRecycleBinKeepsTheOldContent) {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (!data || !*data) GTEST_SKIP() << "XDG_DATA_HOME names no trash of the test run";
    std::string brokenHome = std::string(data) + "/broken-bin-" + std::to_string(GetCurrentProcessId());
    fs::create_directories("Z:" + brokenHome);
    std::ofstream("Z:" + brokenHome + "/Trash") << "not a folder";
    first.Write("c.txt", "newer in the first");
    second.Write("c.txt", "older in the second");
    fs::last_write_time(second.path() / "c.txt", fs::last_write_time(first.path() / "c.txt") - std::chrono::hours(24));
    Set("autodortdata", "true");
    Set("autoclose", "true");
    ASSERT_TRUE(RunsToItsEnd({"-auto", first.Core(), second.Core()}, 60, {L"XDG_DATA_HOME=" + platform::Widen(brokenHome)}));
    fs::remove_all("Z:" + brokenHome);
    EXPECT_EQ(second.Read("c.txt"), "older in the second");
    EXPECT_EQ(second.Read("a.txt"), "from first");  // what needs no bin was done
    auto report = app::NewestReport(platform::SystemFileOps(), app::ReportFolder());
    ASSERT_TRUE(report);
    std::string text;
    ASSERT_EQ(platform::ReadWholeFile(*report, text), platform::ReadStatus::Ok);
    EXPECT_NE(text.find("Not replaced in the Second Folder: c.txt (the Recycle Bin cannot take its old copy: it has no "
                        "working Recycle Bin)"),
              std::string::npos)
        << text;
}

// The program killed at moments of an automatic Sync that replaces files into the Recycle Bin: every
// content is findable afterwards (in its place, in the bin, or under a name its journal holds), and the
// next run finishes the work and syncs the rest, leaving no file of its own behind.
TEST_F(Program, AProgramKilledMidSyncLosesNothingAndTheNextRunFinishesTheWork) {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (!data || !*data) GTEST_SKIP() << "XDG_DATA_HOME names no trash of the test run";
    const fs::path trash = fs::path("Z:" + std::string(data)) / "Trash" / "files";
    Set("autodortdata", "true");
    constexpr int kFiles = 100;
    // Started as the shell extension starts it: the pair handed over, the program closing after its Sync.
    auto handOver = [&] {
        Set("slocal", first.Core());
        Set("sremote", second.Core());
    };
    auto contents = [&] {
        std::multiset<std::string> all;
        for (const fs::path& root : {second.path(), trash}) {
            std::error_code error;
            for (const auto& e : fs::recursive_directory_iterator(root, error)) {
                if (!e.is_regular_file()) continue;
                std::ifstream in(e.path(), std::ios::binary);
                all.insert(std::string((std::istreambuf_iterator<char>(in)), {}));
            }
        }
        return all;
    };
    // The Sync has begun once its first work file stands in the Second Folder.
    auto syncing = [&] {
        for (const auto& e : fs::directory_iterator(second.path()))
            if (e.path().filename().string().starts_with("~mirv98-")) return true;
        return false;
    };
    for (DWORD at : {0u, 300u, 700u}) {
        SCOPED_TRACE("killed after " + std::to_string(at) + " ms");
        const std::string tag = std::to_string(at) + "-" + std::to_string(GetCurrentProcessId());
        for (int i = 0; i < kFiles; ++i) {
            std::string name = "u" + std::to_string(i) + ".txt";
            second.Write(name, "old " + tag + " " + name);
            fs::last_write_time(second.path() / name, fs::file_time_type::clock::now() - std::chrono::hours(48));
            first.Write(name, "new " + tag + " " + name);
        }
        handOver();
        KilledAfter({"-wiz"}, syncing, at);
        std::multiset<std::string> cutOff = contents();
        for (int i = 0; i < kFiles; ++i) {
            std::string name = "u" + std::to_string(i) + ".txt";
            EXPECT_TRUE(cutOff.contains("old " + tag + " " + name)) << name;
        }
        // Something new to sync, so the run closes after its Sync even where the cut-off one had done all.
        first.Write("new " + tag + ".txt", "new");
        handOver();
        ASSERT_TRUE(RunsToItsEnd({"-wiz"}));
        std::multiset<std::string> after = contents();
        for (int i = 0; i < kFiles; ++i) {
            std::string name = "u" + std::to_string(i) + ".txt";
            EXPECT_EQ(second.Read(name), "new " + tag + " " + name);
            EXPECT_TRUE(after.contains("old " + tag + " " + name)) << name;
        }
        for (const auto& e : fs::directory_iterator(second.path()))
            EXPECT_FALSE(e.path().filename().string().starts_with("~mirv98-")) << e.path().filename().string();
    }
}

}  // namespace

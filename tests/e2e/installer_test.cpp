// The real installer, run silently under Wine, and its uninstaller.
#include <windows.h>

#include <gtest/gtest.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/win32/main_window_ids.h"
#include "platform/file_system.h"
#include "platform/program_values.h"
#include "platform/win32/wide.h"
#include "shellext/class_id.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

bool RunToEnd(const std::wstring& program, const std::wstring& arguments) {
    std::wstring line = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    bool ended = WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0;
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ended && code == 0;
}

std::wstring Value(HKEY root, const std::wstring& key, const wchar_t* name) {
    wchar_t buffer[1024] = {};
    DWORD bytes = sizeof buffer;
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, buffer, &bytes) !=
        ERROR_SUCCESS)
        return L"<missing>";
    return buffer;
}

bool KeyExists(HKEY root, const std::wstring& key) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

// The access list of a file or registry key in SDDL form.
std::wstring Access(const std::wstring& name, SE_OBJECT_TYPE type) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetNamedSecurityInfoW(name.c_str(), type, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr, &sd) !=
        ERROR_SUCCESS)
        return {};
    LPWSTR text = nullptr;
    ConvertSecurityDescriptorToStringSecurityDescriptorW(sd, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text,
                                                         nullptr);
    std::wstring result = text ? text : L"";
    LocalFree(text);
    LocalFree(sd);
    return result;
}

// While it lives, the shell's "open" of an RTF file writes the file's path into a record instead
// of starting a viewer.
class OpenedGuideRecorder {
public:
    explicit OpenedGuideRecorder(const std::wstring& record) : former_(Value(HKEY_CLASSES_ROOT, L".rtf", nullptr)) {
        std::wstring command = L"C:\\windows\\system32\\cmd.exe /c echo %1>\"" + record + L"\"";
        Set(L"MirvTestGuide\\shell\\open\\command", command);
        Set(L".rtf", L"MirvTestGuide");
    }
    ~OpenedGuideRecorder() {
        if (former_ == L"<missing>") RegDeleteTreeW(HKEY_CLASSES_ROOT, L".rtf");
        else Set(L".rtf", former_);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"MirvTestGuide");
    }
    OpenedGuideRecorder(const OpenedGuideRecorder&) = delete;
    OpenedGuideRecorder& operator=(const OpenedGuideRecorder&) = delete;

private:
    static void Set(const wchar_t* key, const std::wstring& text) {
        RegSetKeyValueW(HKEY_CLASSES_ROOT, key, nullptr, REG_SZ, text.c_str(),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    std::wstring former_;
};

// The installed program, with "runpath" naming another folder that holds a guide and a settings
// file of its own: Help opens the guide beside the program, an -automulti run syncs the pair of
// the settings file beside it.
void ExpectTheInstalledProgramUsesItsOwnFiles(const fs::path& dir) {
    testing_support::TempFolder elsewhere, pair, record;
    elsewhere.Write("mirv98.rtf", "planted");
    elsewhere.Write("mirv4.dat", ":ldir\r\n" + elsewhere.Core("from") + "\r\n\r\n:rdir\r\n" + elsewhere.Core("to") +
                                     "\r\n\r\n");
    elsewhere.Write("from\\planted.txt", "planted");
    pair.Write("from\\a.txt", "ours");
    std::ofstream(dir / L"mirv4.dat", std::ios::binary)
        << ":ldir\r\n" + pair.Core("from") + "\r\n\r\n:rdir\r\n" + pair.Core("to") + "\r\n\r\n";
    platform::WriteProgramValue("runpath", elsewhere.Core());
    for (const char* name : {"autoloaddata", "autodortdata", "autoclose"}) platform::WriteProgramValue(name, "true");
    platform::WriteProgramValue("usewiz", "false");
    const std::wstring program = (dir / L"mirv98.exe").wstring();
    ASSERT_TRUE(RunToEnd(program, L"-automulti"));
    EXPECT_TRUE(pair.Exists("to\\a.txt"));
    EXPECT_FALSE(elsewhere.Exists("to"));

    OpenedGuideRecorder recorder(platform::Widen(record.Core("opened.txt")));
    platform::WriteProgramValue("autoclose", "false");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring line = L"\"" + program + L"\"";
    ASSERT_TRUE(CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    HWND window = nullptr;
    for (int tries = 0; !window && tries < 300; ++tries, Sleep(100)) window = FindWindowW(L"TfMirv95", nullptr);
    if (window) PostMessageW(window, WM_COMMAND, app::ids::Help1, 0);
    // The record is whole once its line has ended.
    std::string opened;
    for (int tries = 0; window && !opened.ends_with('\n') && tries < 300; ++tries, Sleep(100))
        opened = record.Exists("opened.txt") ? record.Read("opened.txt") : "";
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_TRUE(window);
    ASSERT_TRUE(opened.ends_with('\n')) << opened;
    while (!opened.empty() && std::isspace(static_cast<unsigned char>(opened.back()))) opened.pop_back();
    EXPECT_TRUE(fs::equivalent(platform::Widen(opened), dir / L"mirv98.rtf")) << opened;
}

TEST(Installer, InstallsEverythingAndTheUninstallerRemovesIt) {
    std::wstring setup = platform::Widen(platform::ExecutableFolder() + "\\..\\mirv98-setup.exe");
    ASSERT_TRUE(RunToEnd(setup, L"/S"));

    wchar_t programFiles[MAX_PATH] = {}, programs[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, programFiles);
    SHGetFolderPathW(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, programs);
    fs::path dir = fs::path(programFiles) / L"Harwick" / L"Mirv98";
    for (const wchar_t* file : {L"mirv98.exe", L"mirv98.dll", L"mirv98.rtf", L"uninstall.exe"})
        EXPECT_TRUE(fs::exists(dir / file)) << platform::Narrow(file);
    ASSERT_TRUE(fs::exists(dir / L"mirv4.dat"));
    EXPECT_EQ(fs::file_size(dir / L"mirv4.dat"), 0u);
    EXPECT_TRUE(fs::exists(fs::path(programs) / L"The Mirravel 98.lnk"));

    const std::wstring key = L"SOFTWARE\\Harwick\\mirv98";
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, key, L"runpath"), dir.wstring());
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, key, L"Version"), platform::Widen(MIRV_VERSION));
    // Users may store their folders and options, and the extension may hand a pair over. (The
    // settings file's access list cannot be read back here: Wine derives it from Unix permissions.)
    EXPECT_NE(Access(L"MACHINE\\" + key, SE_REGISTRY_KEY).find(L";;;BU)"), std::wstring::npos);
    const std::wstring clsid = shellext::kToDoMenuClassIdText;
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid, nullptr), L"ToDoMenu Shell Extension");
    std::wstring server = Value(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid + L"\\InprocServer32", nullptr);
    EXPECT_TRUE(fs::equivalent(fs::path(server), dir / L"mirv98.dll")) << platform::Narrow(server);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"*\\ShellEx\\ContextMenuHandlers\\" + clsid));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"Directory\\shellex\\ContextMenuHandlers\\" + clsid));
    const std::wstring uninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Mirravel98";
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, uninstall, L"DisplayName"), L"The Mirravel 98");
    ExpectTheInstalledProgramUsesItsOwnFiles(dir);

    // Runs in place (no copy of itself), so the wait covers the whole uninstall.
    ASSERT_TRUE(RunToEnd((dir / L"uninstall.exe").wstring(), L"/S _?=" + dir.wstring()));
    // Run in place, the uninstaller cannot delete itself; nothing else may be left.
    std::vector<std::wstring> left;
    for (const auto& entry : fs::directory_iterator(dir)) left.push_back(entry.path().filename().wstring());
    EXPECT_EQ(left, std::vector<std::wstring>{L"uninstall.exe"});
    // The ended uninstaller's file may stay in use for a moment after its process has ended.
    std::error_code error;
    fs::remove_all(dir, error);
    for (int tries = 0; error && tries < 50; ++tries) {
        Sleep(100);
        fs::remove_all(dir, error);
    }
    EXPECT_FALSE(error) << error.message();
    EXPECT_FALSE(fs::exists(fs::path(programs) / L"The Mirravel 98.lnk"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, uninstall));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"*\\ShellEx\\ContextMenuHandlers\\" + clsid));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Directory\\shellex\\ContextMenuHandlers\\" + clsid));
}

}  // namespace

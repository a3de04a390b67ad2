// The real installer, run silently under Wine, and its uninstaller.
#include <windows.h>

#include <gtest/gtest.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/win32/wide.h"
#include "shellext/class_id.h"

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

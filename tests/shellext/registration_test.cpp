// The library registered and unregistered from outside, as an installer does it: regsvr32 on a
// copy of the real mirv98.dll, the registry read back afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "shellext/class_id.h"
#include "tests/shellext/host_support.h"
#include "tests/support/test_support.h"

namespace {

using namespace shellext_testing;

const std::wstring kClassKey = std::wstring(L"CLSID\\") + shellext::kToDoMenuClassIdText;
const std::wstring kHandlerKey = std::wstring(L"*\\ShellEx\\ContextMenuHandlers\\") + shellext::kToDoMenuClassIdText;
const std::wstring kFolderHandlerKey =
    std::wstring(L"Directory\\shellex\\ContextMenuHandlers\\") + shellext::kToDoMenuClassIdText;

class Registration : public ::testing::Test {
protected:
    void TearDown() override {
        for (const std::wstring& library : copies) Regsvr32(L"/s /u", library);
        for (const std::wstring& key : {kClassKey, kHandlerKey, kFolderHandlerKey, std::wstring(L"mirv98.ToDoMenu"),
                                        std::wstring(L"other.ToDoMenu")})
            RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    }

    // The real library copied to `relative` below the test's folder.
    std::wstring CopyLibrary(const std::string& relative) {
        std::filesystem::path target = folder.path() / relative;
        std::filesystem::create_directories(target.parent_path());
        target.make_preferred();
        EXPECT_TRUE(CopyFileW(BuiltLibrary().c_str(), target.c_str(), FALSE)) << "no library at " << BuiltLibrary();
        copies.push_back(target.wstring());
        return target.wstring();
    }

    std::vector<std::wstring> Entries(const std::wstring& progId) {
        std::vector<std::wstring> all;
        for (const std::wstring& key : {kClassKey, progId, kHandlerKey, kFolderHandlerKey})
            for (std::wstring& line : ClassesTree(key)) all.push_back(std::move(line));
        std::sort(all.begin(), all.end());
        return all;
    }

    static std::vector<std::wstring> Table(const std::wstring& serverPath, const std::wstring& progId) {
        const std::wstring id = shellext::kToDoMenuClassIdText;
        std::vector<std::wstring> table{kClassKey,
                kClassKey + L"\\InprocServer32",
                kClassKey + L"\\InprocServer32|=" + serverPath,
                kClassKey + L"\\InprocServer32|ThreadingModel=Apartment",
                kClassKey + L"\\ProgID",
                kClassKey + L"\\ProgID|=" + progId,
                kClassKey + L"|=ToDoMenu Shell Extension",
                progId,
                progId + L"\\Clsid",
                progId + L"\\Clsid|=" + id,
                progId + L"|=ToDoMenu Shell Extension",
                kHandlerKey};
        std::sort(table.begin(), table.end());
        return table;
    }

    testing_support::TempFolder folder;
    std::vector<std::wstring> copies;
};

TEST_F(Registration, WritesExactlyTheTableTwiceOverAndUnregisteringRemovesIt) {
    std::wstring library = CopyLibrary("mirv98.dll");
    ASSERT_EQ(Regsvr32(L"/s", library), 0);
    EXPECT_EQ(Entries(L"mirv98.ToDoMenu"), Table(library, L"mirv98.ToDoMenu"));

    ASSERT_EQ(Regsvr32(L"/s", library), 0);
    EXPECT_EQ(Entries(L"mirv98.ToDoMenu"), Table(library, L"mirv98.ToDoMenu"));

    // The folder handler is the installer's: unregistering the library leaves it alone.
    HKEY installers = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, kFolderHandlerKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &installers, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(installers);
    ASSERT_EQ(Regsvr32(L"/s /u", library), 0);
    EXPECT_EQ(Entries(L"mirv98.ToDoMenu"), std::vector<std::wstring>{kFolderHandlerKey});
}

TEST_F(Registration, UnregisteringWhatWasNeverRegisteredSucceeds) {
    std::wstring library = CopyLibrary("mirv98.dll");
    EXPECT_EQ(Regsvr32(L"/s /u", library), 0);
    EXPECT_TRUE(Entries(L"mirv98.ToDoMenu").empty());
}

TEST_F(Registration, FolderWithBlanksStoresTheShortFormOfTheServerPath) {
    std::wstring library = CopyLibrary("with some blanks\\mirv98.dll");
    wchar_t shortForm[MAX_PATH];
    DWORD length = GetShortPathNameW(library.c_str(), shortForm, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || std::wstring(shortForm).find(L' ') != std::wstring::npos)
        GTEST_SKIP() << "this volume keeps no short names";
    ASSERT_EQ(Regsvr32(L"/s", library), 0);
    EXPECT_EQ(ClassesDefaultValue(kClassKey + L"\\InprocServer32"), shortForm);
}

TEST_F(Registration, RenamedLibraryChangesOnlyTheProgId) {
    std::wstring library = CopyLibrary("other.dll");
    ASSERT_EQ(Regsvr32(L"/s", library), 0);
    EXPECT_EQ(Entries(L"other.ToDoMenu"), Table(library, L"other.ToDoMenu"));
    EXPECT_FALSE(ClassesKeyExists(L"mirv98.ToDoMenu"));

    ASSERT_EQ(Regsvr32(L"/s /u", library), 0);
    EXPECT_TRUE(Entries(L"other.ToDoMenu").empty());
}

}  // namespace

// A host that calls the extension as Explorer does: the class made through the registry, a drop
// list of the selection, Initialize, the item in a real menu, its help text and the command.
// The library runs from a folder of its own beside a stand-in mirv98.exe that records its start.
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/program_values.h"
#include "platform/win32/wide.h"
#include "shellext/class_id.h"
#include "tests/shellext/host_support.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using Microsoft::WRL::ComPtr;
using namespace shellext_testing;

constexpr UINT kFirstId = 100;
constexpr HRESULT kOneItem = MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1);
constexpr HRESULT kNoItem = MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);

// How the stand-in program was started, from its record.
struct Start {
    std::string commandLine;
    std::string workingFolder;
    std::vector<std::string> arguments;
};

class ContextMenu : public ::testing::Test {
protected:
    void SetUp() override {
        library = Install(install);
        ASSERT_EQ(Regsvr32(L"/s", library), 0);
        items.Write("pairs folder\\work pair.MVP", "C:\\a\r\nC:\\b\r\n");
        items.Write("notes.txt", "plain");
        fs::create_directories(items.path() / "first");
        fs::create_directories(items.path() / "second");
        ASSERT_TRUE(StandInsEnded());
    }
    void TearDown() override {
        Regsvr32(L"/s /u", library);
        EXPECT_TRUE(StandInsEnded());
    }

    // The library and the stand-in program in `folder`; the library's path.
    static std::wstring Install(const testing_support::TempFolder& folder) {
        std::wstring target = Wide(folder.Core("mirv98.dll"));
        EXPECT_TRUE(CopyFileW(BuiltLibrary().c_str(), target.c_str(), FALSE)) << "no library";
        EXPECT_TRUE(CopyFileW(FakeProgram().c_str(), Wide(folder.Core("mirv98.exe")).c_str(), FALSE))
            << "no stand-in program";
        return target;
    }
    static std::wstring Wide(const std::string& text) { return platform::Widen(text); }
    std::wstring Item(const char* relative) const { return Wide(items.Core(relative)); }

    // The handler made as Explorer makes it, initialised with the selection.
    ComPtr<IContextMenu> MenuFor(const std::vector<std::wstring>& selection, HRESULT* initialized = nullptr) {
        ComPtr<IShellExtInit> init;
        EXPECT_EQ(CoCreateInstance(shellext::kToDoMenuClassId, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&init)),
                  S_OK);
        if (!init) return nullptr;
        HRESULT result = init->Initialize(nullptr, MakeDropList(selection).Get(), nullptr);
        if (initialized)
            *initialized = result;
        else
            EXPECT_EQ(result, S_OK);
        ComPtr<IContextMenu> menu;
        EXPECT_EQ(init.As(&menu), S_OK);
        return menu;
    }

    // The text of the item the handler puts into a real pop-up menu between two of the shell's
    // items; empty when it adds none.
    static std::wstring ItemText(IContextMenu* handler) {
        HMENU menu = CreatePopupMenu();
        InsertMenuW(menu, 0, MF_BYPOSITION | MF_STRING, 1, L"&Open");
        InsertMenuW(menu, 1, MF_BYPOSITION | MF_STRING, 2, L"P&roperties");
        HRESULT result = handler->QueryContextMenu(menu, 1, kFirstId, kFirstId + 50, CMF_NORMAL);
        std::wstring text;
        if (result == kOneItem) {
            wchar_t buffer[100]{};
            GetMenuStringW(menu, 1, buffer, 100, MF_BYPOSITION);
            text = buffer;
            EXPECT_EQ(GetMenuItemID(menu, 1), kFirstId);
            EXPECT_EQ(GetMenuItemCount(menu), 3);
        } else {
            EXPECT_EQ(result, kNoItem);
            EXPECT_EQ(GetMenuItemCount(menu), 2);
        }
        DestroyMenu(menu);
        return text;
    }

    static HRESULT Invoke(IContextMenu* handler, LPCSTR verb) {
        CMINVOKECOMMANDINFO info{};
        info.cbSize = sizeof info;
        info.lpVerb = verb;
        info.nShow = SW_SHOWNORMAL;
        return handler->InvokeCommand(&info);
    }
    static HRESULT InvokeItem(IContextMenu* handler) { return Invoke(handler, MAKEINTRESOURCEA(0)); }

    // The stand-in's records of its starts, once every stand-in has ended.
    static std::vector<Start> Starts(const testing_support::TempFolder& folder) {
        EXPECT_TRUE(StandInsEnded());
        std::vector<Start> starts;
        std::istringstream lines(folder.Read("starts.txt"));
        for (std::string line; std::getline(lines, line);) {
            if (line == "--- start") {
                starts.emplace_back();
                std::getline(lines, starts.back().commandLine);
                std::getline(lines, starts.back().workingFolder);
            } else if (!starts.empty()) {
                starts.back().arguments.push_back(line);
            }
        }
        return starts;
    }
    static Start OnlyStart(const testing_support::TempFolder& folder) {
        std::vector<Start> starts = Starts(folder);
        EXPECT_EQ(starts.size(), 1u);
        return starts.empty() ? Start{} : starts.front();
    }
    std::string Quoted(const std::string& path) const { return "\"" + path + "\""; }

    static void Set(const char* name, const std::string& value) { platform::WriteProgramValue(name, value); }
    static std::string Get(const char* name) { return platform::ReadProgramValue(name); }

    testing_support::TempFolder install, items;
    testing_support::ProgramKey key;
    std::wstring library;
    // Ends first: the library is unloaded before its folder is removed.
    ComApartment apartment;
};

TEST_F(ContextMenu, TwoFoldersMakeAPairAndTheSecondStartsTheProgramWithWiz) {
    ComPtr<IContextMenu> first = MenuFor({Item("first")});
    ASSERT_TRUE(first);
    EXPECT_EQ(ItemText(first.Get()), L"S&ynchronize First Folder");
    EXPECT_EQ(InvokeItem(first.Get()), S_OK);
    EXPECT_EQ(Get("slocal"), items.Core("first"));
    EXPECT_EQ(Get("sremote"), "");
    EXPECT_TRUE(Starts(install).empty());

    ComPtr<IContextMenu> second = MenuFor({Item("second")});
    ASSERT_TRUE(second);
    EXPECT_EQ(ItemText(second.Get()), L"S&ynchronize Second Folder");
    EXPECT_EQ(InvokeItem(second.Get()), S_OK);
    EXPECT_EQ(Get("slocal"), items.Core("first"));
    EXPECT_EQ(Get("sremote"), items.Core("second"));
    Start start = OnlyStart(install);
    EXPECT_EQ(start.commandLine, Quoted(install.Core("mirv98.exe")) + " -wiz");
    EXPECT_EQ(start.arguments, std::vector<std::string>{"-wiz"});
    EXPECT_EQ(start.workingFolder, install.Core());
}

TEST_F(ContextMenu, ShortcutFileWithBlanksReachesTheProgramAsOneArgument) {
    std::wstring shortcut = Item("pairs folder\\work pair.MVP");
    ComPtr<IContextMenu> handler = MenuFor({shortcut});
    ASSERT_TRUE(handler);
    EXPECT_EQ(ItemText(handler.Get()), L"M&irravel");
    EXPECT_EQ(InvokeItem(handler.Get()), S_OK);
    Start start = OnlyStart(install);
    EXPECT_EQ(start.arguments, std::vector<std::string>{platform::Narrow(shortcut)});
    EXPECT_EQ(start.workingFolder, install.Core());
    EXPECT_EQ(Get("slocal"), "");
}

TEST_F(ContextMenu, ShiftStartsTheProgramAloneAndWritesNothing) {
    Set("slocal", items.Core("first"));
    Set("sremote", "untouched");
    ComPtr<IContextMenu> handler = MenuFor({Item("second")});
    ASSERT_TRUE(handler);
    EXPECT_EQ(ItemText(handler.Get()), L"S&ynchronize Second Folder");
    {
        ShiftHeld shift;
        if (GetKeyState(VK_SHIFT) >= 0) GTEST_SKIP() << "the Shift key state cannot be set here";
        EXPECT_EQ(InvokeItem(handler.Get()), S_OK);
    }
    Start start = OnlyStart(install);
    EXPECT_EQ(start.commandLine, Quoted(install.Core("mirv98.exe")));
    EXPECT_TRUE(start.arguments.empty());
    EXPECT_EQ(Get("slocal"), items.Core("first"));
    EXPECT_EQ(Get("sremote"), "untouched");
}

TEST_F(ContextMenu, ProgramIsTheOneBesideTheLibraryWhateverRunpathNames) {
    testing_support::TempFolder elsewhere;
    Install(elsewhere);
    Set("runpath", elsewhere.Core());
    ComPtr<IContextMenu> handler = MenuFor({Item("pairs folder\\work pair.MVP")});
    ASSERT_TRUE(handler);
    EXPECT_EQ(InvokeItem(handler.Get()), S_OK);
    EXPECT_EQ(Starts(install).size(), 1u);
    EXPECT_TRUE(Starts(elsewhere).empty());

    // "runpath" naming the library's folder, in other letters and with a backslash, is that folder.
    std::string spelt = install.Core();
    for (char& c : spelt) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    Set("runpath", spelt + "\\");
    EXPECT_EQ(InvokeItem(handler.Get()), S_OK);
    std::vector<Start> starts = Starts(install);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts.back().workingFolder, spelt);
    EXPECT_TRUE(Starts(elsewhere).empty());
}

TEST_F(ContextMenu, OtherFilesGetNoItem) {
    ComPtr<IContextMenu> handler = MenuFor({Item("notes.txt")});
    ASSERT_TRUE(handler);
    EXPECT_EQ(ItemText(handler.Get()), L"");
    EXPECT_EQ(InvokeItem(handler.Get()), E_INVALIDARG);
    EXPECT_EQ(Get("slocal"), "");
    EXPECT_TRUE(Starts(install).empty());
}

// The shell's own data object of one item, with its ID list, as Explorer hands it over.
ComPtr<IDataObject> ShellDataObject(const std::wstring& path) {
    std::unique_ptr<ITEMIDLIST, decltype(&ILFree)> item(nullptr, &ILFree);
    PIDLIST_ABSOLUTE parsed = nullptr;
    if (FAILED(SHParseDisplayName(path.c_str(), nullptr, &parsed, 0, nullptr))) return nullptr;
    item.reset(parsed);
    ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD child = nullptr;
    ComPtr<IDataObject> data;
    if (FAILED(SHBindToParent(item.get(), IID_PPV_ARGS(&parent), &child)) ||
        FAILED(parent->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr, &data)))
        return nullptr;
    return data;
}

TEST_F(ContextMenu, KindsFromTheShellsAttributesOrFromTheNameOnTheNetwork) {
    struct Case {
        std::wstring path;
        bool fromShell;
        const wchar_t* text;
    } cases[] = {
        {Item("first"), true, L"S&ynchronize First Folder"},
        {Item("notes.txt"), true, L""},
        {Item("pairs folder\\work pair.MVP"), true, L"M&irravel"},
        // No file system access on a network path: a server that is away would stall the menu.
        {L"\\\\offline\\share\\folder", false, L"S&ynchronize First Folder"},
        {L"\\\\offline\\share\\pair.mvp", false, L"M&irravel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(platform::Narrow(c.path));
        ComPtr<IDataObject> data = c.fromShell ? ShellDataObject(c.path) : MakeDropList({c.path});
        ASSERT_TRUE(data);
        ComPtr<IShellExtInit> init;
        ASSERT_EQ(CoCreateInstance(shellext::kToDoMenuClassId, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&init)),
                  S_OK);
        ASSERT_EQ(init->Initialize(nullptr, data.Get(), nullptr), S_OK);
        ComPtr<IContextMenu> menu;
        ASSERT_EQ(init.As(&menu), S_OK);
        EXPECT_EQ(ItemText(menu.Get()), c.text);
    }
}

TEST_F(ContextMenu, InitializeFailsUnlessExactlyOneItemArrives) {
    HRESULT initialized = S_OK;
    ComPtr<IContextMenu> two = MenuFor({Item("first"), Item("second")}, &initialized);
    EXPECT_EQ(initialized, E_FAIL);
    ASSERT_TRUE(two);
    EXPECT_EQ(ItemText(two.Get()), L"");
    MenuFor({}, &initialized);
    EXPECT_EQ(initialized, E_FAIL);
    EXPECT_EQ(OutstandingMedia(), 0) << "every medium obtained is released";

    ComPtr<IShellExtInit> init;
    ASSERT_EQ(two.As(&init), S_OK);
    EXPECT_EQ(init->Initialize(nullptr, nullptr, nullptr), E_FAIL);
    EXPECT_EQ(init->Initialize(nullptr, MakeDropList({Item("first")}, DV_E_FORMATETC).Get(), nullptr),
              DV_E_FORMATETC);
    EXPECT_EQ(ItemText(two.Get()), L"");
}

TEST_F(ContextMenu, LongPathIsTakenWhole) {
    // Deeper than the fixed buffers of the shell's old path limits.
    std::vector<std::wstring> made{Item("first")};
    while (made.back().size() <= 1100) {
        made.push_back(made.back() + L"\\" + std::wstring(150, L'd'));
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + made.back()).c_str(), nullptr));
    }
    ComPtr<IContextMenu> handler = MenuFor({made.back()});
    ASSERT_TRUE(handler);
    EXPECT_EQ(ItemText(handler.Get()), L"S&ynchronize First Folder");
    EXPECT_EQ(InvokeItem(handler.Get()), S_OK);
    EXPECT_EQ(Get("slocal"), platform::Narrow(made.back()));
    while (made.size() > 1) {
        RemoveDirectoryW((L"\\\\?\\" + made.back()).c_str());
        made.pop_back();
    }
}

TEST_F(ContextMenu, OnlyTheItemItselfCanBeInvoked) {
    ComPtr<IContextMenu> handler = MenuFor({Item("first")});
    ASSERT_TRUE(handler);
    EXPECT_EQ(ItemText(handler.Get()), L"S&ynchronize First Folder");
    EXPECT_EQ(Invoke(handler.Get(), "open"), E_FAIL);
    EXPECT_EQ(Invoke(handler.Get(), MAKEINTRESOURCEA(1)), E_INVALIDARG);
    EXPECT_EQ(Get("slocal"), "");
    EXPECT_TRUE(Starts(install).empty());
}

TEST_F(ContextMenu, HelpTextInBothCharacterSets) {
    ComPtr<IContextMenu> handler = MenuFor({Item("first")});
    ASSERT_TRUE(handler);
    char narrow[100] = "x";
    EXPECT_EQ(handler->GetCommandString(0, GCS_HELPTEXTA, nullptr, narrow, 100), S_OK);
    EXPECT_STREQ(narrow, "File and Folder Synchronization Utility");
    EXPECT_EQ(handler->GetCommandString(0, GCS_HELPTEXTA, nullptr, narrow, 5), S_OK);
    EXPECT_STREQ(narrow, "File");

    wchar_t wide[100] = L"x";
    EXPECT_EQ(handler->GetCommandString(0, GCS_HELPTEXTW, nullptr, reinterpret_cast<char*>(wide), 100), S_OK);
    EXPECT_STREQ(wide, L"File and Folder Synchronization Utility");
    EXPECT_EQ(handler->GetCommandString(0, GCS_HELPTEXTW, nullptr, reinterpret_cast<char*>(wide), 5), S_OK);
    EXPECT_STREQ(wide, L"File");

    EXPECT_EQ(handler->GetCommandString(1, GCS_HELPTEXTA, nullptr, narrow, 100), E_INVALIDARG);
    EXPECT_EQ(handler->GetCommandString(0, GCS_VERBW, nullptr, reinterpret_cast<char*>(wide), 100), E_NOTIMPL);
    EXPECT_EQ(handler->GetCommandString(0, GCS_VALIDATEW, nullptr, nullptr, 0), S_OK);
}

TEST_F(ContextMenu, WithoutProgramKeyTheFirstFolderIsOfferedAndNothingIsCreated) {
    testing_support::ProgramKey::Remove();
    ComPtr<IContextMenu> handler = MenuFor({Item("first")});
    ASSERT_TRUE(handler);
    EXPECT_EQ(ItemText(handler.Get()), L"S&ynchronize First Folder");
    EXPECT_EQ(InvokeItem(handler.Get()), S_OK);
    HKEY program = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, std::wstring(platform::kProgramKeyPath).c_str(), 0,
                            KEY_READ | KEY_WOW64_64KEY, &program),
              ERROR_SUCCESS);
    if (program) RegCloseKey(program);
    EXPECT_TRUE(Starts(install).empty());
}

}  // namespace

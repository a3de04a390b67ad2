// The extension with the real program beside it: two folder commands hand a pair over, and the
// program started with "-wiz" loads it, syncs it and ends by itself.
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include "platform/program_values.h"
#include "platform/win32/wide.h"
#include "shellext/class_id.h"
#include "tests/shellext/host_support.h"
#include "tests/support/test_support.h"

namespace {

using Microsoft::WRL::ComPtr;
using namespace shellext_testing;

TEST(RealProgram, TakesTheHandedOverPairAndSyncsIt) {
    testing_support::ProgramKey key;
    testing_support::TempFolder first, second;
    first.Write("a.txt", "from first");
    first.Write("Docs\\b.txt", "nested");
    second.Write("c.txt", "from second");
    platform::WriteProgramValue("autodortdata", "true");
    platform::WriteProgramValue("usewiz", "false");
    ComApartment com;
    ASSERT_TRUE(StandInsEnded());  // from here on, the programs it starts are waited for
    ASSERT_EQ(Regsvr32(L"/s", BuiltLibrary()), 0);

    for (const testing_support::TempFolder* folder : {&first, &second}) {
        ComPtr<IShellExtInit> init;
        ASSERT_EQ(CoCreateInstance(shellext::kToDoMenuClassId, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&init)),
                  S_OK);
        ASSERT_EQ(init->Initialize(nullptr, MakeDropList({platform::Widen(folder->Core())}).Get(), nullptr), S_OK);
        ComPtr<IContextMenu> menu;
        ASSERT_EQ(init.As(&menu), S_OK);
        HMENU popup = CreatePopupMenu();
        menu->QueryContextMenu(popup, 0, 1, 100, CMF_NORMAL);
        DestroyMenu(popup);
        CMINVOKECOMMANDINFO invoke{};
        invoke.cbSize = sizeof invoke;
        invoke.lpVerb = MAKEINTRESOURCEA(0);
        invoke.nShow = SW_SHOWNORMAL;
        EXPECT_EQ(menu->InvokeCommand(&invoke), S_OK);
    }
    EXPECT_TRUE(StandInsEnded(90000));  // the real program, named as its stand-ins are
    Regsvr32(L"/s /u", BuiltLibrary());

    for (const char* name : {"a.txt", "Docs\\b.txt", "c.txt"}) {
        EXPECT_TRUE(first.Exists(name) && second.Exists(name)) << name;
        EXPECT_EQ(first.Read(name), second.Read(name)) << name;
    }
    EXPECT_EQ(platform::ReadProgramValue("slocal"), "");
    EXPECT_EQ(platform::ReadProgramValue("sremote"), "");
}

}  // namespace

#pragma once
// What the extension's tests need around the library: its files, regsvr32, a view of registry
// trees, the count of processes it starts, a COM apartment, a held Shift key and a drop list.
#include <windows.h>
#include <objidl.h>
#include <wrl/client.h>

#include <string>
#include <vector>

namespace shellext_testing {

// The library as built (beside mirv98.exe) and the stand-in program of these tests.
std::wstring BuiltLibrary();
std::wstring FakeProgram();

// Runs regsvr32.exe with the switches on the library and waits for it; its exit code, or -1.
long Regsvr32(const std::wstring& switches, const std::wstring& library);

// Every key below HKEY_CLASSES_ROOT\path (the key itself included) as "key", and every value as
// "key|name=text" for strings or "key|name:type" for others; sorted. Empty when the key is missing.
std::vector<std::wstring> ClassesTree(const std::wstring& path);
bool ClassesKeyExists(const std::wstring& path);
std::wstring ClassesDefaultValue(const std::wstring& path);

// Every process this test process starts joins a job object (from the first call on), so that a
// test can wait until the stand-in programs it may have started, all named mirv98.exe, have ended.
bool StandInsEnded(DWORD milliseconds = 60000);

// An apartment-threaded COM apartment for the test's lifetime.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool joined_;
};

// Shift held down for this thread (GetKeyState), as long as the object lives.
class ShiftHeld {
public:
    ShiftHeld();
    ~ShiftHeld();
    ShiftHeld(const ShiftHeld&) = delete;
    ShiftHeld& operator=(const ShiftHeld&) = delete;

private:
    BYTE keys_[256]{};
};

// A data object as Explorer hands it to a context-menu handler: the paths as a CF_HDROP drop list
// (a DROPFILES block in global memory). With `failure` set, GetData answers only that code.
// OutstandingMedia tells how many handed-out media have not been released.
Microsoft::WRL::ComPtr<IDataObject> MakeDropList(const std::vector<std::wstring>& paths, HRESULT failure = S_OK);
long OutstandingMedia();

}  // namespace shellext_testing

#include "tests/shellext/host_support.h"

#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <string_view>
#include <thread>

namespace shellext_testing {

namespace {

std::wstring TestFolder() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring FullPath(const std::wstring& path) {
    std::wstring full(32768, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
    return full;
}

class Key {
public:
    explicit Key(const std::wstring& path) {
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~Key() {
        if (key_) RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

void AddTree(const std::wstring& path, std::vector<std::wstring>& lines) {
    Key key(path);
    if (!key.get()) return;
    lines.push_back(path);
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameLength = 16384, type = 0, bytes = 65536;
        std::vector<BYTE> data(bytes);
        if (RegEnumValueW(key.get(), i, name, &nameLength, nullptr, &type, data.data(), &bytes) != ERROR_SUCCESS)
            break;
        if (type == REG_SZ)
            lines.push_back(path + L"|" + name + L"=" +
                            std::wstring(reinterpret_cast<const wchar_t*>(data.data()),
                                         wcsnlen(reinterpret_cast<const wchar_t*>(data.data()), bytes / 2)));
        else
            lines.push_back(path + L"|" + name + L":" + std::to_wstring(type));
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key.get(), i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        AddTree(path + L"\\" + name, lines);
    }
}

HANDLE Job() {
    static HANDLE job = [] {
        HANDLE made = CreateJobObjectW(nullptr, nullptr);
        AssignProcessToJobObject(made, GetCurrentProcess());
        return made;
    }();
    return job;
}

bool IsStandIn(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return false;
    wchar_t image[32768];
    DWORD size = 32768;
    bool standIn = false;
    if (QueryFullProcessImageNameW(process, 0, image, &size)) {
        std::wstring_view path(image, size);
        std::wstring_view name = path.substr(path.find_last_of(L'\\') + 1);
        standIn =
            CompareStringOrdinal(name.data(), static_cast<int>(name.size()), L"mirv98.exe", -1, TRUE) == CSTR_EQUAL;
    }
    CloseHandle(process);
    return standIn;
}

bool StandInRuns() {
    // The list is a count header followed by the ids; room for far more than a test starts.
    std::vector<ULONG_PTR> buffer(1024);
    auto* list = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(buffer.data());
    if (!QueryInformationJobObject(Job(), JobObjectBasicProcessIdList, list,
                                   static_cast<DWORD>(buffer.size() * sizeof(ULONG_PTR)), nullptr))
        return true;
    const auto* ids = reinterpret_cast<const ULONG_PTR*>(reinterpret_cast<const BYTE*>(list) +
                                                         offsetof(JOBOBJECT_BASIC_PROCESS_ID_LIST, ProcessIdList));
    for (ULONG i = 0; i < list->NumberOfProcessIdsInList; ++i)
        if (IsStandIn(static_cast<DWORD>(ids[i]))) return true;
    return false;
}

std::atomic<long> outstandingMedia{0};

// Frees a handed-out drop list when the receiver releases its medium.
class MediumOwner final : public IUnknown {
public:
    explicit MediumOwner(HGLOBAL memory) : memory_(memory) { ++outstandingMedia; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = IsEqualIID(riid, IID_IUnknown) ? static_cast<IUnknown*>(this) : nullptr;
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --references_;
        if (left == 0) {
            GlobalFree(memory_);
            --outstandingMedia;
            delete this;
        }
        return left;
    }

private:
    HGLOBAL memory_;
    std::atomic<ULONG> references_{1};
};

class DropList final : public IDataObject {
public:
    DropList(std::vector<std::wstring> paths, HRESULT failure) : paths_(std::move(paths)), failure_(failure) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject) ? static_cast<IDataObject*>(this)
                                                                                   : nullptr;
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (FAILED(failure_)) return failure_;
        if (HRESULT support = QueryGetData(format); support != S_OK) return support;
        size_t characters = 1;
        for (const std::wstring& path : paths_) characters += path.size() + 1;
        HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + characters * sizeof(wchar_t));
        if (!memory) return E_OUTOFMEMORY;
        auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
        drop->pFiles = sizeof(DROPFILES);
        drop->fWide = TRUE;
        auto* text = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(drop) + sizeof(DROPFILES));
        for (const std::wstring& path : paths_) text = std::copy(path.begin(), path.end(), text) + 1;
        GlobalUnlock(memory);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = memory;
        medium->pUnkForRelease = new MediumOwner(memory);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        if (!format) return E_INVALIDARG;
        if (format->cfFormat != CF_HDROP || format->dwAspect != DVASPECT_CONTENT) return DV_E_FORMATETC;
        return format->tymed & TYMED_HGLOBAL ? S_OK : DV_E_TYMED;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    std::vector<std::wstring> paths_;
    HRESULT failure_;
    std::atomic<ULONG> references_{1};
};

}  // namespace

std::wstring BuiltLibrary() { return FullPath(TestFolder() + L"\\..\\mirv98.dll"); }

std::wstring FakeProgram() { return TestFolder() + L"\\shellext\\shellext_fake_program.exe"; }

long Regsvr32(const std::wstring& switches, const std::wstring& library) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    std::wstring program = std::wstring(system) + L"\\regsvr32.exe";
    std::wstring line = L"\"" + program + L"\" " + switches + L" \"" + library + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(started.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(started.hProcess, &code);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return static_cast<long>(code);
}

std::vector<std::wstring> ClassesTree(const std::wstring& path) {
    std::vector<std::wstring> lines;
    AddTree(path, lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}

bool ClassesKeyExists(const std::wstring& path) { return Key(path).get() != nullptr; }

std::wstring ClassesDefaultValue(const std::wstring& path) {
    wchar_t value[32768];
    DWORD bytes = sizeof value;
    if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS)
        return L"<none>";
    return value;
}

bool StandInsEnded(DWORD milliseconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (StandInRuns()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

ComApartment::ComApartment() : joined_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

ComApartment::~ComApartment() {
    if (joined_) CoUninitialize();
}

ShiftHeld::ShiftHeld() {
    GetKeyboardState(keys_);
    BYTE held[256];
    std::copy(std::begin(keys_), std::end(keys_), held);
    held[VK_SHIFT] = 0x80;
    SetKeyboardState(held);
}

ShiftHeld::~ShiftHeld() { SetKeyboardState(keys_); }

Microsoft::WRL::ComPtr<IDataObject> MakeDropList(const std::vector<std::wstring>& paths, HRESULT failure) {
    Microsoft::WRL::ComPtr<IDataObject> data;
    data.Attach(new DropList(paths, failure));
    return data;
}

long OutstandingMedia() { return outstandingMedia; }

}  // namespace shellext_testing

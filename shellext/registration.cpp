#include "shellext/registration.h"

#include "shellext/class_id.h"
#include "shellext/handles.h"
#include "shellext/paths.h"

namespace shellext {

namespace {

const std::wstring kClassKey = std::wstring(L"CLSID\\") + kToDoMenuClassIdText;
const std::wstring kHandlerKey = std::wstring(L"*\\ShellEx\\ContextMenuHandlers\\") + kToDoMenuClassIdText;

// "<library file name without extension>.ToDoMenu".
std::wstring ProgId(const std::wstring& libraryPath) { return FileStem(libraryPath) + L"." + kClassName; }

bool SetString(HKEY key, const wchar_t* name, const std::wstring& text) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

ScopedKey CreateKey(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return ScopedKey();
    return ScopedKey(key);
}

// The key with its default value.
bool WriteKey(const std::wstring& path, const std::wstring& value) {
    ScopedKey key = CreateKey(path);
    return key && SetString(key.get(), nullptr, value);
}

}  // namespace

HRESULT RegisterServer(const std::wstring& libraryPath) {
    if (libraryPath.empty()) return E_FAIL;
    const std::wstring progId = ProgId(libraryPath);
    if (!WriteKey(kClassKey, kDescription)) return E_FAIL;
    {
        ScopedKey server = CreateKey(kClassKey + L"\\InprocServer32");
        if (!server || !SetString(server.get(), nullptr, WithoutBlanks(libraryPath)) ||
            !SetString(server.get(), L"ThreadingModel", L"Apartment"))
            return E_FAIL;
    }
    if (!WriteKey(progId, kDescription) || !WriteKey(progId + L"\\Clsid", kToDoMenuClassIdText) ||
        !WriteKey(kClassKey + L"\\ProgID", progId))
        return E_FAIL;
    if (!CreateKey(kHandlerKey)) return E_FAIL;
    return S_OK;
}

HRESULT UnregisterServer(const std::wstring& libraryPath) {
    const std::wstring progId = ProgId(libraryPath);
    // A key still holding subkeys (or missing) is not deleted; that is left as it is.
    for (const std::wstring& key :
         {kClassKey + L"\\ProgID", progId + L"\\Clsid", progId, kClassKey + L"\\InprocServer32", kClassKey})
        RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kHandlerKey.c_str());
    return S_OK;
}

}  // namespace shellext

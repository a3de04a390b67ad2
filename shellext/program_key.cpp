#include "shellext/program_key.h"

#include <windows.h>

#include "shellext/handles.h"

namespace shellext {

namespace {

constexpr wchar_t kProgramKeyPath[] = L"SOFTWARE\\Harwick\\Mirv98";
// The program reads expandable strings as they stand; so does the extension.
constexpr DWORD kStringTypes = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;

// The 64-bit view: the program and the installer use it, whatever the bitness of the caller.
ScopedKey OpenProgramKey(REGSAM access) noexcept {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProgramKeyPath, 0, access | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return ScopedKey();
    return ScopedKey(key);
}

}  // namespace

std::wstring ReadProgramValue(const wchar_t* name) {
    ScopedKey key = OpenProgramKey(KEY_QUERY_VALUE);
    if (!key) return {};
    std::wstring value;
    DWORD bytes = 0;
    LSTATUS status = RegGetValueW(key.get(), nullptr, name, kStringTypes, nullptr, nullptr, &bytes);
    // The value may grow between the two calls; then ask again with the new size.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        value.resize(bytes / sizeof(wchar_t) + 1);
        bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        status = RegGetValueW(key.get(), nullptr, name, kStringTypes, nullptr, value.data(), &bytes);
        if (status == ERROR_SUCCESS) {
            value.resize(wcsnlen(value.c_str(), bytes / sizeof(wchar_t)));
            return value;
        }
    }
    return {};
}

void WriteProgramValue(const wchar_t* name, const std::wstring& text) noexcept {
    ScopedKey key = OpenProgramKey(KEY_SET_VALUE);
    if (!key) return;
    RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

}  // namespace shellext

#include "platform/program_values.h"

#include <windows.h>

#include "platform/error.h"
#include "platform/win32/wide.h"

namespace platform {

namespace {

// RAII for the opened ProgramKey; the key is never created here.
class ProgramKey {
public:
    explicit ProgramKey(REGSAM access) {
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, std::wstring(kProgramKeyPath).c_str(), 0,
                          access | KEY_WOW64_64KEY, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~ProgramKey() {
        if (key_) RegCloseKey(key_);
    }
    ProgramKey(const ProgramKey&) = delete;
    ProgramKey& operator=(const ProgramKey&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace

std::string ReadProgramValue(std::string_view name) {
    ProgramKey key(KEY_QUERY_VALUE);
    if (!key.get()) return {};
    std::wstring wideName = Widen(name);
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
        return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw AppError(InvalidDataTypeText(name));
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(value.data()), &bytes) != ERROR_SUCCESS)
        return {};
    value.resize(wcsnlen(value.c_str(), bytes / sizeof(wchar_t)));
    return Narrow(value);
}

void WriteProgramValue(std::string_view name, std::string_view text) {
    ProgramKey key(KEY_SET_VALUE);
    if (!key.get()) return;
    std::wstring value = Widen(text);
    RegSetValueExW(key.get(), Widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace platform

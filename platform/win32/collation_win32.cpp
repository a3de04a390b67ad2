#include "platform/collation.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace platform {

namespace {
std::string Key(std::string_view text, DWORD flags) {
    std::wstring wide = Widen(text);
    int n = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY | flags, wide.c_str(), static_cast<int>(wide.size()),
                          nullptr, 0, nullptr, nullptr, 0);
    std::string key(static_cast<size_t>(n > 0 ? n : 0), '\0');
    // A sort key is bytes, though the call takes a wide buffer; its last byte is a zero.
    if (n > 0)
        LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY | flags, wide.c_str(), static_cast<int>(wide.size()),
                      reinterpret_cast<LPWSTR>(key.data()), n, nullptr, nullptr, 0);
    if (!key.empty()) key.pop_back();
    return key;
}

int Compare(std::string_view a, std::string_view b, DWORD flags) {
    std::wstring wa = Widen(a), wb = Widen(b);
    int r = CompareStringEx(LOCALE_NAME_USER_DEFAULT, flags, wa.c_str(), static_cast<int>(wa.size()), wb.c_str(),
                            static_cast<int>(wb.size()), nullptr, nullptr, 0);
    return r - CSTR_EQUAL;
}
}  // namespace

int CompareText(std::string_view a, std::string_view b) { return Compare(a, b, 0); }

int CompareTextNoCase(std::string_view a, std::string_view b) { return Compare(a, b, NORM_IGNORECASE); }

std::string SortKey(std::string_view text) { return Key(text, 0); }

std::string SortKeyNoCase(std::string_view text) { return Key(text, NORM_IGNORECASE); }

std::string FoldCase(std::string_view text) {
    std::wstring wide = Widen(text);
    if (wide.empty()) return {};
    // The invariant upper-case map is the one the file system's name comparison uses.
    LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), static_cast<int>(wide.size()), wide.data(),
                  static_cast<int>(wide.size()), nullptr, nullptr, 0);
    return Narrow(wide);
}

}  // namespace platform

#include "platform/collation.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

#include "platform/win32/wide.h"

namespace platform {

namespace {
int Compare(std::string_view a, std::string_view b, DWORD flags) {
    std::wstring wa = Widen(a), wb = Widen(b);
    int r = CompareStringEx(LOCALE_NAME_USER_DEFAULT, flags, wa.c_str(), static_cast<int>(wa.size()), wb.c_str(),
                            static_cast<int>(wb.size()), nullptr, nullptr, 0);
    return r - CSTR_EQUAL;
}
}  // namespace

int CompareText(std::string_view a, std::string_view b) { return Compare(a, b, 0); }

int CompareTextNoCase(std::string_view a, std::string_view b) { return Compare(a, b, NORM_IGNORECASE); }

void AppendOrderKey(std::string& keys, std::string_view text) {
    // Most captions are short: no allocation for them, one call to make the key.
    wchar_t small[256];
    std::wstring large;
    const wchar_t* wide = small;
    int length = 0;
    if (text.size() < std::size(small)) {
        length = text.empty() ? 0
                              : MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), small,
                                                    static_cast<int>(std::size(small)));
    } else {
        large = Widen(text);
        wide = large.c_str();
        length = static_cast<int>(large.size());
    }
    if (length == 0) return;
    // A sort key is bytes, though the call takes a wide buffer. It holds the letters' weights, then
    // after a 1 the accents', the case's and others: the weights alone are the key, half its size.
    auto make = [&](size_t at, int room) {
        return LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY, wide, length,
                             room ? reinterpret_cast<LPWSTR>(keys.data() + at) : nullptr, room, nullptr, nullptr, 0);
    };
    size_t at = keys.size();
    keys.resize(at + 512);
    int n = make(at, 512);
    if (n <= 0) {
        n = make(at, 0);
        keys.resize(at + static_cast<size_t>(std::max(n, 0)));
        if (n > 0) n = make(at, n);
    }
    size_t end = at + static_cast<size_t>(std::max(n - 1, 0));  // without the closing zero
    size_t cut = keys.find('\x01', at);
    keys.resize(std::min(cut, end));
}

std::string FoldCase(std::string_view text) {
    std::wstring wide = Widen(text);
    if (wide.empty()) return {};
    // The invariant upper-case map is the one the file system's name comparison uses.
    LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), static_cast<int>(wide.size()), wide.data(),
                  static_cast<int>(wide.size()), nullptr, nullptr, 0);
    return Narrow(wide);
}

}  // namespace platform

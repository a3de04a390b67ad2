#include <windows.h>

#include "platform/text.h"
#include "platform/win32/wide.h"

namespace platform {

std::string FromSystemCodePage(std::string_view bytes) { return Narrow(DecodeCodePage(bytes, CP_ACP)); }

std::optional<std::string> ToSystemCodePage(std::string_view utf8) {
    std::wstring wide = Widen(utf8);
    if (wide.empty()) return std::string();
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                nullptr, 0, nullptr, &lossy);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                        out.data(), n, nullptr, &lossy);
    if (lossy) return std::nullopt;
    return out;
}

}  // namespace platform

#include <array>
#include <cstdint>

#include "platform/text.h"
#include "platform/utf8.h"

// Natively the system code page is Windows-1252, the code page of the Western European Windows.
namespace platform {

namespace {

// 0x80-0x9F of Windows-1252; 0 marks the five bytes the code page leaves undefined.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

std::string FromSystemCodePage(std::string_view bytes) {
    std::string out;
    for (char ch : bytes) {
        auto b = static_cast<uint8_t>(ch);
        char32_t c = b;
        if (b >= 0x80 && b < 0xA0) c = kHigh[b - 0x80] ? kHigh[b - 0x80] : b;
        AppendUtf8(out, c);
    }
    return out;
}

std::optional<std::string> ToSystemCodePage(std::string_view utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        char32_t c = NextCodePoint(utf8, i);
        if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
            out += static_cast<char>(c);
            continue;
        }
        bool found = false;
        for (size_t k = 0; k < kHigh.size() && !found; ++k)
            if (kHigh[k] && kHigh[k] == c) {
                out += static_cast<char>(0x80 + k);
                found = true;
            }
        if (!found) return std::nullopt;
    }
    return out;
}

}  // namespace platform

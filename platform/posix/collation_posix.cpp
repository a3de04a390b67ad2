#include <algorithm>
#include <clocale>
#include <cwctype>
#include <locale.h>

#include "platform/collation.h"
#include "platform/utf8.h"

// Natively a comparison with the properties of the Windows one: punctuation before digits before
// letters, letters compared without case first and lower case before upper case on a tie.
namespace platform {

namespace {

locale_t Utf8Locale() {
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

char32_t Upper(char32_t c) {
    if (c < 0x80) return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
    locale_t locale = Utf8Locale();
    return locale ? static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), locale)) : c;
}

int Class(char32_t c) {
    if (c < 0x80) {
        if (c >= '0' && c <= '9') return 1;
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return 2;
        return 0;
    }
    return 3;
}

int Sign(long long v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

int Compare(std::string_view a, std::string_view b, bool ignoreCase) {
    int caseTie = 0;
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        // Most names are ASCII: read those bytes directly.
        auto ba = static_cast<unsigned char>(a[i]), bb = static_cast<unsigned char>(b[j]);
        char32_t ca = ba < 0x80 ? (++i, ba) : NextCodePoint(a, i);
        char32_t cb = bb < 0x80 ? (++j, bb) : NextCodePoint(b, j);
        if (ca == cb) continue;
        if (int d = Class(ca) - Class(cb)) return Sign(d);
        char32_t ua = Upper(ca), ub = Upper(cb);
        if (ua != ub) return ua < ub ? -1 : 1;
        // Lower case sorts first when the texts are otherwise equal. Two lower-case forms of one
        // letter (final and medial sigma) go by code point, or each would sort before the other.
        if (!caseTie) caseTie = ca == ua ? 1 : cb == ub ? -1 : ca < cb ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return ignoreCase ? 0 : caseTie;
}

// The byte of an ASCII character in the keys: classes in their order, within one the upper case.
// Every other character takes a byte above them all and its upper case code point after it.
struct AsciiWeights {
    unsigned char weight[128];
    AsciiWeights() {
        char32_t order[128];
        for (char32_t c = 0; c < 128; ++c) order[c] = c;
        std::stable_sort(order, order + 128, [](char32_t a, char32_t b) {
            return Class(a) != Class(b) ? Class(a) < Class(b) : Upper(a) < Upper(b);
        });
        unsigned char next = 1;
        for (int k = 0; k < 128; ++k) {
            if (k > 0 && Class(order[k]) == Class(order[k - 1]) && Upper(order[k]) == Upper(order[k - 1]))
                weight[order[k]] = weight[order[k - 1]];
            else
                weight[order[k]] = next++;
        }
    }
};
constexpr unsigned char kOtherCharacter = 0xF0;

}  // namespace

void AppendOrderKey(std::string& key, std::string_view text) {
    static const AsciiWeights ascii;
    for (size_t i = 0; i < text.size();) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            key += static_cast<char>(ascii.weight[byte]);
            ++i;
            continue;
        }
        char32_t upper = Upper(NextCodePoint(text, i));
        key += static_cast<char>(kOtherCharacter);
        for (int shift = 16; shift >= 0; shift -= 8) key += static_cast<char>((upper >> shift) & 0xFF);
    }
}

int CompareText(std::string_view a, std::string_view b) { return Compare(a, b, false); }

int CompareTextNoCase(std::string_view a, std::string_view b) { return Compare(a, b, true); }

std::string FoldCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) AppendUtf8(out, Upper(NextCodePoint(text, i)));
    return out;
}

}  // namespace platform

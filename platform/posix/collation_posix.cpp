#include <clocale>
#include <cstdint>
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

void AppendWeight(std::string& key, std::uint32_t weight, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) key += static_cast<char>((weight >> shift) & 0xFF);
}

// The comparison above in bytes: first class and upper case of every character (the class never 0, so
// the 0 after them puts a text before any longer one it starts), then, for texts equal so far, the
// case of each character: its own code for a lower-case form, the largest for the upper case one.
std::string Key(std::string_view text, bool ignoreCase) {
    std::string primary, cases;
    primary.reserve(text.size() * 4 + 1);
    for (size_t i = 0; i < text.size();) {
        auto byte = static_cast<unsigned char>(text[i]);
        char32_t c = byte < 0x80 ? (++i, byte) : NextCodePoint(text, i);
        char32_t upper = Upper(c);
        AppendWeight(primary, static_cast<std::uint32_t>(Class(c) + 1), 1);
        AppendWeight(primary, upper, 3);
        if (!ignoreCase) AppendWeight(cases, c == upper ? 0xFFFFFF : c, 3);
    }
    primary += '\0';
    return primary + cases;
}

}  // namespace

std::string SortKey(std::string_view text) { return Key(text, false); }

std::string SortKeyNoCase(std::string_view text) { return Key(text, true); }

int CompareText(std::string_view a, std::string_view b) { return Compare(a, b, false); }

int CompareTextNoCase(std::string_view a, std::string_view b) { return Compare(a, b, true); }

std::string FoldCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) AppendUtf8(out, Upper(NextCodePoint(text, i)));
    return out;
}

}  // namespace platform

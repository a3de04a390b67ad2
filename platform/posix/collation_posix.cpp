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

}  // namespace

int CompareText(std::string_view a, std::string_view b) { return Compare(a, b, false); }

int CompareTextNoCase(std::string_view a, std::string_view b) { return Compare(a, b, true); }

std::string FoldCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) AppendUtf8(out, Upper(NextCodePoint(text, i)));
    return out;
}

}  // namespace platform

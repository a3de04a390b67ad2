#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/collation.h"

namespace {

std::vector<std::string> Sorted(std::vector<std::string> v, bool ignoreCase) {
    std::stable_sort(v.begin(), v.end(), [&](const std::string& a, const std::string& b) {
        return (ignoreCase ? platform::CompareTextNoCase(a, b) : platform::CompareText(a, b)) < 0;
    });
    return v;
}

TEST(Collation, PunctuationSortsBeforeDigitsBeforeLetters) {
    EXPECT_EQ(Sorted({"ZED", "9.TXT", "[DOCS]", "A.TXT", "1.TXT"}, false),
              (std::vector<std::string>{"[DOCS]", "1.TXT", "9.TXT", "A.TXT", "ZED"}));
}

TEST(Collation, LettersCompareWithoutCaseFirstThenLowerBeforeUpper) {
    EXPECT_LT(platform::CompareText("apple", "Banana"), 0);
    EXPECT_LT(platform::CompareText("a.txt", "A.TXT"), 0);
    EXPECT_NE(platform::CompareText("a.txt", "A.TXT"), 0);
    EXPECT_EQ(platform::CompareTextNoCase("a.txt", "A.TXT"), 0);
    EXPECT_LT(platform::CompareTextNoCase("Docs\\a.txt 5", "docs\\b.txt 5"), 0);
}

TEST(Collation, TwoLowerCaseFormsOfOneLetterHaveOneOrder) {
    // ς and σ (one upper case, Σ), µ and μ (one upper case, Μ): neither may sort before the other
    // both ways round, or the sorted lists depend on the order the entries came in.
    for (auto [a, b] : {std::pair<std::string, std::string>{"\xCF\x82", "\xCF\x83"}, {"\xC2\xB5", "\xCE\xBC"}}) {
        for (auto compare : {platform::CompareText, platform::CompareTextNoCase}) {
            int ab = compare(a, b), ba = compare(b, a);
            EXPECT_EQ(ab < 0, ba > 0) << a << " " << b;
            EXPECT_EQ(ab == 0, ba == 0) << a << " " << b;
        }
        EXPECT_EQ(Sorted({a + ".txt", b + ".txt"}, false), Sorted({b + ".txt", a + ".txt"}, false));
    }
}

TEST(Collation, FoldCaseMatchesNamesOverAllLetters) {
    EXPECT_EQ(platform::FoldCase("Report.doc"), platform::FoldCase("REPORT.DOC"));
    EXPECT_EQ(platform::FoldCase("\xC3\xA9t\xC3\xA9.txt"), platform::FoldCase("\xC3\x89T\xC3\x89.TXT"));  // été / ÉTÉ
    EXPECT_EQ(platform::FoldCase("\xCE\xB1\xCE\xB2"), platform::FoldCase("\xCE\x91\xCE\x92"));              // αβ / ΑΒ
    EXPECT_NE(platform::FoldCase("report.doc"), platform::FoldCase("report.doc.bak"));
}

}  // namespace

namespace {

TEST(Collation, OrderKeysThatDifferOrderAsBothComparisons) {
    // Digits, punctuation, "[", letters of several scripts, case pairs, prefixes, lower-case forms.
    const std::vector<std::string> names = {
        "[DOCS]", "[DOCS\\SUB]", "DOCS\\A.TXT", "docs\\a.txt", "Docs\\A.txt", "9.TXT", "10.TXT", "1.TXT", "_a",
        "-b", "a b", "a-b", "ab", "AB", "Ab", "aB", "a", "A", "", "~$x.docx", "\xC3\xA9.txt", "\xC3\x89.TXT", "e.txt",
        "z.txt", "\xCF\x82", "\xCF\x83", "\xCE\xA3", "\xC2\xB5", "\xCE\xBC", "\xD0\x96", "\xD0\xB6",
        "\xE6\x97\xA5\xE6\x9C\xAC", "\xE4\xB8\xAD", "stra\xC3\x9F" "e", "STRASSE", "a.TXT", "A.txt"};
    auto key = [](const std::string& text) {
        std::string k = "(";  // appended after what a block holds already
        platform::AppendOrderKey(k, text);
        return k;
    };
    int decided = 0;
    for (const std::string& a : names)
        for (const std::string& b : names) {
            int byKey = key(a).compare(key(b));
            if (byKey == 0) continue;  // left to the comparisons
            ++decided;
            EXPECT_EQ(byKey < 0, platform::CompareText(a, b) < 0) << a << " / " << b;
            EXPECT_EQ(byKey < 0, platform::CompareTextNoCase(a, b) < 0) << a << " / " << b << " no case";
        }
    EXPECT_GT(decided, static_cast<int>(names.size() * names.size() * 9 / 10));  // the keys do the work
}

}  // namespace

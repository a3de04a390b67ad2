#include <gtest/gtest.h>

#include "platform/text.h"

namespace {

TEST(Text, AsciiCaseChangesOnlyAsciiLetters) {
    EXPECT_EQ(platform::AsciiUpper("Sub\\r\xC3\xA9sum\xC3\xA9.doc"), "SUB\\R\xC3\xA9SUM\xC3\xA9.DOC");
    EXPECT_EQ(platform::AsciiLower("C:\\DATA"), "c:\\data");
}

TEST(Text, TrimDropsBlanksAndControlCharacters) {
    EXPECT_EQ(platform::Trim("  c:\\pair.mvp \r\n"), "c:\\pair.mvp");
    EXPECT_EQ(platform::Trim(" \t "), "");
}

TEST(Text, StoredTextUsesCodePageWhenEveryCharacterFits) {
    std::string utf8 = "caf\xC3\xA9 \xE2\x82\xAC";  // café €
    std::string stored = platform::EncodeStoredText(utf8);
    EXPECT_EQ(stored.size(), 6u);  // one byte per character
    EXPECT_EQ(platform::DecodeStoredText(stored), utf8);
}

TEST(Text, StoredTextFallsBackToUtf8WithByteOrderMark) {
    std::string utf8 = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文
    std::string stored = platform::EncodeStoredText(utf8);
    EXPECT_EQ(stored.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(platform::DecodeStoredText(stored), utf8);
}

}  // namespace

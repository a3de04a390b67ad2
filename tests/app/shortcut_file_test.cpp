#include <gtest/gtest.h>

#include <string>

#include "app/shortcut_file.h"
#include "tests/support/test_support.h"

namespace {

using app::FolderPair;
using app::ParseShortcutText;

TEST(ShortcutFile, LinesEndAtCarriageReturnWithOrWithoutLineFeed) {
    EXPECT_EQ(ParseShortcutText("C:\\Work\r\nD:\\Backup\r\n"), (FolderPair{"C:\\Work", "D:\\Backup"}));
    EXPECT_EQ(ParseShortcutText("C:\\Work\rD:\\Backup"), (FolderPair{"C:\\Work", "D:\\Backup"}));
    EXPECT_EQ(ParseShortcutText("C:\\Work\r\nD:\\Backup\r\nE:\\ignored\r\n"), (FolderPair{"C:\\Work", "D:\\Backup"}));
}

TEST(ShortcutFile, BareLineFeedStaysInTheLine) {
    EXPECT_EQ(ParseShortcutText("C:\\Work\nD:\\Backup"), (FolderPair{"C:\\Work\nD:\\Backup", ""}));
    // Only the one LF right after a CR belongs to the line end.
    EXPECT_EQ(ParseShortcutText("A\r\n\nB"), (FolderPair{"A", "\nB"}));
}

TEST(ShortcutFile, CtrlZEndsTheText) {
    EXPECT_EQ(ParseShortcutText("C:\\Work\r\nD:\\Ba\x1A" "ckup\r\n"), (FolderPair{"C:\\Work", "D:\\Ba"}));
    EXPECT_EQ(ParseShortcutText("\x1A" "C:\\Work\r\nD:\\Backup"), (FolderPair{"", ""}));
}

TEST(ShortcutFile, SingleLineGivesEmptySecondFolder) {
    EXPECT_EQ(ParseShortcutText("C:\\Work"), (FolderPair{"C:\\Work", ""}));
    EXPECT_EQ(ParseShortcutText("C:\\Work\r\n"), (FolderPair{"C:\\Work", ""}));
    EXPECT_EQ(ParseShortcutText(""), (FolderPair{"", ""}));
}

TEST(ShortcutFile, ReadsSystemCodePageAndUtf8WithByteOrderMark) {
    testing_support::TempFolder folder;
    folder.Write("latin.mvp", "C:\\Caf\xE9\r\nD:\\B\r\n");
    folder.Write("utf8.mvp", "\xEF\xBB\xBF" "C:\\\xE4\xB8\xAD\r\nD:\\B\r\n");
    EXPECT_EQ(app::ReadShortcutFile(folder.Core("latin.mvp")), (FolderPair{"C:\\Caf\xC3\xA9", "D:\\B"}));
    EXPECT_EQ(app::ReadShortcutFile(folder.Core("utf8.mvp")), (FolderPair{"C:\\\xE4\xB8\xAD", "D:\\B"}));
    EXPECT_FALSE(app::ReadShortcutFile(folder.Core("missing.mvp")));
}

TEST(ShortcutFile, EnormousOrBinaryFilesAreReadOnlyAsFarAsTheyCanMatter) {
    testing_support::TempFolder folder;
    std::string tail(40 * 1024 * 1024, '\0');  // 40 MB after the two lines
    folder.Write("big.mvp", "C:\\Work\r\nD:\\Backup\r\n" + tail);
    EXPECT_EQ(app::ReadShortcutFile(folder.Core("big.mvp")), (FolderPair{"C:\\Work", "D:\\Backup"}));

    // No line end at all: line 1 is the start of the file, not all of it.
    std::string garbage(8 * 1024 * 1024, '\0');
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>((i * 7919 + 17) % 251 + 1);
    for (char& c : garbage)
        if (c == '\r' || c == '\x1A') c = 'x';
    folder.Write("garbage.mvp", garbage);
    auto pair = app::ReadShortcutFile(folder.Core("garbage.mvp"));
    ASSERT_TRUE(pair);
    EXPECT_FALSE(pair->first.empty());
    EXPECT_LE(pair->first.size(), 3u * 256 * 1024);  // code-page bytes may grow as UTF-8
    EXPECT_EQ(pair->second, "");
}

}  // namespace

#include <gtest/gtest.h>

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

}  // namespace

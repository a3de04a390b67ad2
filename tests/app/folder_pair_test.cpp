#include <gtest/gtest.h>

#include "app/folder_pair.h"

namespace {

using app::ChooseFolderPair;
using app::FolderPair;
using app::StoredPairs;

TEST(FolderPairChoice, PersistentPairWhenNothingIsHandedOver) {
    auto c = ChooseFolderPair(StoredPairs{"C:\\Data", "D:\\Backup", "", ""}, std::nullopt);
    EXPECT_EQ(c.pair, (FolderPair{"C:\\Data", "D:\\Backup"}));
    EXPECT_FALSE(c.disableLoad);
}

TEST(FolderPairChoice, MissingSideReadsNoneAndDisablesLoad) {
    auto c = ChooseFolderPair(StoredPairs{"", "D:\\Backup", "", ""}, std::nullopt);
    EXPECT_EQ(c.pair, (FolderPair{"none", "D:\\Backup"}));
    EXPECT_TRUE(c.disableLoad);
    EXPECT_TRUE(ChooseFolderPair(StoredPairs{}, std::nullopt).disableLoad);
    EXPECT_EQ(ChooseFolderPair(StoredPairs{}, std::nullopt).pair, (FolderPair{"none", "none"}));
}

TEST(FolderPairChoice, HandOverPairWinsEachSideOnItsOwn) {
    auto both = ChooseFolderPair(StoredPairs{"C:\\Data", "D:\\Backup", "e:\\a", "f:\\b"}, std::nullopt);
    EXPECT_EQ(both.pair, (FolderPair{"e:\\a", "f:\\b"}));
    auto half = ChooseFolderPair(StoredPairs{"C:\\Data", "D:\\Backup", "e:\\a", ""}, std::nullopt);
    EXPECT_EQ(half.pair, (FolderPair{"e:\\a", "D:\\Backup"}));
    // Load is judged on the persistent pair alone; the automatic Load presses it regardless.
    auto incomplete = ChooseFolderPair(StoredPairs{"", "", "e:\\a", "f:\\b"}, std::nullopt);
    EXPECT_EQ(incomplete.pair, (FolderPair{"e:\\a", "f:\\b"}));
    EXPECT_TRUE(incomplete.disableLoad);
}

TEST(FolderPairChoice, ShortcutEditsWinOverEverything) {
    auto c = ChooseFolderPair(StoredPairs{"C:\\Data", "D:\\Backup", "e:\\a", "f:\\b"},
                              FolderPair{"G:\\From shortcut\\", ""});
    EXPECT_EQ(c.pair, (FolderPair{"G:\\From shortcut", ""}));
}

TEST(FolderPairChoice, TheMultiPlaceholderIsNoFolder) {
    // Stored by an earlier version when a field showing it was left.
    auto stored = ChooseFolderPair(StoredPairs{"Multi", "D:\\Backup", "Multi", ""}, std::nullopt);
    EXPECT_EQ(stored.pair, (FolderPair{"none", "D:\\Backup"}));
    EXPECT_TRUE(stored.disableLoad);
    auto edits = ChooseFolderPair(StoredPairs{"C:\\Data", "D:\\Backup", "", ""}, FolderPair{"Multi", "Multi"});
    EXPECT_EQ(edits.pair, (FolderPair{"none", "none"}));
    EXPECT_TRUE(app::IsNoFolder("Multi") && app::IsNoFolder("none") && app::IsNoFolder(""));
    EXPECT_FALSE(app::IsNoFolder("C:\\Multi"));
}

TEST(FolderPairChoice, OneTrailingBackslashIsDropped) {
    auto c = ChooseFolderPair(StoredPairs{"C:\\Data\\", "C:\\", "", ""}, std::nullopt);
    EXPECT_EQ(c.pair, (FolderPair{"C:\\Data", "C:"}));
    EXPECT_EQ(app::WithoutTrailingBackslash("\\\\server\\share\\\\"), "\\\\server\\share\\");
    EXPECT_EQ(app::WithoutTrailingBackslash(""), "");
}

}  // namespace

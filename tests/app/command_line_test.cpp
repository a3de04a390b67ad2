#include <gtest/gtest.h>

#include "app/command_line.h"

namespace {

using app::ParseCommandLine;
using app::StartMode;

TEST(CommandLine, NoArgumentIsAPlainStart) {
    auto c = ParseCommandLine({});
    EXPECT_EQ(c.mode, StartMode::None);
    EXPECT_EQ(c.argumentCount, 0u);
    EXPECT_TRUE(c.shortcutPath.empty());
    EXPECT_FALSE(c.handover);
}

TEST(CommandLine, SingleSwitchesMatchInAnyCase) {
    EXPECT_EQ(ParseCommandLine({"-wiz"}).mode, StartMode::Wizard);
    EXPECT_EQ(ParseCommandLine({"-WIZ"}).mode, StartMode::Wizard);
    EXPECT_EQ(ParseCommandLine({"-AutoSingle"}).mode, StartMode::AutoSingle);
    EXPECT_EQ(ParseCommandLine({"-automulti"}).mode, StartMode::AutoMulti);
    // An unknown single argument selects no mode but still counts as an argument.
    auto other = ParseCommandLine({"-auto"});
    EXPECT_EQ(other.mode, StartMode::None);
    EXPECT_EQ(other.argumentCount, 1u);
    // The close-after-Sync rule compares the first argument as given.
    EXPECT_EQ(ParseCommandLine({"-WIZ"}).firstArgument, "-WIZ");
}

TEST(CommandLine, ShortcutFileInAnyCaseIsTrimmedAndUpperCased) {
    auto c = ParseCommandLine({" c:\\my pairs\\work.mvp "});
    EXPECT_EQ(c.shortcutPath, "C:\\MY PAIRS\\WORK.MVP");
    EXPECT_EQ(c.mode, StartMode::None);
    EXPECT_EQ(ParseCommandLine({"D:\\PAIR.MVP"}).shortcutPath, "D:\\PAIR.MVP");
    // A path split at its blanks is no shortcut argument.
    EXPECT_TRUE(ParseCommandLine({"c:\\my", "pairs\\work.mvp"}).shortcutPath.empty());
    EXPECT_TRUE(ParseCommandLine({"work.mvp.txt"}).shortcutPath.empty());
}

TEST(CommandLine, ThreeArgumentsHandOverALowerCasedPair) {
    auto c = ParseCommandLine({"-auto", "C:\\Data", "D:\\Backup"});
    EXPECT_EQ(c.mode, StartMode::Wizard);
    ASSERT_TRUE(c.handover);
    EXPECT_EQ(*c.handover, (app::FolderPair{"c:\\data", "d:\\backup"}));

    auto other = ParseCommandLine({"-x", "C:\\Data", "D:\\Backup"});
    EXPECT_EQ(other.mode, StartMode::None);
    ASSERT_TRUE(other.handover);
    EXPECT_EQ(*other.handover, (app::FolderPair{"c:\\data", "d:\\backup"}));
}

TEST(CommandLine, TwoOrFourArgumentsDoNothingButCount) {
    for (auto args : {std::vector<std::string>{"-auto", "C:\\Data"},
                      std::vector<std::string>{"-auto", "C:\\A", "D:\\B", "E:\\C"}}) {
        auto c = ParseCommandLine(args);
        EXPECT_EQ(c.mode, StartMode::None);
        EXPECT_FALSE(c.handover);
        EXPECT_EQ(c.argumentCount, args.size());
    }
}

}  // namespace

#include <gtest/gtest.h>

#include "settings/option_lists.h"

namespace {

using Entries = std::vector<std::string>;

TEST(OptionLists, RemovingKeepsTheOtherEntriesIntactAndInOrder) {
    Entries list{".txt", ".doc", ".txt", ".bak", ".c"};
    settings::RemoveFilterEntries(list, {3}, ".txt");
    EXPECT_EQ(list, (Entries{".doc", ".c"}));
    settings::RemoveFilterEntries(list, {}, "");
    EXPECT_EQ(list, (Entries{".doc", ".c"}));
    settings::RemoveFilterEntries(list, {7}, "doc");  // out of range and no exact match: nothing
    EXPECT_EQ(list, (Entries{".doc", ".c"}));
}

TEST(OptionLists, PairsLeaveTogetherAtTheSameIndex) {
    settings::Settings s;
    s.ldir = {"C:\\1", "C:\\2", "C:\\1", "C:\\4"};
    s.rdir = {"D:\\1", "D:\\2", "D:\\3", "D:\\4"};
    settings::RemoveFolderPairs(s, {3}, "C:\\1");
    EXPECT_EQ(s.ldir, (Entries{"C:\\2"}));
    EXPECT_EQ(s.rdir, (Entries{"D:\\2"}));
}

}  // namespace

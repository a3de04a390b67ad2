#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/scan.h"
#include "platform/clock.h"
#include "tests/engine/engine_fakes.h"
#include "tests/support/test_support.h"

namespace {

using engine::ItemList;
using engine::ScanOptions;

class ScanTest : public ::testing::Test {
protected:
    testing_support::TempFolder folder;
    ItemList list;
    engine::ByteCount total = 0;

    std::vector<std::string> Scan(const ScanOptions& options) {
        std::string root = folder.Core();
        engine::ScanFolder(platform::SystemFileOps(), root + "\\*.*", root, options, list, total);
        return Paths();
    }
    std::vector<std::string> Paths() const {
        std::vector<std::string> paths;
        for (size_t i = 0; i < list.size(); ++i) paths.emplace_back(list.PathAsFound(i));
        std::sort(paths.begin(), paths.end());
        return paths;
    }
    size_t IndexOf(std::string_view path) const {
        for (size_t i = 0; i < list.size(); ++i)
            if (list.PathAsFound(i) == path) return i;
        return list.size();
    }
    static ScanOptions Subfolders(int mode = 0) {
        ScanOptions options;
        options.useSubfolders = true;
        options.filterMode = mode;
        return options;
    }
};

TEST_F(ScanTest, EntryColumnsForFilesAndFolders) {
    folder.Write("Sub/a.txt", "hello");
    folder.Write("Top.DOC", "123456789");
    folder.Write(".hidden", "");  // hidden and read-only files are listed like any other
    folder.Write("[notes]", "n");  // a file, whatever its name looks like
    engine_testing::MakeReadOnly(folder.path() / "Top.DOC");
    Scan(Subfolders());
    ASSERT_EQ(list.size(), 5u);
    size_t sub = IndexOf("[Sub]"), file = IndexOf("Sub\\a.txt"), top = IndexOf("Top.DOC"), notes = IndexOf("[notes]");
    ASSERT_LT(sub, 5u);
    ASSERT_LT(file, 5u);
    ASSERT_LT(top, 5u);
    ASSERT_LT(notes, 5u);
    EXPECT_LT(IndexOf(".hidden"), 5u);
    EXPECT_EQ(list.Text(sub), "[SUB]");
    EXPECT_TRUE(list.Folder(sub));
    EXPECT_EQ(list.Time(sub), 0u);
    EXPECT_EQ(list.Size(sub), 0);
    EXPECT_EQ(list.Text(file), "SUB\\A.TXT");
    EXPECT_FALSE(list.Folder(file));
    EXPECT_EQ(list.Size(file), 5);
    EXPECT_EQ(list.Text(notes), "[NOTES]");
    EXPECT_FALSE(list.Folder(notes));
    EXPECT_EQ(list.Text(top), "TOP.DOC");
    EXPECT_GE(platform::UnpackDosTime(list.Time(top)).year, 2024);
    EXPECT_EQ(list.LastWrite(top), platform::SystemFileOps().Find(folder.Core("Top.DOC"))->lastWrite);
    EXPECT_EQ(total, 15);

    engine::ItemEntry entry = list[file];
    EXPECT_EQ(entry.caption, "SUB\\A.TXT");
    EXPECT_EQ(entry.pathAsFound, "Sub\\a.txt");
}

TEST_F(ScanTest, TemporaryFilesOfAnInterruptedCopyAreNotListed) {
    folder.Write("Sub/~mirv98-4711-0.tmp", "half a copy");
    folder.Write("~mirv98-notes.tmp", "a user's file");
    folder.Write("~mirv98-1-2.tmp.txt", "a user's file");
    EXPECT_EQ(Scan(Subfolders()), (std::vector<std::string>{"[Sub]", "~mirv98-1-2.tmp.txt", "~mirv98-notes.tmp"}));
    EXPECT_EQ(list.TemporaryFiles(), (std::vector<std::string>{"Sub\\~mirv98-4711-0.tmp"}));  // for the Sync
}

TEST_F(ScanTest, FolderLinksAreListedButNeverEntered) {
    testing_support::TempFolder elsewhere;
    elsewhere.Write("y.txt", "y");
    folder.Write("Data/x.txt", "x");
    if (!engine_testing::MakeFolderLink(folder.path() / "Data" / "Back", folder.path()) ||
        !engine_testing::MakeFolderLink(folder.path() / "Other", elsewhere.path()))
        GTEST_SKIP() << "this file system makes no folder links";
    std::string root = folder.Core();
    EXPECT_EQ(engine::ScanFolder(platform::SystemFileOps(), root + "\\*.*", root, Subfolders(), list, total), 2u);
    EXPECT_EQ(Paths(), (std::vector<std::string>{"Data\\x.txt", "[Data\\Back]", "[Data]", "[Other]"}));
}

TEST_F(ScanTest, FoldersComeBeforeTheirContentsThenSortPunctuationDigitsLetters) {
    folder.Write("Sub/Inner/c.txt", "c");
    folder.Write("Sub/a.txt", "a");
    folder.Write("b.txt", "b");
    folder.Write("1.txt", "1");
    Scan(Subfolders());
    ASSERT_EQ(list.size(), 6u);
    EXPECT_LT(IndexOf("[Sub]"), IndexOf("Sub\\a.txt"));
    EXPECT_LT(IndexOf("[Sub]"), IndexOf("[Sub\\Inner]"));
    EXPECT_LT(IndexOf("[Sub\\Inner]"), IndexOf("Sub\\Inner\\c.txt"));

    list.SetSorted(true);
    std::vector<std::string> captions;
    for (size_t i = 0; i < list.size(); ++i) captions.push_back(list.Text(i));
    EXPECT_EQ(captions[0].front(), '[');
    EXPECT_EQ(captions[1].front(), '[');
    EXPECT_EQ((std::vector<std::string>(captions.begin() + 2, captions.end())),
              (std::vector<std::string>{"1.TXT", "B.TXT", "SUB\\A.TXT", "SUB\\INNER\\C.TXT"}));

    // Once sorted, later appends take their sorted places.
    for (const char* name : {"z.txt", "0.txt", "2.txt"}) engine::AddScannedItem(list, total, name, false, 0, 0, 0);
    EXPECT_EQ(list.Text(2), "0.TXT");
    EXPECT_EQ(list.Text(4), "2.TXT");
    EXPECT_EQ(list.Text(list.size() - 1), "Z.TXT");
}

TEST_F(ScanTest, WithoutSubfoldersFoldersAreSkippedAndMissingFoldersAddNothing) {
    folder.Write("Only/a.txt", "a");
    std::filesystem::create_directories(folder.path() / "Empty");
    EXPECT_TRUE(Scan(ScanOptions{}).empty());

    std::string missing = folder.Core("missing");
    engine::ScanFolder(platform::SystemFileOps(), missing + "\\*.*", missing, Subfolders(), list, total);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(total, 0);
}

TEST(ScanNames, ExtensionAndBase) {
    auto parts = engine::SplitName("Report.Final.DOC");
    EXPECT_EQ(parts.extension, ".doc");
    EXPECT_EQ(parts.base, "report.final");
    parts = engine::SplitName("README");
    EXPECT_EQ(parts.extension, "");
    EXPECT_EQ(parts.base, "readme");
    parts = engine::SplitName(".profile");
    EXPECT_EQ(parts.extension, ".profile");
    EXPECT_EQ(parts.base, "");
}

TEST(ScanFilter, ExclusionMatchesWholeEntriesWithoutRegardToCase) {
    ScanOptions options;
    options.filterMode = 1;
    options.excludedExts = {".tmp", ".html", ".\xC3\xA9t\xC3\xA9"};  // .été
    options.excludedNames = {"readme"};
    engine::ItemFilter filter(options);
    EXPECT_FALSE(filter.Passes("a.tmp", false));
    EXPECT_FALSE(filter.Passes("A.TMP", false));
    EXPECT_FALSE(filter.Passes("x.\xC3\x89T\xC3\x89", false));  // x.ÉTÉ
    EXPECT_TRUE(filter.Passes("x.tm", false));
    EXPECT_TRUE(filter.Passes("main.h", false));
    EXPECT_TRUE(filter.Passes("archive.tmp.gz", false));
    EXPECT_FALSE(filter.Passes("README", false));
    EXPECT_FALSE(filter.Passes("ReadMe.txt", false));
    EXPECT_TRUE(filter.Passes("read.txt", false));
    EXPECT_TRUE(filter.Passes("readme2.txt", false));
    EXPECT_TRUE(filter.Passes("noext", false));
    EXPECT_FALSE(filter.Passes("Cache.tmp", true));
}

TEST(ScanFilter, OnlyListedExtensionsAndNeverFolders) {
    ScanOptions options;
    options.filterMode = 2;
    options.onlyExts = {".jpg"};
    engine::ItemFilter filter(options);
    EXPECT_TRUE(filter.Passes("a.JPG", false));
    EXPECT_FALSE(filter.Passes("a.jp", false));
    EXPECT_FALSE(filter.Passes("a.jpeg", false));
    EXPECT_FALSE(filter.Passes("jpg", false));
    EXPECT_FALSE(filter.Passes("Pics", true));
    EXPECT_FALSE(filter.Passes("Album.jpg", true));

    options.filterMode = 0;
    EXPECT_TRUE(engine::ItemFilter(options).Passes("anything", true));
}

TEST_F(ScanTest, FiltersNeverStopTheDescent) {
    folder.Write("Cache.tmp/keep.txt", "k");
    folder.Write("Cache.tmp/drop.tmp", "d");
    folder.Write("Pics/a.jpg", "j");
    ScanOptions exclude = Subfolders(1);
    exclude.excludedExts = {".tmp"};
    EXPECT_EQ(Scan(exclude), (std::vector<std::string>{"Cache.tmp\\keep.txt", "Pics\\a.jpg", "[Pics]"}));

    list.Clear();
    ScanOptions only = Subfolders(2);
    only.onlyExts = {".jpg"};
    EXPECT_EQ(Scan(only), (std::vector<std::string>{"Pics\\a.jpg"}));
}

}  // namespace

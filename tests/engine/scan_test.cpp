#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/name_key.h"
#include "engine/scan.h"
#include "platform/collation.h"
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

TEST_F(ScanTest, OnlyTheWorkFilesAJournalNamesAreNotListed) {
    folder.Write("Sub/~mirv98-4711-0.tmp", "half a copy");
    folder.Write("Sub/~mirv98-4711-1-old report.doc", "a second name of a content on its way to the bin");
    // Named as this program names its files, but no journal knows them: the user's.
    folder.Write("Sub/~mirv98-4711-2-old report.doc", "restored from the Recycle Bin");
    folder.Write("~mirv98-1-2.tmp", "a user's file");
    ScanOptions options = Subfolders();
    options.workFiles = std::make_shared<std::unordered_set<std::string>>(std::unordered_set<std::string>{
        engine::NameKey(folder.Core() + "\\Sub\\~mirv98-4711-0.tmp"),
        engine::NameKey(folder.Core() + "\\SUB\\~MIRV98-4711-1-OLD REPORT.DOC")});
    EXPECT_EQ(Scan(options), (std::vector<std::string>{"Sub\\~mirv98-4711-2-old report.doc", "[Sub]", "~mirv98-1-2.tmp"}));
}

TEST_F(ScanTest, FolderLinksAreListedButNeverEntered) {
    testing_support::TempFolder elsewhere;
    elsewhere.Write("y.txt", "y");
    folder.Write("Data/x.txt", "x");
    if (!engine_testing::MakeFolderLink(folder.path() / "Data" / "Back", folder.path()) ||
        !engine_testing::MakeFolderLink(folder.path() / "Other", elsewhere.path()))
        GTEST_SKIP() << "this file system makes no folder links";
    std::string root = folder.Core();
    EXPECT_EQ(engine::ScanFolder(platform::SystemFileOps(), root + "\\*.*", root, Subfolders(), list, total).links, 2u);
    EXPECT_EQ(Paths(), (std::vector<std::string>{"Data\\x.txt", "[Data\\Back]", "[Data]", "[Other]"}));
    EXPECT_TRUE(list.Link(IndexOf("[Other]")));
    EXPECT_FALSE(list.Link(IndexOf("[Data]")));
    list.Clear();
    engine::PassedOver passed = engine::ScanFolder(platform::SystemFileOps(), root + "\\*.*", root, Subfolders(), list, total);
    std::vector<std::string> links;
    for (const engine::FolderNotRead& f : passed.notRead) links.push_back(f.link ? f.path : "not a link: " + f.path);
    std::sort(links.begin(), links.end());
    EXPECT_EQ(links, (std::vector<std::string>{"Data\\Back", "Other"}));
}

// A folder that cannot be listed, or whose listing breaks off, keeps what was listed and is told with
// the system's words, never taken for an empty folder.
TEST_F(ScanTest, FoldersThatCannotBeListedOrBreakOffAreToldWithWhy) {
    folder.Write("Sub/a.txt", "a");
    folder.Write("Deep/Inner/b.txt", "b");
    folder.Write("Deep/Inner/c.txt", "c");
    folder.Write("top.txt", "t");
    std::string root = folder.Core();
    engine_testing::FaultyFileOps files;
    files.breakEnumerate = [&](std::string_view f) { return f == root + "\\Sub\\"; };
    files.breakListingAfter = [&](std::string_view f) { return f == root + "\\Deep\\Inner\\" ? 1 : -1; };
    engine::PassedOver passed = engine::ScanFolder(files, root + "\\*.*", root, Subfolders(), list, total, engine::Side::Second);
    EXPECT_EQ(list.size(), 5u);  // [Sub], [Deep], [Deep\Inner], one of Inner's files, top.txt
    EXPECT_LT(IndexOf("[Sub]"), list.size());
    ASSERT_EQ(passed.notRead.size(), 2u);
    std::vector<std::string> told;
    for (const engine::FolderNotRead& f : passed.notRead) {
        EXPECT_EQ(f.side, engine::Side::Second);
        EXPECT_FALSE(f.link || f.why.empty());
        told.push_back(f.path);
    }
    std::sort(told.begin(), told.end());
    EXPECT_EQ(told, (std::vector<std::string>{"Deep\\Inner", "Sub"}));

    list.Clear();
    files.breakEnumerate = [&](std::string_view f) { return f == root + "\\"; };
    passed = engine::ScanFolder(files, root + "\\*.*", root, Subfolders(), list, total);
    ASSERT_EQ(passed.notRead.size(), 1u);
    EXPECT_EQ(passed.notRead[0].path, "");  // the folder itself
    EXPECT_TRUE(list.empty());
}

// What the volume knows a file by stays with it through a rename (where the volume keeps it at all).
TEST_F(ScanTest, AFileKeepsItsIdentityThroughARename) {
    folder.Write("a.txt", "a");
    folder.Write("b.txt", "b");
    auto identities = [&] {
        std::map<std::string, std::uint64_t> ids;
        platform::SystemFileOps().Enumerate(folder.Core(), [&](const platform::FileInfo& e) { ids[e.name] = e.fileId; });
        return ids;
    };
    auto before = identities();
    if (before["a.txt"] == 0) GTEST_SKIP() << "this volume keeps no lasting file identities";
    std::filesystem::rename(folder.path() / "a.txt", folder.path() / "renamed.txt");
    auto after = identities();
    EXPECT_EQ(after["renamed.txt"], before["a.txt"]);
    EXPECT_NE(after["b.txt"], before["a.txt"]);
}

TEST_F(ScanTest, NamesDifferingOnlyInCaseArePassedOverAndCounted) {
    for (const char* name : {"Notes.txt", "notes.TXT", "Sub/a.txt", "SUB/b.txt"}) folder.Write(name, name);
    size_t found = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++found;
    if (found < 4) GTEST_SKIP() << "this file system takes both names for one";
    std::string root = folder.Core();
    EXPECT_EQ(engine::ScanFolder(platform::SystemFileOps(), root + "\\*.*", root, Subfolders(), list, total).caseTwins,
              2u);
    EXPECT_EQ(list.size(), 3u);  // one of the files, one of the folders and what it holds
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

TEST(ItemListOrder, SortedByKeysAsByTheComparisonWithTiesInArrivalOrder) {
    // Digits, punctuation, "[", letters of several scripts, case pairs; some twice, some appended after
    // the first sort.
    const std::vector<std::string> names = {
        "b.txt", "[Docs]", "Docs\\a.txt", "10.txt", "9.txt", "1.txt", "_x", "-y", "a b", "a-b", "ab", "\xC3\xA9.txt",
        "\xC3\x89.txt", "e.txt", "\xCF\x82", "\xCF\x83", "\xCE\xA3", "\xD0\xB6", "\xE6\x97\xA5", "~$r.docx",
        "\xD0\x96", "stra\xC3\x9F" "e", "ab", "z"};
    engine::ItemList list;
    std::vector<std::pair<std::string, int>> expected;  // caption, size marking the arrival
    for (size_t i = 0; i < names.size(); ++i) {
        if (i == names.size() / 2) list.SetSorted(true);
        list.Append(names[i], false, 0, 0, static_cast<engine::ByteCount>(i));
        std::string caption = names[i];
        for (char& c : caption)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        expected.emplace_back(caption, static_cast<int>(i));
    }
    std::stable_sort(expected.begin(), expected.end(),
                     [](const auto& a, const auto& b) { return platform::CompareText(a.first, b.first) < 0; });
    ASSERT_EQ(list.size(), expected.size());
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list.Caption(i), expected[i].first) << i;
        EXPECT_EQ(list.Size(i), expected[i].second) << i;
    }
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

TEST(ScanFilter, EntriesMatchWholeExtensionsAndNamesOrWildcards) {
    enum Column { None, Ext, Name, Only };
    struct Case {
        Column column;
        std::vector<std::string> entries;
        const char* name;
        bool passes;
    };
    const std::string manyStars = "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b", manyAs(200, 'a');
    const Case cases[] = {
        {None, {}, "anything", true},
        // Extensions: the whole extension, ASCII letters in any case; "*" and "?" are plain characters.
        {Ext, {".tmp"}, "a.TMP", false},
        {Ext, {".tmp"}, "x.tm", true},
        {Ext, {".tmp"}, "x.tmpl", true},
        {Ext, {".tmp"}, "archive.tmp.gz", true},
        {Ext, {".*"}, "a.txt", true},
        {Ext, {".*"}, "a.*", false},
        {Ext, {".t?p"}, "a.tmp", true},
        {Ext, {".\xC3\xA9t\xC3\xA9"}, "x.\xC3\x89T\xC3\x89", true},  // .été vs .ÉTÉ: only A-Z fold
        // As stored from a typed "*.bak": the extension after the star; more parts, the name's end.
        {Ext, {".*.bak"}, "Old.BAK", false},
        {Ext, {"*.bak"}, "old.bak", false},
        {Ext, {".*.bak"}, "old.bak.txt", true},
        {Ext, {"bak"}, "old.bak", true},
        {Ext, {".*.tar.gz"}, "src.tar.gz", false},
        {Ext, {".*.tar.gz"}, "src.gz", true},
        {Ext, {".**.bak"}, "old.bak", true},
        // Names: the base or the whole name.
        {Name, {"thumbs.db"}, "Thumbs.db", false},
        {Name, {"thumbs.db"}, "thumbs.txt", true},
        {Name, {"thumbs.db", "desktop.ini"}, "Desktop.INI", false},
        {Name, {"readme"}, "README", false},
        {Name, {"readme"}, "ReadMe.txt", false},
        {Name, {"readme"}, "read.txt", true},
        {Name, {"read"}, "README", true},
        {Name, {"read"}, "readme.txt", true},
        {Name, {".profile"}, ".Profile", false},
        {Name, {"My Notes.txt"}, "my notes.TXT", false},
        {Name, {"My Notes.txt"}, "notes.txt", true},
        {Name, {" lead"}, " Lead.txt", false},
        {Name, {"draft  "}, "Draft.doc", false},  // no Windows name ends with a blank
        {Name, {"\xC3\xA4rger.txt"}, "\xC3\x84rger.txt", true},  // ärger.txt vs Ärger.txt
        {Name, {"\xC3\x84RGER"}, "\xC3\x84rger.txt", false},     // ÄRGER vs Ärger.txt
        // Names with wildcards: the whole name.
        {Name, {"~$*"}, "~$report.docx", false},
        {Name, {"~$*"}, "report~$.docx", true},
        {Name, {"*.bak"}, "Old.BAK", false},
        {Name, {"*.bak"}, ".bak", false},
        {Name, {"*.bak"}, "old.bak.txt", true},
        {Name, {"cache*"}, "cached.db", false},
        {Name, {"cache*"}, "mycache", true},
        {Name, {"?.log"}, "A.log", false},
        {Name, {"?.log"}, "\xC3\xA4.log", false},  // ? takes one character, also a non-ASCII one
        {Name, {"?.log"}, "ab.log", true},
        {Name, {"?.log"}, ".log", true},
        {Name, {"a*b?d"}, "aXbYbcd", false},
        {Name, {manyStars}, manyAs.c_str(), true},  // must not take exponential time
        // Only these extensions: files and folders alike; without an extension nothing passes.
        {Only, {".jpg"}, "a.JPG", true},
        {Only, {".jpg"}, "Album.jpg", true},
        {Only, {".jpg"}, "a.jpeg", false},
        {Only, {".jpg"}, "jpg", false},
        {Only, {".jp*"}, "a.jpg", false},
        {Only, {".*.jpg"}, "a.JPG", true},
        {Only, {".*.jpg"}, "a.png", false},
    };
    for (const Case& c : cases) {
        ScanOptions options;
        options.filterMode = c.column == None ? 0 : c.column == Only ? 2 : 1;
        (c.column == Ext ? options.excludedExts : c.column == Name ? options.excludedNames : options.onlyExts) =
            c.entries;
        EXPECT_EQ(engine::ItemFilter(options).Passes(c.name), c.passes)
            << c.name << " with " << ::testing::PrintToString(c.entries);
    }
}

TEST_F(ScanTest, FiltersNeverStopTheDescent) {
    folder.Write("Cache.tmp/keep.txt", "k");
    folder.Write("Cache.tmp/drop.tmp", "d");
    folder.Write("Pics/a.jpg", "j");
    folder.Write("Album.jpg/b.txt", "b");
    ScanOptions exclude = Subfolders(1);
    exclude.excludedExts = {".tmp"};
    exclude.excludedNames = {"album.jpg"};
    EXPECT_EQ(Scan(exclude), (std::vector<std::string>{"Album.jpg\\b.txt", "Cache.tmp\\keep.txt", "Pics\\a.jpg",
                                                        "[Pics]"}));

    // Folders are tested like files: one with a listed extension gets its entry, one without none.
    list.Clear();
    ScanOptions only = Subfolders(2);
    only.onlyExts = {".jpg"};
    EXPECT_EQ(Scan(only), (std::vector<std::string>{"Pics\\a.jpg", "[Album.jpg]"}));
}

}  // namespace

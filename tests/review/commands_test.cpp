#include <gtest/gtest.h>

#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "platform/collation.h"
#include "review/commands.h"
#include "tests/support/test_support.h"

namespace {

using engine::CodedList;
using engine::ResultList;
using Texts = std::multiset<std::string>;
using namespace review;

// Entries as the scan and the commands make them, where a folder's text is in brackets.
bool Bracketed(std::string_view t) { return t.starts_with('[') && t.find(']') != std::string_view::npos; }
void Put(ResultList& list, std::initializer_list<const char*> texts, engine::ByteCount size = 0) {
    for (const char* t : texts) list.Add({t, size, Bracketed(t)});
}
void Put(CodedList& list, std::initializer_list<const char*> texts) {
    for (const char* t : texts) list.Add(t, Bracketed(t));
}

template <class List>
Texts Of(const List& list) {
    Texts texts;
    for (size_t i = 0; i < list.size(); ++i) texts.insert(list.Text(i));
    return texts;
}

template <class List>
size_t At(const List& list, std::string_view text) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list.Text(i) == text) return i;
    ADD_FAILURE() << text << " not in the list";
    return list.size();
}

engine::ByteCount SizeOf(const ResultList& list, std::string_view text) {
    size_t i = At(list, text);
    return i < list.size() ? list[i].size : -1;
}

// Every list, sizes included, to see that a command changed nothing; and checks each list's order.
std::vector<std::string> Dump(const engine::SyncLists& l) {
    std::vector<std::string> out;
    for (const ResultList* list : {&l.lFileAdd1, &l.rFileAdd1, &l.lUpdate1, &l.rUpdate1}) {
        for (size_t i = 0; i < list->size(); ++i) {
            if (i > 0) {
                EXPECT_LE(platform::CompareText(list->Text(i - 1), list->Text(i)), 0) << list->Text(i);
            }
            out.push_back(list->Text(i) + "=" + std::to_string((*list)[i].size));
        }
        out.push_back("|");
    }
    for (const CodedList* list : {&l.ldelfile1, &l.rdelfile1, &l.lignfile1, &l.rignfile1}) {
        for (size_t i = 0; i < list->size(); ++i) {
            if (i > 0) {
                EXPECT_LE(platform::CompareTextNoCase(list->Text(i - 1), list->Text(i)), 0) << list->Text(i);
            }
            out.push_back(list->Text(i));
        }
        out.push_back("|");
    }
    return out;
}

// Undo where the folders do not matter.
void UndoAt(engine::SyncLists& l, int activeList, const std::vector<size_t>& selected) {
    UndoEntries(l, activeList, selected, platform::SystemFileOps(), "none", "none");
}

TEST(ReviewDelete, FolderEntryTakesExactlyItsContent) {
    for (bool ignore : {false, true}) {
        engine::SyncLists l;
        Put(l.lFileAdd1, {"[DOCS]", "DOCS\\A.TXT", "[DOCS\\SUB]", "DOCS\\SUB\\B.TXT", "DOCSX\\C.TXT", "Docs\\d.txt",
                          "[DOCSX]", "A\\DOCS\\E.TXT"});
        // The nested folder selected as well must not be written twice.
        std::vector<size_t> selected = {At(l.lFileAdd1, "[DOCS\\SUB]"), At(l.lFileAdd1, "[DOCS]")};
        (ignore ? IgnoreEntries : DeleteEntries)(l, klFileAdd1, selected);

        const CodedList& target = ignore ? l.rignfile1 : l.rdelfile1;
        EXPECT_EQ(Of(target), (Texts{"[DOCS] 1", "DOCS\\A.TXT 1", "[DOCS\\SUB] 1", "DOCS\\SUB\\B.TXT 1"}));
        EXPECT_EQ(Of(l.lFileAdd1), (Texts{"DOCSX\\C.TXT", "Docs\\d.txt", "[DOCSX]", "A\\DOCS\\E.TXT"}));
        EXPECT_EQ((ignore ? l.rdelfile1 : l.rignfile1).size(), 0u);
        EXPECT_TRUE(l.ldelfile1.empty() && l.lignfile1.empty());
        Dump(l);
    }
}

TEST(ReviewDelete, AddEntriesGoToTheSideHoldingTheItem) {
    engine::SyncLists l;
    Put(l.rFileAdd1, {"[New]", "New\\x.doc", "y.doc"});
    IgnoreEntries(l, krFileAdd1, {0});
    EXPECT_EQ(Of(l.lignfile1), (Texts{"[New] 2", "New\\x.doc 2"}));
    EXPECT_TRUE(l.rignfile1.empty() && l.ldelfile1.empty() && l.rdelfile1.empty());

    DeleteEntries(l, krFileAdd1, {0});
    EXPECT_EQ(Of(l.ldelfile1), (Texts{"y.doc 2"}));
    EXPECT_TRUE(l.rFileAdd1.empty() && l.rdelfile1.empty());
}

TEST(ReviewDelete, AFileNamedLikeAFolderEntryGoesAndComesBackAlone) {
    engine::SyncLists l;
    l.rFileAdd1.Add({"[notes]", 5, false});  // a file of that name
    l.rFileAdd1.Add({"[notes]", 0, true});   // the folder notes
    Put(l.rFileAdd1, {"notes\\a.txt"});
    size_t file = l.rFileAdd1[0].folder ? 1 : 0;
    DeleteEntries(l, krFileAdd1, {file});
    ASSERT_EQ(l.ldelfile1.size(), 1u);
    EXPECT_EQ(l.ldelfile1.Text(0), "[notes] 2");
    EXPECT_FALSE(l.ldelfile1.Folder(0));
    EXPECT_EQ(Of(l.rFileAdd1), (Texts{"[notes]", "notes\\a.txt"}));

    UndoAt(l, kldelfile1, {0});
    EXPECT_TRUE(l.ldelfile1.empty());
    ASSERT_EQ(l.rFileAdd1.size(), 3u);
    EXPECT_EQ(l.rFileAdd1[0].folder + l.rFileAdd1[1].folder, 1);  // one file, one folder
}

TEST(ReviewDelete, UpdateEntriesGoToBothSides) {
    engine::SyncLists l;
    Put(l.lUpdate1, {"A.TXT", "B.TXT", "C.TXT"}, 7);
    Put(l.rUpdate1, {"R.TXT"}, 9);
    // Any order, a duplicate and an index past the end: A and C, each once.
    DeleteEntries(l, klUpdate1, {2, 0, 2, 3, 99});
    EXPECT_EQ(Of(l.ldelfile1), (Texts{"A.TXT 5", "C.TXT 5"}));
    EXPECT_EQ(Of(l.rdelfile1), (Texts{"A.TXT 5", "C.TXT 5"}));
    EXPECT_EQ(Of(l.lUpdate1), (Texts{"B.TXT"}));

    IgnoreEntries(l, krUpdate1, {0});
    EXPECT_EQ(Of(l.lignfile1), (Texts{"R.TXT 6"}));
    EXPECT_EQ(Of(l.rignfile1), (Texts{"R.TXT 6"}));
    EXPECT_TRUE(l.rUpdate1.empty());
}

TEST(ReviewCommands, NothingToActOnChangesNothing) {
    engine::SyncLists l;
    auto commands = [&](int list, const std::vector<size_t>& selected) {
        DeleteEntries(l, list, selected);
        IgnoreEntries(l, list, selected);
        ReverseEntries(l, list, selected);
        UndoAt(l, list, selected);
    };
    for (int list : {kNoList, klFileAdd1, krFileAdd1, klUpdate1, krUpdate1, kldelfile1, krdelfile1, klignfile1,
                     krignfile1})
        commands(list, {0, 1});  // all lists empty
    EXPECT_EQ(Dump(l), Dump(engine::SyncLists{}));

    Put(l.lFileAdd1, {"[A]", "A\\b"});
    Put(l.rFileAdd1, {"C"});
    Put(l.lUpdate1, {"D"}, 4);
    Put(l.rUpdate1, {"E"}, 5);
    Put(l.ldelfile1, {"F 5"});
    Put(l.rdelfile1, {"F 5", "G 1"});
    Put(l.lignfile1, {"H 2"});
    Put(l.rignfile1, {"[I] 1"});
    auto before = Dump(l);
    for (int list : {klFileAdd1, krFileAdd1, klUpdate1, krUpdate1, kldelfile1, krdelfile1, klignfile1, krignfile1})
        commands(list, {});
    for (int list : {0, 3, 4, 9, 10, 13, -1}) commands(list, {0});
    commands(klFileAdd1, {5});
    ReverseEntries(l, klFileAdd1, {0});  // Reverse is for the update lists only
    UndoAt(l, klFileAdd1, {0});
    DeleteEntries(l, kldelfile1, {0});
    EXPECT_EQ(Dump(l), before);
}

TEST(ReviewReverse, MovesBothWaysKeepingTheSize) {
    engine::SyncLists l;
    l.lUpdate1.Add({"a.txt", 100});
    l.lUpdate1.Add({"B.txt", 200});
    l.rUpdate1.Add({"C.txt", 300});
    ReverseEntries(l, klUpdate1, {At(l.lUpdate1, "B.txt")});
    EXPECT_EQ(Of(l.lUpdate1), (Texts{"a.txt"}));
    EXPECT_EQ(Of(l.rUpdate1), (Texts{"B.txt", "C.txt"}));
    EXPECT_EQ(SizeOf(l.rUpdate1, "B.txt"), 200);

    ReverseEntries(l, krUpdate1, {0, 1});
    EXPECT_TRUE(l.rUpdate1.empty());
    EXPECT_EQ(SizeOf(l.lUpdate1, "a.txt"), 100);
    EXPECT_EQ(SizeOf(l.lUpdate1, "B.txt"), 200);
    EXPECT_EQ(SizeOf(l.lUpdate1, "C.txt"), 300);
    EXPECT_TRUE(l.ldelfile1.empty() && l.rdelfile1.empty());
    Dump(l);
}

TEST(ReviewUndo, SetAsideUpdateComesBackOnceFromEitherList) {
    for (int undoFrom : {kldelfile1, krdelfile1, klignfile1, krignfile1}) {
        engine::SyncLists l;
        Put(l.lUpdate1, {"X.TXT", "Y.TXT"});
        bool ignored = undoFrom == klignfile1 || undoFrom == krignfile1;
        (ignored ? IgnoreEntries : DeleteEntries)(l, klUpdate1, {0});
        const CodedList& from = undoFrom == kldelfile1   ? l.ldelfile1
                                : undoFrom == krdelfile1 ? l.rdelfile1
                                : undoFrom == klignfile1 ? l.lignfile1
                                                         : l.rignfile1;
        UndoAt(l, undoFrom, {At(from, "X.TXT 5")});
        EXPECT_EQ(Of(l.lUpdate1), (Texts{"X.TXT", "Y.TXT"})) << undoFrom;
        EXPECT_TRUE(l.ldelfile1.empty() && l.rdelfile1.empty() && l.lignfile1.empty() && l.rignfile1.empty())
            << undoFrom;
        EXPECT_TRUE(l.rUpdate1.empty() && l.lFileAdd1.empty() && l.rFileAdd1.empty()) << undoFrom;
    }
}

TEST(ReviewUndo, AFileBringsBackTheFoldersAboveIt) {
    engine::SyncLists l;
    Put(l.rdelfile1, {"[DOCS] 1", "DOCS\\A.TXT 1", "DOCS\\B.TXT 1", "[DOCS\\SUB] 1", "DOCS\\SUB\\C.TXT 1"});
    UndoAt(l, krdelfile1, {At(l.rdelfile1, "DOCS\\A.TXT 1")});
    EXPECT_EQ(Of(l.lFileAdd1), (Texts{"[DOCS]", "DOCS\\A.TXT"}));
    EXPECT_EQ(Of(l.rdelfile1), (Texts{"DOCS\\B.TXT 1", "[DOCS\\SUB] 1", "DOCS\\SUB\\C.TXT 1"}));

    UndoAt(l, krdelfile1, {At(l.rdelfile1, "DOCS\\SUB\\C.TXT 1")});
    EXPECT_EQ(Of(l.lFileAdd1), (Texts{"[DOCS]", "DOCS\\A.TXT", "[DOCS\\SUB]", "DOCS\\SUB\\C.TXT"}));
    EXPECT_EQ(Of(l.rdelfile1), (Texts{"DOCS\\B.TXT 1"}));
    Dump(l);
}

TEST(ReviewUndo, AFolderComesBackAlone) {
    engine::SyncLists l;
    Put(l.ldelfile1, {"[DOCS] 2", "DOCS\\A.TXT 2", "[DOCS\\SUB] 2"});
    UndoAt(l, kldelfile1, {At(l.ldelfile1, "[DOCS] 2")});
    EXPECT_EQ(Of(l.rFileAdd1), (Texts{"[DOCS]"}));
    EXPECT_EQ(Of(l.ldelfile1), (Texts{"DOCS\\A.TXT 2", "[DOCS\\SUB] 2"}));
}

TEST(ReviewUndo, OnlyEntriesThatBelongWithTheItemFollow) {
    engine::SyncLists l;
    // A file of the same name elsewhere, a name that is a mere prefix, a file named like the folder
    // and the folder in another letter case all stay.
    Put(l.rdelfile1, {"DATA\\REPORT.TXT 1", "REPORT.TXT 1", "[DAT] 1", "DATA 1", "[data] 1", "[DATA] 1",
                      "[DATA\\REPORT.TXT\\X] 1", "EPORT.TXT 1"});
    UndoAt(l, krdelfile1, {At(l.rdelfile1, "DATA\\REPORT.TXT 1")});
    EXPECT_EQ(Of(l.lFileAdd1), (Texts{"DATA\\REPORT.TXT", "[DATA]"}));
    EXPECT_EQ(Of(l.rdelfile1),
              (Texts{"REPORT.TXT 1", "[DAT] 1", "DATA 1", "[data] 1", "[DATA\\REPORT.TXT\\X] 1", "EPORT.TXT 1"}));
}

TEST(ReviewUndo, SeveralSelectedBringTheirFolderBackOnce) {
    engine::SyncLists l;
    Put(l.rdelfile1, {"[DOCS] 1", "DOCS\\A.TXT 1", "DOCS\\B.TXT 1", "Z.TXT 1"});
    UndoAt(l, krdelfile1, {At(l.rdelfile1, "DOCS\\B.TXT 1"), At(l.rdelfile1, "DOCS\\A.TXT 1"),
                           At(l.rdelfile1, "[DOCS] 1")});
    EXPECT_EQ(Of(l.lFileAdd1), (Texts{"[DOCS]", "DOCS\\A.TXT", "DOCS\\B.TXT"}));
    EXPECT_EQ(Of(l.rdelfile1), (Texts{"Z.TXT 1"}));
}

TEST(ReviewUndo, TheSameSidesOtherListFollowsWithItsTwins) {
    engine::SyncLists l;
    // The folder was ignored after one of its files had been deleted.
    Put(l.rdelfile1, {"DOCS\\A.TXT 1"});
    Put(l.rignfile1, {"[DOCS] 1", "DOCS\\B.TXT 1"});
    Put(l.ldelfile1, {"[DOCS] 1"});  // the other side's delete list is no place to follow up in
    UndoAt(l, krdelfile1, {0});
    EXPECT_EQ(Of(l.lFileAdd1), (Texts{"[DOCS]", "DOCS\\A.TXT"}));
    EXPECT_EQ(Of(l.rignfile1), (Texts{"DOCS\\B.TXT 1"}));
    EXPECT_EQ(Of(l.ldelfile1), (Texts{"[DOCS] 1"}));

    // An update entry in the other list leaves that list's twin behind it.
    engine::SyncLists u;
    Put(u.ldelfile1, {"X.TXT 5"});
    Put(u.rdelfile1, {"X.TXT 5"});
    Put(u.lignfile1, {"X.TXT 6"});
    Put(u.rignfile1, {"X.TXT 6", "Y.TXT 6"});
    UndoAt(u, kldelfile1, {0});
    EXPECT_EQ(Of(u.lUpdate1), (Texts{"X.TXT"}));
    EXPECT_EQ(Of(u.rUpdate1), (Texts{"X.TXT"}));
    EXPECT_TRUE(u.ldelfile1.empty() && u.rdelfile1.empty() && u.lignfile1.empty());
    EXPECT_EQ(Of(u.rignfile1), (Texts{"Y.TXT 6"}));
}

TEST(ReviewUndo, SizeIsTheCopyASyncWouldTransfer) {
    testing_support::TempFolder first, second;
    first.Write("DOCS/U.TXT", std::string(10, 'f'));
    second.Write("DOCS/U.TXT", std::string(1024, 's'));
    second.Write("SUB/inner.txt", "x");
    auto undo = [&](const char* coded) {
        engine::SyncLists l;
        Put(l.ldelfile1, {coded});
        UndoEntries(l, kldelfile1, {0}, platform::SystemFileOps(), first.Core(), second.Core());
        return l;
    };
    EXPECT_EQ(SizeOf(undo("DOCS\\U.TXT 1").lFileAdd1, "DOCS\\U.TXT"), 1024);
    EXPECT_EQ(SizeOf(undo("DOCS\\U.TXT 2").rFileAdd1, "DOCS\\U.TXT"), 10);
    EXPECT_EQ(SizeOf(undo("DOCS\\U.TXT 5").lUpdate1, "DOCS\\U.TXT"), 1024);
    EXPECT_EQ(SizeOf(undo("DOCS\\U.TXT 6").rUpdate1, "DOCS\\U.TXT"), 10);
    EXPECT_EQ(SizeOf(undo("[SUB] 1").lFileAdd1, "[SUB]"), 0);

    std::filesystem::remove(second.path() / "DOCS" / "U.TXT");
    EXPECT_EQ(SizeOf(undo("DOCS\\U.TXT 1").lFileAdd1, "DOCS\\U.TXT"), 0);
}

TEST(ReviewUndo, MalformedEntriesAreNotCodedAndStay) {
    for (std::string_view text : {"", "x", "ab", "abc", "a 9", "a 0", "a5", "a  ", " 3", "a 12"})
        EXPECT_FALSE(DecodeCodedEntry(text, false).has_value()) << '"' << text << '"';

    auto show = [](std::string_view text, bool folder = true) {
        auto e = DecodeCodedEntry(text, folder && Bracketed(text));
        return e ? std::to_string(e->origin) + "|" + e->text + "|" + (e->folder ? "F" : "-") + "|" + e->bareName : "";
    };
    EXPECT_EQ(show("Docs\\a.txt 5"), "5|Docs\\a.txt|-|Docs\\a.txt");
    EXPECT_EQ(show("[Old Stuff] 1"), "1|[Old Stuff]|F|Old Stuff");
    EXPECT_EQ(show("a 2"), "2|a|-|a");
    EXPECT_EQ(show("[a] 6"), "6|[a]|F|a");
    EXPECT_EQ(show("[notes] 2", false), "2|[notes]|-|[notes]");  // a file so named

    engine::SyncLists l;
    Put(l.lignfile1, {"", "x", "abc", "a 9", "a5", " 1", "B.TXT 2"});
    std::vector<size_t> all(l.lignfile1.size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = i;
    UndoAt(l, klignfile1, all);
    EXPECT_EQ(Of(l.rFileAdd1), (Texts{"B.TXT"}));
    EXPECT_EQ(Of(l.lignfile1), (Texts{"", "x", "abc", "a 9", "a5", " 1"}));
}

}  // namespace

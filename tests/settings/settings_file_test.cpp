#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/program_values.h"
#include "settings/settings.h"
#include "tests/support/test_support.h"

namespace {

using settings::Settings;
using testing_support::ProgramKey;
using testing_support::TempFolder;
using Lines = std::vector<std::string>;
using namespace std::string_literals;

constexpr std::string_view kFileName = "mirv4.dat";

Settings Parse(std::string_view text) {
    Settings s;
    settings::ParseSettingsText(text, s);
    return s;
}

Settings LoadFile(const TempFolder& folder, std::string_view bytes) {
    folder.Write(kFileName, bytes);
    Settings s;
    EXPECT_EQ(settings::LoadSettings(folder.Core(), s), std::nullopt);
    return s;
}

void ExpectSameLists(const Settings& a, const Settings& b) {
    EXPECT_EQ(a.eel, b.eel);
    EXPECT_EQ(a.efl, b.efl);
    EXPECT_EQ(a.seo, b.seo);
    EXPECT_EQ(a.ldir, b.ldir);
    EXPECT_EQ(a.rdir, b.rdir);
}

TEST(SettingsFile, PathIsTheProgramFolderPlusFileName) {
    EXPECT_EQ(settings::SettingsFilePath("C:\\Program Files\\Harwick\\Mirv98"),
              "C:\\Program Files\\Harwick\\Mirv98\\mirv4.dat");
    EXPECT_EQ(settings::SettingsFilePath(""), "\\mirv4.dat");
}

TEST(SettingsFile, SavedListsLoadBackUnchanged) {
    ProgramKey key;
    const std::string chinese = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文: not in a Western code page
    struct Case {
        std::string extraName;
        bool utf8;
    };
    for (const Case& c : {Case{"caf\xC3\xA9", false}, Case{chinese, true}}) {
        TempFolder folder;
        Settings saved;
        saved.eel = {".tmp", ".BAK", ".tmp"};
        saved.efl = {"my notes", ":not a marker", ": eel", " ", c.extraName};
        saved.seo = {".doc"};
        saved.ldir = {"C:\\Work dir", "C:\\" + c.extraName};
        saved.rdir = {"D:\\Backup", "\\\\server\\share"};
        ASSERT_EQ(settings::SaveSettings(folder.Core(), saved), std::nullopt);

        std::string bytes = folder.Read(kFileName);
        EXPECT_EQ(bytes.starts_with("\xEF\xBB\xBF"), c.utf8) << c.extraName;
        EXPECT_EQ(bytes.find("caf\xE9\r\n") != std::string::npos, !c.utf8);  // one byte for é

        Settings loaded;
        EXPECT_EQ(settings::LoadSettings(folder.Core(), loaded), std::nullopt);
        ExpectSameLists(loaded, saved);
    }
}

TEST(SettingsFile, EntryEqualToAMarkerIsKeptButSwitchesTheSection) {
    ProgramKey key;
    TempFolder folder;
    Settings saved;
    saved.efl = {"readme", ":seo", "notes"};
    saved.seo = {".txt"};
    ASSERT_EQ(settings::SaveSettings(folder.Core(), saved), std::nullopt);
    EXPECT_EQ(folder.Read(kFileName), ":efl\r\nreadme\r\n:seo\r\nnotes\r\n\r\n:seo\r\n.txt\r\n\r\n");

    Settings loaded;
    ASSERT_EQ(settings::LoadSettings(folder.Core(), loaded), std::nullopt);
    EXPECT_EQ(loaded.efl, (Lines{"readme", ":seo"}));
    EXPECT_EQ(loaded.seo, (Lines{"notes", ".txt"}));
}

TEST(SettingsFile, WrittenAsMarkedSectionsWithCrLfAndNothingForEmptyLists) {
    ProgramKey key;
    TempFolder folder;
    Settings s;
    s.eel = {".tmp"};
    s.ldir = {"C:\\Work"};
    s.rdir = {"D:\\Backup"};
    ASSERT_EQ(settings::SaveSettings(folder.Core(), s), std::nullopt);
    EXPECT_EQ(folder.Read(kFileName), ":eel\r\n.tmp\r\n\r\n:ldir\r\nC:\\Work\r\n\r\n:rdir\r\nD:\\Backup\r\n\r\n");

    ASSERT_EQ(settings::SaveSettings(folder.Core(), Settings{}), std::nullopt);
    EXPECT_EQ(folder.Read(kFileName), "");
    ExpectSameLists(LoadFile(folder, ""), Settings{});
}

TEST(SettingsFile, MissingFileGivesEmptyListsAndNoMessage) {
    ProgramKey key;
    TempFolder folder;
    Settings s;
    s.eel = {"left over"};
    EXPECT_EQ(settings::LoadSettings(folder.Core(), s), std::nullopt);
    ExpectSameLists(s, Settings{});
}

TEST(SettingsFile, FileThatCannotBeOpenedStopsLoading) {
    ProgramKey key;
    TempFolder folder;
    std::filesystem::create_directory(folder.path() / kFileName);  // exists, but is no file
    platform::WriteProgramValue("usesubs", "true");
    Settings s;
    EXPECT_EQ(settings::LoadSettings(folder.Core(), s),
              "Cannot open file " + settings::SettingsFilePath(folder.Core()));
    EXPECT_FALSE(s.usesubs);
}

TEST(SettingsFile, UnwritableFileGivesMessageAndWritesNoValue) {
    ProgramKey key;
    TempFolder folder;
    std::string runPath = folder.Core("no such folder");
    Settings s;
    s.eel = {".tmp"};
    s.usesubs = true;
    EXPECT_EQ(settings::SaveSettings(runPath, s), "Cannot create file " + settings::SettingsFilePath(runPath));
    EXPECT_EQ(platform::ReadProgramValue("usesubs"), "");
    EXPECT_EQ(platform::ReadProgramValue("ssdelay"), "");
}

#ifdef _WIN32
// Where no file can be made beside it, the file is rewritten in place; a save that cannot be made
// leaves the old file whole.
TEST(SettingsFile, WithoutRoomBesideItTheFileIsRewrittenInPlaceOrLeftWhole) {
    ProgramKey key;
    TempFolder folder;
    const std::string old = ":eel\r\n.old\r\n.older\r\n\r\n";
    folder.Write(kFileName, old);
    std::filesystem::create_directory(folder.path() / "mirv4.dat.mirv-new");  // no temporary file there
    Settings s;
    s.efl = {"new"};
    EXPECT_EQ(settings::SaveSettings(folder.Core(), s), std::nullopt);
    EXPECT_EQ(folder.Read(kFileName), ":efl\r\nnew\r\n\r\n");

    folder.Write(kFileName, old);
    {
        testing_support::ExclusiveOpen held(folder.path() / kFileName);
        ASSERT_TRUE(held.held());
        EXPECT_EQ(settings::SaveSettings(folder.Core(), s),
                  "Cannot create file " + settings::SettingsFilePath(folder.Core()));
    }
    EXPECT_EQ(folder.Read(kFileName), old);
}
#endif

TEST(SettingsParse, SectionsNeedNoEmptyLineBetweenThem) {
    Settings s = Parse(":eel\r\n.a\r\n:seo\r\n.b\r\n");
    EXPECT_EQ(s.eel, (Lines{".a", ":seo"}));
    EXPECT_EQ(s.seo, (Lines{".b"}));
}

TEST(SettingsParse, OnlyAnEmptyLineClosesASection) {
    Settings s = Parse("stray\r\n:efl\r\n \r\n:eelx\r\n:EEL\r\n\r\nafter\r\n:ldir\r\n:rdir\r\n");
    EXPECT_EQ(s.efl, (Lines{" ", ":eelx", ":EEL"}));
    EXPECT_TRUE(s.eel.empty());
    EXPECT_EQ(s.ldir, (Lines{":rdir"}));
    EXPECT_TRUE(s.rdir.empty());
}

TEST(SettingsParse, LinesEndAtCrLfOrBothAndAZeroByteEndsTheText) {
    for (std::string_view end : {"\r\n", "\n", "\r"}) {
        std::string text = ":eel" + std::string(end) + ".a" + std::string(end) + std::string(end) + ":seo" +
                           std::string(end) + ".b";
        Settings s = Parse(text);
        EXPECT_EQ(s.eel, (Lines{".a"})) << testing::PrintToString(end);
        EXPECT_EQ(s.seo, (Lines{".b"})) << testing::PrintToString(end);
    }
    EXPECT_EQ(Parse(":eel\n\r.a\n").eel, Lines{});  // LF then CR are two line ends

    TempFolder folder;
    ProgramKey key;
    EXPECT_EQ(LoadFile(folder, ":eel\r\n.a\r\n.b\0.c\r\n"s).eel, (Lines{".a", ".b"}));
}

}  // namespace

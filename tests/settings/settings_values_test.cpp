#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/scan.h"
#include "platform/program_values.h"
#include "settings/settings.h"
#include "tests/support/test_support.h"

namespace {

using settings::Settings;
using testing_support::ProgramKey;
using testing_support::TempFolder;
using Lines = std::vector<std::string>;

void Store(std::initializer_list<std::pair<std::string_view, std::string_view>> values) {
    for (auto [name, text] : values) platform::WriteProgramValue(name, text);
}

TEST(SettingsValues, OnlyLowerCaseTrueIsOn) {
    ProgramKey key;
    TempFolder folder;
    Store({{"usesubs", "True"}, {"usemulti", "TRUE"}, {"autoloaddata", "true "}, {"autoclose", "1"},
           {"startmin", "true"}, {"usestamp", "true"}});
    Settings s;
    ASSERT_EQ(settings::LoadSettings(folder.Core(), s), std::nullopt);
    EXPECT_FALSE(s.usesubs);
    EXPECT_FALSE(s.usemulti);
    EXPECT_FALSE(s.autoloaddata);
    EXPECT_FALSE(s.autoclose);
    EXPECT_TRUE(s.startmin);
    EXPECT_TRUE(s.usestamp);
}

TEST(SettingsValues, SafetyOptionsDefaultOnUnlessStoredFalseAndRoundTrip) {
    ProgramKey key;
    TempFolder folder;
    struct Case {
        const char* stored;
        bool recycleAndReport, ignoreHourAndMemory;
    };
    // Missing, empty or any other text keeps the net on; only exact "true" turns the hour rule and the
    // memory of each Sync on.
    for (Case c : {Case{nullptr, true, false}, Case{"", true, false}, Case{"False", true, false},
                   Case{"false", false, false}, Case{"true", true, true}}) {
        if (c.stored)
            Store({{"userecycle", c.stored}, {"usereport", c.stored}, {"ignorehour", c.stored}, {"usememory", c.stored}});
        Settings s;
        ASSERT_EQ(settings::LoadSettings(folder.Core(), s), std::nullopt);
        EXPECT_EQ(s.userecycle, c.recycleAndReport) << (c.stored ? c.stored : "missing");
        EXPECT_EQ(s.usereport, c.recycleAndReport);
        EXPECT_EQ(s.ignorehour, c.ignoreHourAndMemory);
        EXPECT_EQ(s.usememory, c.ignoreHourAndMemory);
    }
    Settings saved;
    saved.userecycle = false;
    saved.ignorehour = true;
    saved.usememory = true;
    ASSERT_EQ(settings::SaveSettings(folder.Core(), saved), std::nullopt);
    Settings s;
    ASSERT_EQ(settings::LoadSettings(folder.Core(), s), std::nullopt);
    EXPECT_FALSE(s.userecycle);
    EXPECT_TRUE(s.usereport && s.ignorehour && s.usememory);
}

TEST(SettingsValues, StoredDelayIsBroughtIntoRange) {
    ProgramKey key;
    TempFolder folder;
    for (auto [stored, expected] : {std::pair{"5", 10}, {"99", 60}, {"", 10}, {"37", 37}, {"-20", 10}}) {
        Store({{"ssdelay", stored}});
        Settings s;
        EXPECT_EQ(settings::LoadSettings(folder.Core(), s), std::nullopt) << stored;
        EXPECT_EQ(s.ssdelay, expected) << stored;
    }
}

TEST(SettingsValues, DelayThatIsNoNumberStopsLoadingThere) {
    ProgramKey key;
    TempFolder folder;
    folder.Write("mirv4.dat", ":eel\r\n.TMP\r\n\r\n");
    Store({{"usesubs", "true"}, {"autoloaddata", "true"}, {"ssdelay", "abc"}, {"mirrorlocal", "true"},
           {"noext", "true"}, {"usestamp", "true"}});
    Settings s;
    EXPECT_EQ(settings::LoadSettings(folder.Core(), s), "'abc' is not a valid integer value");
    EXPECT_TRUE(s.usesubs);
    EXPECT_TRUE(s.autoloaddata);
    EXPECT_EQ(s.ssdelay, 10);
    EXPECT_FALSE(s.mirrorlocal);
    EXPECT_FALSE(s.usestamp);
    EXPECT_EQ(s.eel, Lines{".TMP"});
    // noext was never read, so no exclusion is derived from the list.
    EXPECT_FALSE(s.noext);
    EXPECT_EQ(s.filterMode, 0);
    EXPECT_EQ(s.excludedExtText, "");
}

TEST(SettingsValues, WithoutProgramKeyEverythingIsOffButTheFileStillCounts) {
    ProgramKey key;
    TempFolder folder;
    Settings saved;
    saved.seo = {".doc"};
    saved.useext = true;
    ProgramKey::Remove();
    ASSERT_EQ(settings::SaveSettings(folder.Core(), saved), std::nullopt);

    Settings s;
    ASSERT_EQ(settings::LoadSettings(folder.Core(), s), std::nullopt);
    EXPECT_EQ(s.seo, Lines{".doc"});
    EXPECT_FALSE(s.usesubs);
    EXPECT_FALSE(s.useext);
    EXPECT_EQ(s.ssdelay, 10);
    EXPECT_EQ(s.filterMode, 0);
}

TEST(SettingsValues, SavedValuesAreTrueOrFalseAndLoadBack) {
    ProgramKey key;
    TempFolder folder;
    Settings saved;
    saved.usesubs = saved.autodortdata = saved.mirrorlocal = saved.nofile = saved.usestamp = true;
    saved.ssdelay = 25;
    saved.usewiz = false;
    ASSERT_EQ(settings::SaveSettings(folder.Core(), saved), std::nullopt);
    EXPECT_EQ(platform::ReadProgramValue("ssdelay"), "25");
    EXPECT_EQ(platform::ReadProgramValue("usesubs"), "true");
    EXPECT_EQ(platform::ReadProgramValue("usemulti"), "false");
    EXPECT_EQ(platform::ReadProgramValue("usewiz"), "");  // the wizard notice stores it itself

    Settings s;
    ASSERT_EQ(settings::LoadSettings(folder.Core(), s), std::nullopt);
    EXPECT_TRUE(s.usesubs && s.autodortdata && s.mirrorlocal && s.nofile && s.usestamp);
    EXPECT_FALSE(s.usemulti || s.autoloaddata || s.autoclose || s.startmin || s.noext || s.useext);
    EXPECT_EQ(s.ssdelay, 25);
    EXPECT_EQ(s.filterMode, 1);
}

TEST(SettingsValues, StoredOnlyExtensionsSwitchWinsOverExclusions) {
    ProgramKey key;
    TempFolder folder;
    folder.Write("mirv4.dat", ":eel\r\n.tmp\r\n\r\n:efl\r\nReadMe\r\n\r\n:seo\r\n.DOC\r\n\r\n");
    Store({{"noext", "true"}, {"nofile", "true"}});
    Settings s;
    ASSERT_EQ(settings::LoadSettings(folder.Core(), s), std::nullopt);
    EXPECT_TRUE(s.noext && s.nofile && !s.useext);
    EXPECT_EQ(s.filterMode, 1);
    EXPECT_EQ(s.excludedNameText, "readme ");

    Store({{"useext", "true"}});
    ASSERT_EQ(settings::LoadSettings(folder.Core(), s), std::nullopt);
    EXPECT_TRUE(!s.noext && !s.nofile && s.useext);
    EXPECT_EQ(s.filterMode, 2);
    EXPECT_EQ(s.excludedExtText, "");
    EXPECT_EQ(s.excludedNameText, "");
    EXPECT_EQ(s.onlyExtText, ".doc ");
}

// Lists as earlier versions stored them: whole file names in the name column, entries with blanks.
TEST(SettingsValues, StoredListsFilterAsTheyRead) {
    ProgramKey key;
    TempFolder folder;
    folder.Write("mirv4.dat",
                 ":eel\r\n.TMP\r\n\r\n:efl\r\nthumbs.db\r\nDesktop.ini\r\nreadme\r\nMy Notes.txt\r\n~$*\r\n\r\n"
                 ":seo\r\n.jpg\r\n\r\n");
    Store({{"noext", "true"}, {"nofile", "true"}});
    Settings s;
    ASSERT_EQ(settings::LoadSettings(folder.Core(), s), std::nullopt);
    EXPECT_EQ(s.excludedNameText, "thumbs.db desktop.ini readme my notes.txt ~$* ");
    engine::ItemFilter exclude(engine::ScanOptionsFrom(s));
    for (auto [name, passes] : {std::pair{"Thumbs.db", false}, {"desktop.ini", false}, {"README", false},
                                {"readme.txt", false}, {"read.txt", true}, {"My Notes.txt", false},
                                {"notes.txt", true}, {"~$report.docx", false}, {"a.tmp", false}, {"a.tm", true},
                                {"a.jpg", true}})
        EXPECT_EQ(exclude.Passes(name), passes) << name;

    Store({{"useext", "true"}});
    ASSERT_EQ(settings::LoadSettings(folder.Core(), s), std::nullopt);
    engine::ItemFilter only(engine::ScanOptionsFrom(s));
    for (auto [name, passes] : {std::pair{"a.JPG", true}, {"Album.jpg", true}, {"Pics", false}, {"a.tmp", false}})
        EXPECT_EQ(only.Passes(name), passes) << name;
}

#ifdef _WIN32
TEST(SettingsValues, ValueThatIsNoStringStopsLoading) {
    ProgramKey key;
    TempFolder folder;
    ASSERT_TRUE(ProgramKey::StoreNumber(L"usesubs", 1));
    Store({{"usemulti", "true"}});
    Settings s;
    EXPECT_EQ(settings::LoadSettings(folder.Core(), s), "Invalid data type for 'usesubs'");
    EXPECT_FALSE(s.usemulti);
}
#endif

TEST(SettingsFilters, TextsHoldLowerCasedEntriesOfSwitchedOnFiltersOnly) {
    Settings s;
    s.eel = {".tmp", ".BAK", ".\xC3\x89T"};  // only A-Z change: É stays
    s.efl = {"Thumbs"};
    s.seo = {".doc"};
    s.noext = true;
    settings::DeriveFilterValues(s);
    EXPECT_EQ(s.filterMode, 1);
    EXPECT_EQ(s.excludedExtText, ".tmp .bak .\xC3\x89t ");
    EXPECT_EQ(s.excludedExts, (Lines{".tmp", ".bak", ".\xC3\x89t"}));
    EXPECT_EQ(s.excludedNameText, "");
    EXPECT_TRUE(s.excludedNames.empty());
    EXPECT_EQ(s.onlyExtText, "");

    s.noext = false;
    s.useext = true;
    settings::DeriveFilterValues(s);
    EXPECT_EQ(s.filterMode, 2);
    EXPECT_EQ(s.excludedExtText, "");
    EXPECT_TRUE(s.excludedExts.empty());
    EXPECT_EQ(s.onlyExtText, ".doc ");
    EXPECT_EQ(s.onlyExts, Lines{".doc"});
}

TEST(SettingsFilters, ClosingStepSetsTheModeAndEmptiesUntickedFiltersOnly) {
    Settings s;
    s.eel = {".tmp"};
    s.efl = {"readme"};
    s.noext = s.nofile = true;
    settings::DeriveFilterValues(s);

    // Cancel after unticking everything.
    Settings allOff = s;
    allOff.noext = allOff.nofile = false;
    settings::ApplyClosingStep(allOff);
    EXPECT_EQ(allOff.filterMode, 0);
    EXPECT_EQ(allOff.excludedExtText + allOff.excludedNameText + allOff.onlyExtText, "");
    EXPECT_TRUE(allOff.excludedExts.empty() && allOff.excludedNames.empty());

    // A ticked filter keeps the text of the last OK although its list changed.
    s.nofile = false;
    s.eel.push_back(".bak");
    settings::ApplyClosingStep(s);
    EXPECT_EQ(s.filterMode, 1);
    EXPECT_EQ(s.excludedExtText, ".tmp ");
    EXPECT_EQ(s.excludedNameText, "");

    // A filter ticked without OK filters nothing until the next OK.
    Settings fresh;
    fresh.eel = {".tmp"};
    settings::DeriveFilterValues(fresh);
    fresh.noext = true;
    settings::ApplyClosingStep(fresh);
    EXPECT_EQ(fresh.filterMode, 1);
    EXPECT_EQ(fresh.excludedExtText, "");
}

TEST(SettingsDelay, TypedDelayIsAWholeNumberBroughtIntoRange) {
    for (auto [typed, expected] : {std::pair{"10", 10}, {"60", 60}, {"37", 37}, {" 20 ", 20}, {"+45", 45},
                                   {"9", 10}, {"61", 60}, {"-5", 10}, {"0", 10}, {"99999999999999", 60},
                                   {"-99999999999999", 10}, {"", 10}, {"abc", 10}, {"12a", 10}, {"1 2", 10},
                                   {"-", 10}, {"3.5", 10}})
        EXPECT_EQ(settings::ClampDelay(typed), expected) << typed;
}

}  // namespace

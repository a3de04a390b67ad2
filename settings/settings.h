#pragma once
// The record of all options, the settings file "\mirv4.dat" and the settings values in ProgramKey.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

struct Settings {
    // Lists, stored in the settings file.
    std::vector<std::string> eel;   // excluded extensions (".tmp")
    std::vector<std::string> efl;   // excluded names, with or without extension, or with * and ?
    std::vector<std::string> seo;   // the only extensions to synchronise
    std::vector<std::string> ldir;  // First Folders of the folder pairs
    std::vector<std::string> rdir;  // Second Folders, parallel to ldir

    // On/off options and the delay, stored as values in ProgramKey.
    bool usesubs = false;
    bool usemulti = false;
    bool autoloaddata = false;
    bool autodortdata = false;  // "Auto sync data"
    bool autoclose = false;
    bool startmin = false;
    bool usestamp = false;
    bool mirrorlocal = false;
    bool noext = false;   // "Use Ext Filter"
    bool nofile = false;  // "Use File Filter"
    bool useext = false;  // "Use these Ext only"
    int ssdelay = 10;     // seconds, 10 to 60
    bool usewiz = true;   // stored by the wizard notice, not by SaveSettings
    // The safety net of a Sync. The two that are on by default are off only when stored as "false".
    bool userecycle = true;   // deleted and replaced files go to the Recycle Bin
    bool usereport = true;    // every Sync leaves a report
    bool ignorehour = false;  // copies exactly one hour apart count as equal
    bool usememory = false;   // each pair's last Sync remembered: deletions carry over, conflicts wait

    // Derived filter values: rebuilt by DeriveFilterValues (at load and at OK only).
    int filterMode = 0;  // 0 none, 1 exclusion filters, 2 only the listed extensions
    std::string excludedExtText, excludedNameText, onlyExtText;  // entries lower-cased, each + " "
    // The same entries one by one (lower-cased), for whole-entry matching by the scan.
    std::vector<std::string> excludedExts, excludedNames, onlyExts;
};

inline constexpr int kMinDelay = 10;
inline constexpr int kMaxDelay = 60;

// runPath + "\mirv4.dat"; "\mirv4.dat" when runPath is empty.
std::string SettingsFilePath(std::string_view runPath);

// The file format: marker lines ":eel", ":efl", ":seo", ":ldir", ":rdir", entries, an empty line.
// Text is UTF-8 here; the stored encoding is handled by LoadSettings and SaveSettings.
void ParseSettingsText(std::string_view text, Settings& settings);
std::string FormatSettingsText(const Settings& settings);

// Fills the record from the settings file and values, applies the filter switches' exclusivity and
// derives the filter values. A failure stops loading where it happened; its message is returned for
// the error handler ("Cannot open file %s", "'%s' is not a valid integer value", ...).
std::optional<std::string> LoadSettings(std::string_view runPath, Settings& settings);

// Writes the settings file, then the values. When the file cannot be written: "Cannot create file %s"
// and no value is written.
std::optional<std::string> SaveSettings(std::string_view runPath, const Settings& settings);

void DeriveFilterValues(Settings& settings);

// The Options dialog's closing step: filterMode from the switches, texts of unticked filters emptied.
void ApplyClosingStep(Settings& settings);

// A delay as typed: a whole number brought into 10-60, anything else 10.
int ClampDelay(std::string_view text);

}  // namespace settings

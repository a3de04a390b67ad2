#include "settings/settings.h"

#include <array>
#include <cstddef>
#include <utility>

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/program_values.h"
#include "platform/text.h"

namespace settings {

namespace {

using List = std::vector<std::string> Settings::*;

struct Section {
    std::string_view marker;
    List list;
};

// The order in which the sections are written.
constexpr std::array<Section, 5> kSections = {{{":eel", &Settings::eel},
                                               {":efl", &Settings::efl},
                                               {":seo", &Settings::seo},
                                               {":ldir", &Settings::ldir},
                                               {":rdir", &Settings::rdir}}};

constexpr std::string_view kLineEnd = "\r\n";

std::string OnOffText(bool on) { return on ? "true" : "false"; }

// A whole number (optional sign, decimal digits, blanks around it) brought into 10-60; nullopt
// for anything else. Digits beyond what the range needs only push the value further out, so a
// long number saturates instead of overflowing.
std::optional<int> ParseDelay(std::string_view text) {
    std::string trimmed = platform::Trim(text);
    std::string_view digits = trimmed;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty()) return std::nullopt;
    long long value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        if (value <= kMaxDelay) value = value * 10 + (c - '0');
    }
    if (negative || value < kMinDelay) return kMinDelay;
    return value > kMaxDelay ? kMaxDelay : static_cast<int>(value);
}

// Reading stops at the first failure; what was read up to there stays in the record.
std::optional<std::string> ReadStored(std::string_view runPath, Settings& settings) {
    std::string path = SettingsFilePath(runPath);
    std::string bytes;
    switch (platform::ReadWholeFile(path, bytes)) {
        case platform::ReadStatus::Missing:
            break;
        case platform::ReadStatus::Failed:
            return platform::CannotOpenFileText(path);
        case platform::ReadStatus::Ok:
            ParseSettingsText(platform::DecodeStoredText(bytes), settings);
            break;
    }

    try {
        auto readOnOff = [](std::string_view name) { return platform::ReadProgramValue(name) == "true"; };
        settings.usesubs = readOnOff("usesubs");
        settings.usemulti = readOnOff("usemulti");
        settings.autoloaddata = readOnOff("autoloaddata");
        std::string delay = platform::ReadProgramValue("ssdelay");
        if (!delay.empty()) {
            std::optional<int> seconds = ParseDelay(delay);
            if (!seconds) return platform::NotAnIntegerText(delay);
            settings.ssdelay = *seconds;
        }
        settings.mirrorlocal = readOnOff("mirrorlocal");
        settings.autodortdata = readOnOff("autodortdata");
        // Only one kind of filter can be on; useext is read last, so a stored useext wins.
        if (readOnOff("noext")) {
            settings.noext = true;
            settings.useext = false;
        }
        if (readOnOff("nofile")) {
            settings.nofile = true;
            settings.useext = false;
        }
        if (readOnOff("useext")) {
            settings.useext = true;
            settings.noext = false;
            settings.nofile = false;
        }
        settings.autoclose = readOnOff("autoclose");
        settings.startmin = readOnOff("startmin");
        settings.usestamp = readOnOff("usestamp");
        settings.userecycle = platform::ReadProgramValue("userecycle") != "false";
        settings.usereport = platform::ReadProgramValue("usereport") != "false";
        settings.ignorehour = readOnOff("ignorehour");
        settings.usememory = readOnOff("usememory");
    } catch (const platform::AppError& error) {
        return error.what();
    }
    return std::nullopt;
}

void DeriveOne(bool on, const std::vector<std::string>& entries, std::string& text,
               std::vector<std::string>& lowered) {
    text.clear();
    lowered.clear();
    if (!on) return;
    for (const std::string& entry : entries) {
        lowered.push_back(platform::AsciiLower(entry));
        text += lowered.back();
        text += ' ';
    }
}

int FilterModeOf(const Settings& settings) {
    if (settings.useext) return 2;
    return settings.noext || settings.nofile ? 1 : 0;
}

}  // namespace

std::string SettingsFilePath(std::string_view runPath) { return std::string(runPath) + "\\mirv4.dat"; }

void ParseSettingsText(std::string_view text, Settings& settings) {
    text = text.substr(0, text.find('\0'));
    std::vector<std::string>* current = nullptr;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end;
        if (pos < text.size() && text[pos] == '\r') ++pos;
        if (pos < text.size() && text[pos] == '\n') ++pos;

        if (line.empty()) current = nullptr;
        if (current) current->emplace_back(line);
        // A marker opens its section even right after an entry, where it was stored above too.
        for (const Section& section : kSections)
            if (line == section.marker) current = &(settings.*section.list);
    }
}

std::string FormatSettingsText(const Settings& settings) {
    std::string text;
    for (const Section& section : kSections) {
        const std::vector<std::string>& entries = settings.*section.list;
        if (entries.empty()) continue;
        text += section.marker;
        text += kLineEnd;
        for (const std::string& entry : entries) {
            text += entry;
            text += kLineEnd;
        }
        text += kLineEnd;
    }
    return text;
}

std::optional<std::string> LoadSettings(std::string_view runPath, Settings& settings) {
    // The wizard notice owns usewiz; everything else starts from its default.
    Settings fresh;
    fresh.usewiz = settings.usewiz;
    settings = std::move(fresh);
    std::optional<std::string> failure = ReadStored(runPath, settings);
    DeriveFilterValues(settings);
    return failure;
}

std::optional<std::string> SaveSettings(std::string_view runPath, const Settings& settings) {
    std::string path = SettingsFilePath(runPath);
    if (!platform::WriteWholeFile(path, platform::EncodeStoredText(FormatSettingsText(settings))))
        return platform::CannotCreateFileText(path);

    platform::WriteProgramValue("ssdelay", std::to_string(settings.ssdelay));
    platform::WriteProgramValue("usemulti", OnOffText(settings.usemulti));
    platform::WriteProgramValue("autoloaddata", OnOffText(settings.autoloaddata));
    platform::WriteProgramValue("autodortdata", OnOffText(settings.autodortdata));
    platform::WriteProgramValue("mirrorlocal", OnOffText(settings.mirrorlocal));
    platform::WriteProgramValue("noext", OnOffText(settings.noext));
    platform::WriteProgramValue("nofile", OnOffText(settings.nofile));
    platform::WriteProgramValue("useext", OnOffText(settings.useext));
    platform::WriteProgramValue("autoclose", OnOffText(settings.autoclose));
    platform::WriteProgramValue("startmin", OnOffText(settings.startmin));
    platform::WriteProgramValue("usestamp", OnOffText(settings.usestamp));
    platform::WriteProgramValue("usesubs", OnOffText(settings.usesubs));
    platform::WriteProgramValue("userecycle", OnOffText(settings.userecycle));
    platform::WriteProgramValue("usereport", OnOffText(settings.usereport));
    platform::WriteProgramValue("ignorehour", OnOffText(settings.ignorehour));
    platform::WriteProgramValue("usememory", OnOffText(settings.usememory));
    return std::nullopt;
}

void DeriveFilterValues(Settings& settings) {
    settings.filterMode = FilterModeOf(settings);
    DeriveOne(settings.noext, settings.eel, settings.excludedExtText, settings.excludedExts);
    DeriveOne(settings.nofile, settings.efl, settings.excludedNameText, settings.excludedNames);
    DeriveOne(settings.useext, settings.seo, settings.onlyExtText, settings.onlyExts);
}

void ApplyClosingStep(Settings& settings) {
    settings.filterMode = FilterModeOf(settings);
    // A ticked filter keeps the text of the last OK, even when its list changed since.
    if (!settings.noext) {
        settings.excludedExtText.clear();
        settings.excludedExts.clear();
    }
    if (!settings.nofile) {
        settings.excludedNameText.clear();
        settings.excludedNames.clear();
    }
    if (!settings.useext) {
        settings.onlyExtText.clear();
        settings.onlyExts.clear();
    }
}

int ClampDelay(std::string_view text) { return ParseDelay(text).value_or(kMinDelay); }

}  // namespace settings

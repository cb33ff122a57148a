// Fuzz target for the settings file: any bytes as quorvane.ini, read by the
// INI layer and by LoadSettings, written back and read again.
//
// Beyond the sanitizers' checks it holds the code to its promises on any
// file: the text survives a read and write unchanged; a read returns at most
// 2047 bytes; a value written can be read back, also after the file is saved
// and read again; a date the settings accept prints as a date that reads
// back the same; and a settings record read, saved and read again is the
// same record, so that the program never changes a user's setting by saving
// it (two harmless changes to a hand-made file aside, see below).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/trim.h"
#include "settings/environment.h"
#include "settings/ini_file.h"
#include "settings/settings.h"
#include "settings/short_date.h"
#include "support/fuzz_support.h"

namespace {

using qv::fuzz::TInputReader;

constexpr std::string_view kSections[] = {"Proxy", "Main", "File Dates", "Mail", "Contact"};
constexpr std::string_view kKeys[] = {"Proxy Host",      "Name",     "Senate", "SMTP Server",
                                      "SenateColWidths", "Use Proxy"};

void CheckDate(std::string_view text) {
    if (const auto date = ParseShortDate(text)) {
        QV_FUZZ_CHECK(date->ok());
        const auto again = ParseShortDate(FormatShortDate(*date));
        QV_FUZZ_CHECK(again && *again == *date);
    }
}

bool HasLoneCarriageReturn(std::string_view text) {
    for (std::size_t i = text.find('\r'); i != std::string_view::npos; i = text.find('\r', i + 1)) {
        if (i + 1 == text.size() || text[i + 1] != '\n') {
            return true;
        }
    }
    return false;
}

// A read gives the value written, or as much of it as a read returns (cut
// back to a character's start).
bool ReadsAs(const std::string& read, const std::string& written) {
    if (written.size() <= IniFile::kMaxReadLength) {
        return read == written;
    }
    return written.starts_with(read) && read.size() + 4 > IniFile::kMaxReadLength;
}

// The INI layer on the file's text.
void CheckIniText(std::string_view text, TInputReader& choices) {
    IniFile ini = IniFile::FromText(text);
    const std::string written = ini.Text();
    // A carriage return not followed by a line feed is text of its line; one
    // right before the line's end would be taken for a line end next time.
    if (!HasLoneCarriageReturn(text)) {
        QV_FUZZ_CHECK(IniFile::FromText(written).Text() == written);
    }

    // Every key line of the text read through its section, the way the
    // settings store reads its keys.
    std::string section;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::string_view line = rest.substr(0, rest.find('\n'));
        rest.remove_prefix(std::min(rest.size(), line.size() + 1));
        const std::string_view trimmed = qv::TrimSpacesAndTabs(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            section = std::string(trimmed.substr(1, trimmed.find(']') - 1));
        } else if (const std::size_t eq = line.find('='); eq != std::string_view::npos) {
            const std::string key(line.substr(0, eq));
            const std::string value = ini.ReadString(section, key, "");
            QV_FUZZ_CHECK(value.size() <= IniFile::kMaxReadLength);
            ini.ReadInteger(section, key, 0);
            CheckDate(value);
        }
    }

    // A value written under one of the program's own names reads back as
    // written, trimmed and with line breaks as blanks.
    const std::string_view sectionName = kSections[choices.Byte() % std::size(kSections)];
    const std::string_view keyName = kKeys[choices.Byte() % std::size(kKeys)];
    std::string value(choices.Piece('\n'));
    ini.WriteString(sectionName, keyName, value);
    for (char& c : value) {
        if (c == '\r') {
            c = ' ';
        }
    }
    const std::string expected(qv::TrimSpacesAndTabs(value));
    QV_FUZZ_CHECK(ReadsAs(ini.ReadString(sectionName, keyName, ""), expected));
    const IniFile saved = IniFile::FromText(ini.Text());
    QV_FUZZ_CHECK(ReadsAs(saved.ReadString(sectionName, keyName, ""), expected));
}

std::size_t LongestLine(std::string_view text) {
    std::size_t longest = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        longest = std::max(longest, end);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return longest;
}

// The settings store on the file.
void CheckSettingsFile(std::string_view text) {
    static const bool environment = [] {
        const std::string config = qv::fuzz::TScratchFolder::Get().Path().string();
        std::filesystem::create_directory(config + "/quorvane");
        SetEnvironmentLookup([config](const std::string& name) -> std::optional<std::string> {
            if (name == "XDG_CONFIG_HOME") {
                return config;
            }
            return std::nullopt;
        });
        using namespace std::chrono;
        SetTodaySource([] { return year_month_day(year(2025), month(12), day(1)); });
        return true;
    }();
    (void)environment;
    qv::fuzz::TScratchFolder::Get().Write("quorvane/quorvane.ini", text);

    auto loadAndSave = [] {
        SetDefaultSettings();
        LoadSettings();
        const TSettings read = Settings;
        SaveSettings();
        return read;
    };
    const TSettings first = loadAndSave();
    const TSettings second = loadAndSave();
    const TSettings third = loadAndSave();
    // A record the program wrote must come back whole. A hand-made file may
    // change once on its first save, in two ways only: a value cut at the
    // read limit may end in a blank, which the next read trims off, and a
    // carriage return inside a value is written as a blank.
    QV_FUZZ_CHECK(second == third);
    if (LongestLine(text) <= IniFile::kMaxReadLength && !HasLoneCarriageReturn(text)) {
        QV_FUZZ_CHECK(first == second);
    }
}

}  // namespace

// The first bytes choose the name and value of a write; all of the input is
// the file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TInputReader choices(data, size);
    CheckIniText(text, choices);
    CheckSettingsFile(text);
    return 0;
}

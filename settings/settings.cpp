#include "settings/settings.h"

#include <sys/stat.h>
#include <iterator>
#include <limits>
#include <optional>
#include <variant>

#include "base/trim.h"
#include "settings/environment.h"
#include "settings/short_date.h"

bool FirstRun = false;

namespace {

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != prefix[i]) {
            return false;
        }
    }
    return true;
}

// "socks5://host:1080" and the like: a URL whose scheme is neither http nor
// https names a proxy that does not take HTTP requests.
bool IsOtherSchemeUrl(std::string_view value) {
    std::size_t sep = value.find("://");
    if (sep == std::string_view::npos || sep == 0) {
        return false;
    }
    std::string_view scheme = value.substr(0, sep);
    auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!letter(scheme.front())) {
        return false;
    }
    for (char c : scheme) {
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return !StartsWithNoCase(value, "http://") && !StartsWithNoCase(value, "https://");
}

void ApplyUseProxyInvariant(TSettings& s) {
    if (s.ProxyHost.empty()) {
        s.UseProxy = false;
    }
}

// ---- the key table ---------------------------------------------------------
//
// Every key of the file, one row each, in the order SaveSettings writes them
// (a new file therefore has its sections in the order Proxy, Main, File
// Dates, Mail, Contact, with the two colour keys last in Main). LoadSettings
// reads them in its own order, given by each row's read step. The field's
// type is the key's type: bool "1"/"0", int decimal (hexadecimal read too),
// string as is, date "M/d/yyyy", width list N integers joined by ",".
// Colours are ints. A new key is one row here and one field in TSettings.

using TField =
    std::variant<bool TSettings::*, int TSettings::*, std::string TSettings::*,
                 std::chrono::year_month_day TSettings::*, std::array<int, 5> TSettings::*,
                 std::array<int, 7> TSettings::*, std::array<int, 8> TSettings::*>;

// The values an integer key accepts; a value outside reads as a malformed one.
struct TRange {
    int Min = std::numeric_limits<int>::min();
    int Max = std::numeric_limits<int>::max();
};

struct TKey {
    std::string_view Section;
    std::string_view Name;      // as SaveSettings writes it
    std::string_view ReadName;  // as LoadSettings reads it
    TField Field;
    std::string_view Default;  // the built-in default, as the file writes it
    int ReadStep;              // position in LoadSettings' order
    TRange Range{};            // integer keys only
};

// A key whose name reads and writes the same.
constexpr TKey Key(std::string_view section, std::string_view name, TField field,
                   std::string_view builtin, int readStep, TRange range = {}) {
    return {section, name, name, field, builtin, readStep, range};
}

constexpr std::string_view kProxy = "Proxy";
constexpr std::string_view kMain = "Main";
constexpr std::string_view kFileDates = "File Dates";
constexpr std::string_view kMail = "Mail";
constexpr std::string_view kContact = "Contact";

using S = TSettings;
constexpr TKey kKeys[] = {
    Key(kProxy, "Use Proxy", &S::UseProxy, "0", 1),
    Key(kProxy, "Proxy Host", &S::ProxyHost, "", 3),
    Key(kProxy, "Proxy Port", &S::ProxyPort, "80", 4),
    Key(kProxy, "Use Local Port", &S::UseLocalPort, "0", 5),
    Key(kProxy, "Local Port", &S::LocalPort, "0", 6),
    Key(kProxy, "Use Proxy Authorization", &S::UseProxyAuthorization, "0", 2),
    Key(kProxy, "Proxy Username", &S::ProxyUsername, "", 7),
    Key(kProxy, "Proxy Password", &S::ProxyPassword, "", 8),
    Key(kMain, "Status", &S::Status, "0", 9),
    Key(kMain, "Height", &S::Height, "410", 10),
    Key(kMain, "Width", &S::Width, "640", 11),
    Key(kMain, "Left", &S::Left, "50", 12),
    Key(kMain, "Top", &S::Top, "50", 13),
    Key(kMain, "OutBar Width", &S::OutBarWidth, "105", 14),
    Key(kMain, "SenateColWidths", &S::SenateColWidths, "0,37,25,35,110,161,185", 38),
    Key(kMain, "HouseColWidths", &S::HouseColWidths, "0,37,25,32,32,114,161,185", 39),
    Key(kMain, "PresColWidths", &S::PresColWidths, "0,37,110,160,245", 40),
    Key(kMain, "LeaderColWidths", &S::LeaderColWidths, "0,0,100,80,110,160,245", 41),
    Key(kFileDates, "Senate", &S::Senate, "5/1/1999", 15),
    Key(kFileDates, "House", &S::House, "9/20/1999", 16),
    Key(kFileDates, "Leaders", &S::Leaders, "8/29/1999", 17),
    Key(kFileDates, "Parliament", &S::Parliament, "6/1/1999", 18),
    Key(kFileDates, "Misc", &S::Misc, "7/17/2000", 19),
    Key(kMail, "SMTP Server", &S::SMTPServer, "", 20),
    Key(kMail, "email User", &S::EmailUser, "", 21),
    Key(kMail, "ReplyTo", &S::ReplyTo, "", 22),
    {kMail, "UseRemoteEMail", "UseRemoteEmail", &S::UseRemoteEmail, "1", 24},
    Key(kMail, "Max Recipients", &S::MaxRecipients, "99", 23),
    Key(kMail, "Send Copy", &S::SendCopy, "0", 42),  // "Send me a copy"
    // Added after the first release: a file without them reads as port 25
    // without security, which is how mail went out before.
    Key(kMail, "SMTP Port", &S::SMTPPort, "25", 43, {1, 65535}),
    Key(kMail, "SMTP Security", &S::SMTPSecurity, "0", 44, {0, 3}),
    Key(kContact, "UseContact", &S::UseContact, "1", 25),
    Key(kContact, "Name", &S::Name, "", 26),
    Key(kContact, "Street1", &S::Street1, "", 27),
    Key(kContact, "Street2", &S::Street2, "", 28),
    Key(kContact, "City", &S::City, "", 29),
    Key(kContact, "State", &S::State, "", 30),
    Key(kContact, "ZipCode", &S::ZipCode, "", 31),
    Key(kContact, "UHomeP", &S::UHomeP, "", 32),
    Key(kContact, "UWorkP", &S::UWorkP, "", 33),
    Key(kContact, "UFax", &S::UFax, "", 34),
    Key(kContact, "UDist", &S::UDist, "", 35),
    Key(kMain, "OddRowColor", &S::OddRowColor, "16770775", 36),    // red 215, green 230, blue 255
    Key(kMain, "EvenRowColor", &S::EvenRowColor, "14148351", 37),  // red 255, green 226, blue 215
};

// Every read step from 1 to the number of keys, once.
constexpr bool ReadStepsArePermutation() {
    for (std::size_t step = 1; step <= std::size(kKeys); ++step) {
        int found = 0;
        for (const TKey& key : kKeys) {
            found += key.ReadStep == static_cast<int>(step) ? 1 : 0;
        }
        if (found != 1) {
            return false;
        }
    }
    return true;
}
static_assert(ReadStepsArePermutation(), "each key needs its own step in LoadSettings' order");

// What LoadSettings reads for a File Dates key that is missing.
constexpr std::string_view kMissingDate = "01/01/1990";

template <class... F>
struct TOverloaded : F... {
    using F::operator()...;
};
template <class... F>
TOverloaded(F...) -> TOverloaded<F...>;

template <std::size_t N>
std::string FormatWidthList(const std::array<int, N>& widths) {
    std::string out = std::to_string(widths[0]);
    for (std::size_t i = 1; i < N; ++i) {
        out += ',';
        out += std::to_string(widths[i]);
    }
    return out;
}

// Exactly N non-negative integers separated by ",", else nullopt.
template <std::size_t N>
std::optional<std::array<int, N>> ParseWidthList(std::string_view text) {
    std::array<int, N> widths{};
    for (std::size_t i = 0; i < N; ++i) {
        std::size_t comma = text.find(',');
        bool last = i + 1 == N;
        if (last != (comma == std::string_view::npos)) {
            return std::nullopt;  // too few or too many values
        }
        auto value = ParseProfileInteger(qv::TrimSpacesAndTabs(text.substr(0, comma)));
        if (!value || *value < 0) {
            return std::nullopt;
        }
        widths[i] = *value;
        if (!last) {
            text.remove_prefix(comma + 1);
        }
    }
    return widths;
}

// The key's built-in default into its field.
void SetBuiltinDefault(TSettings& s, const TKey& key) {
    std::visit(
        TOverloaded{
            [&](bool S::*f) { s.*f = ParseProfileInteger(key.Default).value_or(0) != 0; },
            [&](int S::*f) { s.*f = ParseProfileInteger(key.Default).value_or(0); },
            [&](std::string S::*f) { s.*f = key.Default; },
            [&](std::chrono::year_month_day S::*f) { s.*f = ParseShortDate(key.Default).value(); },
            [&]<std::size_t N>(std::array<int, N> S::*f) {
                s.*f = ParseWidthList<N>(key.Default).value();
            },
        },
        key.Field);
}

// Each key is read with the field's current value as its default, except a
// date (missing: 1/1/1990; not a date: today) and a width list (missing or
// not exactly N non-negative integers: the key's built-in default list).
void ReadKey(const IniFile& ini, TSettings& s, const TKey& key) {
    const std::string_view section = key.Section;
    const std::string_view name = key.ReadName;
    std::visit(
        TOverloaded{
            [&](bool S::*f) { s.*f = ini.ReadBool(section, name, s.*f); },
            [&](int S::*f) {
                const int value = ini.ReadInteger(section, name, s.*f);
                if (value >= key.Range.Min && value <= key.Range.Max) {
                    s.*f = value;
                }
            },
            [&](std::string S::*f) { s.*f = ini.ReadString(section, name, s.*f); },
            [&](std::chrono::year_month_day S::*f) {
                s.*f =
                    ParseShortDate(ini.ReadString(section, name, kMissingDate)).value_or(Today());
            },
            [&]<std::size_t N>(std::array<int, N> S::*f) {
                s.*f = ParseWidthList<N>(ini.ReadString(section, name, key.Default))
                           .value_or(ParseWidthList<N>(key.Default).value());
            },
        },
        key.Field);
}

void WriteKey(IniFile& ini, const TSettings& s, const TKey& key) {
    const std::string_view section = key.Section;
    const std::string_view name = key.Name;
    std::visit(TOverloaded{
                   [&](bool S::*f) { ini.WriteBool(section, name, s.*f); },
                   [&](int S::*f) { ini.WriteInteger(section, name, s.*f); },
                   [&](std::string S::*f) { ini.WriteString(section, name, s.*f); },
                   [&](std::chrono::year_month_day S::*f) {
                       ini.WriteString(section, name, FormatShortDate(s.*f));
                   },
                   [&]<std::size_t N>(std::array<int, N> S::*f) {
                       ini.WriteString(section, name, FormatWidthList(s.*f));
                   },
               },
               key.Field);
}

// Steps 2 and 3 of reading the system proxy, on a "ProxyServer" value.
void ParseProxyServer(const std::string& server, TSettings& s) {
    std::size_t start;
    if (std::size_t http = server.find("http="); http != std::string::npos) {
        start = http + 5;
    } else if (server.find('=') != std::string::npos) {
        // A per-protocol list without an HTTP entry.
        s.UseProxy = false;
        s.ProxyHost.clear();
        return;
    } else if (server.starts_with("http://")) {
        start = 7;
    } else {
        start = 0;
    }
    std::size_t end = server.find(';', start);
    std::string entry = server.substr(start, end == std::string::npos ? end : end - start);
    if (std::size_t colon = entry.find(':'); colon != std::string::npos) {
        s.ProxyPort = ParseProfileInteger(std::string_view(entry).substr(colon + 1)).value_or(80);
        entry.resize(colon);
    } else {
        s.ProxyPort = 80;
    }
    if (std::size_t slash = entry.find('/'); slash != std::string::npos) {
        entry.resize(slash);
    }
    s.ProxyHost = entry;
}

}  // namespace

TSettings::TSettings() {
    for (const TKey& key : kKeys) {
        SetBuiltinDefault(*this, key);
    }
}

TSettings Settings;

std::string SettingsFilePath() {
    const std::string dir = ProgramUserFolder("XDG_CONFIG_HOME", ".config");
    MakeUserFolders(dir);
    return dir + "/quorvane.ini";
}

void SetDefaultSettings() {
    Settings = TSettings{};
    ReadSystemProxy();
}

std::string ReduceProxyUrl(std::string_view value) {
    std::size_t scheme;
    if (StartsWithNoCase(value, "http://")) {
        scheme = 7;
    } else if (StartsWithNoCase(value, "https://")) {
        scheme = 8;
    } else {
        return std::string(value);
    }
    std::string_view authority = value.substr(scheme);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    if (std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    return "http://" + std::string(authority);
}

void ReadSystemProxy() {
    TSettings& s = Settings;
    s.UseProxy = false;
    std::optional<std::string> server;
    for (const char* name : {"http_proxy", "HTTP_PROXY"}) {
        auto value = GetEnvironmentValue(name);
        if (value && !value->empty()) {
            server = std::move(value);
            break;
        }
    }
    if (server && IsOtherSchemeUrl(*server)) {
        // As a registry list that names proxies for other protocols only.
        s.ProxyHost.clear();
    } else if (server) {
        s.UseProxy = true;  // "ProxyEnable" 1
        ParseProxyServer(ReduceProxyUrl(*server), s);
    }
    ApplyUseProxyInvariant(s);
}

void LoadSettings() {
    const IniFile ini = IniFile::Load(SettingsFilePath());
    std::array<const TKey*, std::size(kKeys)> inReadOrder{};
    for (const TKey& key : kKeys) {
        inReadOrder[static_cast<std::size_t>(key.ReadStep - 1)] = &key;
    }
    for (const TKey* key : inReadOrder) {
        ReadKey(ini, Settings, *key);
    }
    ApplyUseProxyInvariant(Settings);
}

void SaveSettings() {
    ApplyUseProxyInvariant(Settings);
    const std::string path = SettingsFilePath();
    // All keys are applied to the file's text in memory and the file is then
    // replaced once: a refused write leaves the whole previous file in place.
    IniFile ini = IniFile::LoadForUpdate(path);
    for (const TKey& key : kKeys) {
        WriteKey(ini, Settings, key);
    }
    ini.Save(path);
}

void StartSettings() {
    SetDefaultSettings();
    const std::string path = SettingsFilePath();
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
        LoadSettings();
        FirstRun = false;
    } else {
        FirstRun = true;
        SaveSettings();
    }
}

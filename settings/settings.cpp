#include "settings/settings.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <optional>
#include <vector>

#include "settings/environment.h"
#include "settings/short_date.h"

TSettings Settings;
bool FirstRun = false;

namespace {

constexpr std::string_view kProxy = "Proxy";
constexpr std::string_view kMain = "Main";
constexpr std::string_view kFileDates = "File Dates";
constexpr std::string_view kMail = "Mail";
constexpr std::string_view kContact = "Contact";

// What LoadSettings reads for a File Dates key that is missing.
constexpr std::string_view kMissingDate = "01/01/1990";

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

void MakeDirectories(const std::string& dir) {
    for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos == dir.size() || dir[pos] == '/') {
            std::string part = dir.substr(0, pos);
            if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
                return;  // the write that follows reports the failure
            }
        }
    }
}

std::string HomeDirectory() {
    if (auto home = GetEnvironmentValue("HOME"); home && !home->empty()) {
        return *home;
    }
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found &&
        found->pw_dir) {
        return found->pw_dir;
    }
    return ".";
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
        std::string_view item = text.substr(0, comma);
        while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) {
            item.remove_suffix(1);
        }
        auto value = ParseProfileInteger(item);
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

template <std::size_t N>
void ReadWidthList(const IniFile& ini, std::string_view key, std::array<int, N>& field,
                   const std::array<int, N>& builtin) {
    std::string text = ini.ReadString(kMain, key, FormatWidthList(builtin));
    field = ParseWidthList<N>(text).value_or(builtin);
}

std::chrono::year_month_day ReadDate(const IniFile& ini, std::string_view key) {
    return ParseShortDate(ini.ReadString(kFileDates, key, kMissingDate)).value_or(Today());
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

std::string SettingsFilePath() {
    std::string base;
    if (auto xdg = GetEnvironmentValue("XDG_CONFIG_HOME");
        xdg && !xdg->empty() && xdg->front() == '/') {
        base = *xdg;
    } else {
        base = HomeDirectory() + "/.config";
    }
    while (base.size() > 1 && base.back() == '/') {
        base.pop_back();
    }
    std::string dir = (base == "/" ? "" : base) + "/quorvane";
    MakeDirectories(dir);
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
    TSettings& s = Settings;
    const TSettings builtin;

    s.UseProxy = ini.ReadBool(kProxy, "Use Proxy", s.UseProxy);
    s.UseProxyAuthorization =
        ini.ReadBool(kProxy, "Use Proxy Authorization", s.UseProxyAuthorization);
    s.ProxyHost = ini.ReadString(kProxy, "Proxy Host", s.ProxyHost);
    s.ProxyPort = ini.ReadInteger(kProxy, "Proxy Port", s.ProxyPort);
    s.UseLocalPort = ini.ReadBool(kProxy, "Use Local Port", s.UseLocalPort);
    s.LocalPort = ini.ReadInteger(kProxy, "Local Port", s.LocalPort);
    s.ProxyUsername = ini.ReadString(kProxy, "Proxy Username", s.ProxyUsername);
    s.ProxyPassword = ini.ReadString(kProxy, "Proxy Password", s.ProxyPassword);

    s.Status = ini.ReadInteger(kMain, "Status", s.Status);
    s.Height = ini.ReadInteger(kMain, "Height", s.Height);
    s.Width = ini.ReadInteger(kMain, "Width", s.Width);
    s.Left = ini.ReadInteger(kMain, "Left", s.Left);
    s.Top = ini.ReadInteger(kMain, "Top", s.Top);
    s.OutBarWidth = ini.ReadInteger(kMain, "OutBar Width", s.OutBarWidth);

    s.Senate = ReadDate(ini, "Senate");
    s.House = ReadDate(ini, "House");
    s.Leaders = ReadDate(ini, "Leaders");
    s.Parliament = ReadDate(ini, "Parliament");
    s.Misc = ReadDate(ini, "Misc");

    s.SMTPServer = ini.ReadString(kMail, "SMTP Server", s.SMTPServer);
    s.EmailUser = ini.ReadString(kMail, "email User", s.EmailUser);
    s.ReplyTo = ini.ReadString(kMail, "ReplyTo", s.ReplyTo);
    s.MaxRecipients = ini.ReadInteger(kMail, "Max Recipients", s.MaxRecipients);
    s.UseRemoteEmail = ini.ReadBool(kMail, "UseRemoteEmail", s.UseRemoteEmail);

    ApplyUseProxyInvariant(s);

    s.UseContact = ini.ReadBool(kContact, "UseContact", s.UseContact);
    s.Name = ini.ReadString(kContact, "Name", s.Name);
    s.Street1 = ini.ReadString(kContact, "Street1", s.Street1);
    s.Street2 = ini.ReadString(kContact, "Street2", s.Street2);
    s.City = ini.ReadString(kContact, "City", s.City);
    s.State = ini.ReadString(kContact, "State", s.State);
    s.ZipCode = ini.ReadString(kContact, "ZipCode", s.ZipCode);
    s.UHomeP = ini.ReadString(kContact, "UHomeP", s.UHomeP);
    s.UWorkP = ini.ReadString(kContact, "UWorkP", s.UWorkP);
    s.UFax = ini.ReadString(kContact, "UFax", s.UFax);
    s.UDist = ini.ReadString(kContact, "UDist", s.UDist);

    s.OddRowColor = ini.ReadInteger(kMain, "OddRowColor", s.OddRowColor);
    s.EvenRowColor = ini.ReadInteger(kMain, "EvenRowColor", s.EvenRowColor);
    ReadWidthList(ini, "SenateColWidths", s.SenateColWidths, builtin.SenateColWidths);
    ReadWidthList(ini, "HouseColWidths", s.HouseColWidths, builtin.HouseColWidths);
    ReadWidthList(ini, "PresColWidths", s.PresColWidths, builtin.PresColWidths);
    ReadWidthList(ini, "LeaderColWidths", s.LeaderColWidths, builtin.LeaderColWidths);
}

void SaveSettings() {
    ApplyUseProxyInvariant(Settings);
    const TSettings& s = Settings;
    const std::string path = SettingsFilePath();
    // All keys are applied to the file's text in memory and the file is then
    // replaced once: a refused write leaves the whole previous file in place.
    IniFile ini = IniFile::LoadForUpdate(path);

    ini.WriteBool(kProxy, "Use Proxy", s.UseProxy);
    ini.WriteString(kProxy, "Proxy Host", s.ProxyHost);
    ini.WriteInteger(kProxy, "Proxy Port", s.ProxyPort);
    ini.WriteBool(kProxy, "Use Local Port", s.UseLocalPort);
    ini.WriteInteger(kProxy, "Local Port", s.LocalPort);
    ini.WriteBool(kProxy, "Use Proxy Authorization", s.UseProxyAuthorization);
    ini.WriteString(kProxy, "Proxy Username", s.ProxyUsername);
    ini.WriteString(kProxy, "Proxy Password", s.ProxyPassword);

    ini.WriteInteger(kMain, "Status", s.Status);
    ini.WriteInteger(kMain, "Height", s.Height);
    ini.WriteInteger(kMain, "Width", s.Width);
    ini.WriteInteger(kMain, "Left", s.Left);
    ini.WriteInteger(kMain, "Top", s.Top);
    ini.WriteInteger(kMain, "OutBar Width", s.OutBarWidth);
    ini.WriteString(kMain, "SenateColWidths", FormatWidthList(s.SenateColWidths));
    ini.WriteString(kMain, "HouseColWidths", FormatWidthList(s.HouseColWidths));
    ini.WriteString(kMain, "PresColWidths", FormatWidthList(s.PresColWidths));
    ini.WriteString(kMain, "LeaderColWidths", FormatWidthList(s.LeaderColWidths));

    ini.WriteString(kFileDates, "Senate", FormatShortDate(s.Senate));
    ini.WriteString(kFileDates, "House", FormatShortDate(s.House));
    ini.WriteString(kFileDates, "Leaders", FormatShortDate(s.Leaders));
    ini.WriteString(kFileDates, "Parliament", FormatShortDate(s.Parliament));
    ini.WriteString(kFileDates, "Misc", FormatShortDate(s.Misc));

    ini.WriteString(kMail, "SMTP Server", s.SMTPServer);
    ini.WriteString(kMail, "email User", s.EmailUser);
    ini.WriteString(kMail, "ReplyTo", s.ReplyTo);
    ini.WriteBool(kMail, "UseRemoteEMail", s.UseRemoteEmail);
    ini.WriteInteger(kMail, "Max Recipients", s.MaxRecipients);

    ini.WriteBool(kContact, "UseContact", s.UseContact);
    ini.WriteString(kContact, "Name", s.Name);
    ini.WriteString(kContact, "Street1", s.Street1);
    ini.WriteString(kContact, "Street2", s.Street2);
    ini.WriteString(kContact, "City", s.City);
    ini.WriteString(kContact, "State", s.State);
    ini.WriteString(kContact, "ZipCode", s.ZipCode);
    ini.WriteString(kContact, "UHomeP", s.UHomeP);
    ini.WriteString(kContact, "UWorkP", s.UWorkP);
    ini.WriteString(kContact, "UFax", s.UFax);
    ini.WriteString(kContact, "UDist", s.UDist);

    ini.WriteInteger(kMain, "OddRowColor", s.OddRowColor);
    ini.WriteInteger(kMain, "EvenRowColor", s.EvenRowColor);

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

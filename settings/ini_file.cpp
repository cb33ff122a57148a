#include "settings/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>

#include "base/pending_file.h"
#include "base/trim.h"
#include "base/utf8.h"

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

bool IsBlankLine(std::string_view line) {
    return qv::TrimSpacesAndTabs(line).empty();
}

// The section name when the line is a section header.
std::optional<std::string_view> HeaderName(std::string_view line) {
    std::string_view t = qv::TrimSpacesAndTabs(line);
    if (t.empty() || t.front() != '[') {
        return std::nullopt;
    }
    t.remove_prefix(1);
    std::size_t close = t.find(']');
    if (close != std::string_view::npos) {
        t = t.substr(0, close);
    }
    return qv::TrimSpacesAndTabs(t);
}

bool IsComment(std::string_view line) {
    std::string_view t = qv::TrimSpacesAndTabs(line);
    return !t.empty() && (t.front() == ';' || t.front() == '#');
}

// The key name when the line is a key line ("key=value").
std::optional<std::string_view> KeyName(std::string_view line) {
    if (HeaderName(line) || IsComment(line)) {
        return std::nullopt;
    }
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
        return std::nullopt;
    }
    return qv::TrimSpacesAndTabs(line.substr(0, eq));
}

// A read's result: at most kMaxReadLength characters.
std::string CappedRead(std::string_view value) {
    return std::string(qv::CutAtCharacter(value, IniFile::kMaxReadLength));
}

// Line breaks inside a written name or value would split its line.
std::string OneLine(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return out;
}

std::optional<std::uint32_t> ParseHex(std::string_view digits) {
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint64_t v = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9') {
            d = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            d = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            d = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        v = v * 16 + static_cast<std::uint64_t>(d);
        if (v > 0xFFFFFFFFull) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint32_t>(v);
}

enum class ReadResult { kOk, kMissing, kError };

// Reads a whole file with POSIX calls so that a folder in its place, or any
// other failure, is told apart from a missing file.
ReadResult ReadWholeFile(const std::string& path, std::string& out) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? ReadResult::kMissing : ReadResult::kError;
    }
    out.clear();
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ::close(fd);
            return ReadResult::kError;
        }
        if (n == 0) {
            break;
        }
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ReadResult::kOk;
}

}  // namespace

ESettingsWriteError::ESettingsWriteError(const std::string& path)
    : std::runtime_error("Unable to write to " + path), path_(path) {}

std::optional<int> ParseProfileInteger(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        auto v = ParseHex(text.substr(2));
        if (!v) {
            return std::nullopt;
        }
        return static_cast<int>(static_cast<std::int32_t>(*v));
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (!text.empty() && text.front() == '$') {
        auto v = ParseHex(text.substr(1));
        if (!v) {
            return std::nullopt;
        }
        std::uint32_t u = negative ? (0u - *v) : *v;
        return static_cast<int>(static_cast<std::int32_t>(u));
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        v = v * 10 + (c - '0');
        if (v > static_cast<std::int64_t>(INT_MAX) + 1) {
            return std::nullopt;
        }
    }
    if (negative) {
        v = -v;
    }
    if (v > INT_MAX || v < INT_MIN) {
        return std::nullopt;
    }
    return static_cast<int>(v);
}

IniFile IniFile::FromText(std::string_view text) {
    IniFile ini;
    if (text.substr(0, kBom.size()) == kBom) {
        ini.bom_ = std::string(kBom);
        text.remove_prefix(kBom.size());
    }
    while (!text.empty()) {
        std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        ini.lines_.emplace_back(line);
        if (nl == std::string_view::npos) {
            break;
        }
        text.remove_prefix(nl + 1);
    }
    return ini;
}

IniFile IniFile::Load(const std::string& path) {
    std::string text;
    if (ReadWholeFile(path, text) != ReadResult::kOk) {
        return IniFile();
    }
    return FromText(text);
}

IniFile IniFile::LoadForUpdate(const std::string& path) {
    std::string text;
    switch (ReadWholeFile(path, text)) {
        case ReadResult::kOk:
            return FromText(text);
        case ReadResult::kMissing:
            return IniFile();
        case ReadResult::kError:
            break;
    }
    throw ESettingsWriteError(path);
}

std::optional<IniFile::Span> IniFile::FindSection(std::string_view section) const {
    section = qv::TrimSpacesAndTabs(section);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        auto name = HeaderName(lines_[i]);
        if (name && SameName(*name, section)) {
            std::size_t end = i + 1;
            while (end < lines_.size() && !HeaderName(lines_[end])) {
                ++end;
            }
            return Span{i, end};
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> IniFile::FindKey(const Span& span, std::string_view key) const {
    key = qv::TrimSpacesAndTabs(key);
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        auto name = KeyName(lines_[i]);
        if (name && SameName(*name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

bool IniFile::HasSection(std::string_view section) const {
    return FindSection(section).has_value();
}

bool IniFile::HasKey(std::string_view section, std::string_view key) const {
    auto span = FindSection(section);
    return span && FindKey(*span, key);
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view default_value) const {
    if (auto span = FindSection(section)) {
        if (auto line = FindKey(*span, key)) {
            const std::string& text = lines_[*line];
            return CappedRead(
                qv::TrimSpacesAndTabs(std::string_view(text).substr(text.find('=') + 1)));
        }
    }
    return CappedRead(default_value);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int default_value) const {
    if (!HasKey(section, key)) {
        return default_value;
    }
    return ParseProfileInteger(ReadString(section, key, "")).value_or(default_value);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool default_value) const {
    return ReadInteger(section, key, default_value ? 1 : 0) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    std::string clean_section = OneLine(qv::TrimSpacesAndTabs(section));
    std::string clean_key = OneLine(qv::TrimSpacesAndTabs(key));
    std::string clean_value = OneLine(value);

    auto span = FindSection(clean_section);
    if (!span) {
        if (!lines_.empty() && !IsBlankLine(lines_.back())) {
            lines_.emplace_back();
        }
        lines_.push_back("[" + clean_section + "]");
        lines_.push_back(clean_key + "=" + clean_value);
        return;
    }
    if (auto at = FindKey(*span, clean_key)) {
        // Keep the key's spelling and the spacing around "=".
        std::string& line = lines_[*at];
        std::size_t start = line.find('=') + 1;
        while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) {
            ++start;
        }
        line.replace(start, std::string::npos, clean_value);
        return;
    }
    std::size_t last = span->header;
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
        if (!IsBlankLine(lines_[i])) {
            last = i;
        }
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(last + 1),
                  clean_key + "=" + clean_value);
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

std::string IniFile::Text() const {
    std::string out = bom_;
    for (const std::string& line : lines_) {
        out += line;
        out += '\n';
    }
    return out;
}

void IniFile::Save(const std::string& path) const {
    try {
        // Only the owner may read the file, which may hold a proxy password.
        qv::TPendingFile file(path, {.SyncToDisk = true, .Mode = 0600, .FollowLink = true});
        file.Stream() << Text();
        file.Commit();
    } catch (const qv::EPendingFileError&) {
        throw ESettingsWriteError(path);
    }
}

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view default_value) {
    return IniFile::Load(path).ReadString(section, key, default_value);
}

void WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    IniFile ini = IniFile::LoadForUpdate(path);
    ini.WriteString(section, key, value);
    ini.Save(path);
}

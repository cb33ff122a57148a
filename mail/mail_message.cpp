#include "mail/mail_message.h"

#include <strings.h>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>

#include "base/trim.h"
#include "mail/net_errors.h"

namespace qv {

namespace {

constexpr std::size_t kBase64Block = 45;

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string Boundary(std::string_view suffix = {}) {
    std::string line = "--";
    line += kMimeBoundary;
    line += suffix;
    return line;
}

}  // namespace

std::unique_ptr<std::istream> TLocalFileReader::OpenRead(const std::string& path) {
    auto file = std::make_unique<std::ifstream>(path, std::ios::binary);
    if (!file->is_open()) {
        int err = errno;
        throw EFileReadError("Cannot open file \"" + path + "\". " + std::strerror(err));
    }
    return file;
}

TMailMessage::TMailMessage() = default;

std::string TMailMessage::Header(std::string_view name) const {
    for (const THeaderEntry& entry : FHeaders) {
        if (SameName(entry.Name, name)) {
            return entry.Value;
        }
    }
    return {};
}

void TMailMessage::SetHeader(std::string_view name, std::string_view value) {
    for (auto it = FHeaders.begin(); it != FHeaders.end(); ++it) {
        if (SameName(it->Name, name)) {
            if (value.empty()) {
                FHeaders.erase(it);
            } else {
                it->Value = value;
            }
            return;
        }
    }
    if (!value.empty()) {
        FHeaders.push_back({std::string(name), std::string(value)});
    }
}

void TMailMessage::SetText(std::string_view text) {
    FText.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            FText.emplace_back(text.substr(start));
            return;
        }
        FText.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
}

void TMailMessage::SetDate(std::chrono::system_clock::time_point when) {
    SetHeader("Date", FormatDateHeader(when));
    FDate = when;
}

void TMailMessage::AddAttachment(const std::string& path) {
    std::size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    FAttachments.push_back({std::move(name), path});
}

void TMailMessage::SetFileReader(IFileReader* reader) {
    FReader = reader;
}

void TMailMessage::Clear() {
    FAttachments.clear();
    FBCCList.clear();
    FCCList.clear();
    FHeaders.clear();
    FNewsgroups.clear();
    FText.clear();
    FToo.clear();
    FDefaultDomain.clear();
    FMsgNo = 0;
}

std::string TMailMessage::ExtractAddress(std::string_view entry) {
    if (!entry.empty() && entry.back() == '>') {
        std::size_t open = entry.find('<');
        if (open == std::string_view::npos) {
            return {};
        }
        return std::string(TrimSpacesAndTabs(entry.substr(open + 1, entry.size() - open - 2)));
    }
    if (!entry.empty() && entry.back() == ')') {
        std::size_t open = entry.find('(');
        if (open == std::string_view::npos) {
            return {};
        }
        return std::string(TrimSpacesAndTabs(entry.substr(0, open)));
    }
    return std::string(entry);
}

std::string TMailMessage::JoinAddressList(const TStringList& list) {
    std::string joined;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i > 0) {
            joined += ',';
        }
        joined += list[i];
    }
    return joined;
}

void TMailMessage::PrepareHeaders() {
    if (FUseNowForDate) {
        SetDate(std::chrono::system_clock::now());
    }
    if (FAttachments.empty()) {
        SetHeader("MIME-Version", "");
        SetHeader("Content-Type", FContentType);
    } else {
        SetHeader("MIME-Version", "1.0");
        SetHeader("Content-Type",
                  "multipart/mixed; boundary=\"" + std::string(kMimeBoundary) + "\"");
    }
}

void TMailMessage::WriteHeaderLines(ILineWriter& out) const {
    for (const THeaderEntry& entry : FHeaders) {
        for (const std::string& line : FoldHeaderLine(entry.Name + ": " + entry.Value)) {
            out.WriteLine(line);
        }
    }
    out.WriteLine("");
}

void TMailMessage::WriteTextLines(ILineWriter& out) const {
    for (const std::string& line : FText) {
        if (!line.empty() && line.front() == '.') {
            out.WriteLine("." + line);
        } else {
            out.WriteLine(line);
        }
    }
}

void TMailMessage::WriteBodyLines(ILineWriter& out) const {
    if (FAttachments.empty()) {
        WriteTextLines(out);
        return;
    }
    out.WriteLine("This is a multi-part message in MIME format.");
    out.WriteLine("");
    out.WriteLine(Boundary());
    out.WriteLine("Content-Type: " + FContentType);
    out.WriteLine("Content-Transfer-Encoding: 7bit");
    out.WriteLine("");
    WriteTextLines(out);
    for (const TAttachment& attachment : FAttachments) {
        WriteAttachment(out, attachment);
    }
    out.WriteLine(Boundary("--"));
}

void TMailMessage::WriteAttachment(ILineWriter& out, const TAttachment& attachment) const {
    out.WriteLine("");
    out.WriteLine(Boundary());
    out.WriteLine("Content-Type: application/octet-stream;");
    out.WriteLine("        name=\"" + attachment.FileName + "\"");
    out.WriteLine("Content-Transfer-Encoding: base64");
    out.WriteLine("Content-Disposition: attachment;");
    out.WriteLine("        filename=\"" + attachment.FileName + "\"");
    out.WriteLine("");
    TLocalFileReader local;
    IFileReader& reader = FReader != nullptr ? *FReader : local;
    std::unique_ptr<std::istream> in = reader.OpenRead(attachment.PathName);
    std::array<char, kBase64Block> block;
    for (;;) {
        in->read(block.data(), block.size());
        std::streamsize got = in->gcount();
        if (got > 0) {
            out.WriteLine(EncodeBase64({block.data(), static_cast<std::size_t>(got)}));
        }
        if (in->bad()) {
            throw EFileReadError("Cannot read file \"" + attachment.PathName + "\".");
        }
        if (got < static_cast<std::streamsize>(block.size())) {
            break;
        }
    }
    out.WriteLine("");
}

std::string FormatDateHeader(std::chrono::system_clock::time_point when) {
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr) {
        throw ETimeZoneError();
    }
    long offset = local.tm_gmtoff / 60;
    char sign = offset < 0 ? '-' : '+';
    offset = std::labs(offset);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %d %s %04d %02d:%02d:%02d %c%02ld%02ld",
                  kDays[local.tm_wday], local.tm_mday, kMonths[local.tm_mon], local.tm_year + 1900,
                  local.tm_hour, local.tm_min, local.tm_sec, sign, offset / 60, offset % 60);
    return text;
}

std::string EncodeBase64(std::string_view bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
        if (n > 1) {
            value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        }
        if (n > 2) {
            value |= static_cast<unsigned char>(bytes[i + 2]);
        }
        out += kAlphabet[(value >> 18) & 63];
        out += kAlphabet[(value >> 12) & 63];
        out += n > 1 ? kAlphabet[(value >> 6) & 63] : '=';
        out += n > 2 ? kAlphabet[value & 63] : '=';
    }
    return out;
}

TStringList FoldHeaderLine(std::string_view line) {
    if (line.size() <= kMaxHeaderLine) {
        return {std::string(line)};
    }
    TStringList lines;
    std::string current;
    std::size_t start = 0;
    while (start < line.size()) {
        std::size_t comma = line.find(',', start);
        std::size_t end = comma == std::string_view::npos ? line.size() : comma + 1;
        std::string_view piece = line.substr(start, end - start);
        if (start == 0) {
            current = piece;
        } else if (current.size() + piece.size() <= kMaxHeaderLine) {
            current += piece;
        } else {
            lines.push_back(std::move(current));
            // A fill, not a copy of " ": GCC 12 at -O3 falsely reports the
            // copy into the moved-from string as overlapping (-Wrestrict).
            current.assign(1, ' ');
            current += piece;
        }
        start = end;
    }
    lines.push_back(std::move(current));
    return lines;
}

}  // namespace qv

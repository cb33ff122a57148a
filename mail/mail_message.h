// TMailMessage: the internet message the compose window fills and the SMTP
// client transmits, with its header store and its exact wire text.
#pragma once

#include <chrono>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv {

// Receives the message one line at a time, without the line break; the
// receiver ends each line with CR LF.
class ILineWriter {
  public:
    virtual ~ILineWriter() = default;
    virtual void WriteLine(std::string_view line) = 0;
};

// Opens attachment files for reading. Raises EFileReadError when a file
// cannot be opened.
class IFileReader {
  public:
    virtual ~IFileReader() = default;
    virtual std::unique_ptr<std::istream> OpenRead(const std::string& path) = 0;
};

// Reads from the local file system.
class TLocalFileReader : public IFileReader {
  public:
    std::unique_ptr<std::istream> OpenRead(const std::string& path) override;
};

struct TAttachment {
    std::string FileName;  // the bare name the recipient sees
    std::string PathName;  // where the content is read from while transmitting
};

struct THeaderEntry {
    std::string Name;
    std::string Value;
};

using TStringList = std::vector<std::string>;

inline constexpr std::string_view kMimeBoundary = "=_NextPart_2rfksadvnqw3nerasdf";

// Longest header line written unfolded; longer lines are folded after their
// commas because servers refuse lines beyond this length.
inline constexpr std::size_t kMaxHeaderLine = 998;

// Not thread-safe; owned by its user (the compose window or a command-line
// send). Attachment files are read only while the body is written.
class TMailMessage {
  public:
    TMailMessage();

    // Header store: names match without regard to letter case; setting an
    // existing name replaces its value in place, a new name is appended, and
    // an empty value removes the entry. An absent header reads as "".
    std::string Header(std::string_view name) const;
    void SetHeader(std::string_view name, std::string_view value);
    const std::vector<THeaderEntry>& Headers() const { return FHeaders; }

    std::string From() const { return Header("From"); }
    void SetFrom(std::string_view v) { SetHeader("From", v); }
    std::string Organization() const { return Header("Organization"); }
    void SetOrganization(std::string_view v) { SetHeader("Organization", v); }
    std::string References() const { return Header("References"); }
    void SetReferences(std::string_view v) { SetHeader("References", v); }
    std::string ReplyTo() const { return Header("Reply-To"); }
    void SetReplyTo(std::string_view v) { SetHeader("Reply-To", v); }
    std::string Subject() const { return Header("Subject"); }
    void SetSubject(std::string_view v) { SetHeader("Subject", v); }
    std::string MsgID() const { return Header("Message-ID"); }
    void SetMsgID(std::string_view v) { SetHeader("Message-ID", v); }

    // Recipient entries: an address, "Name <address>", or "address (Name)".
    const TStringList& Too() const { return FToo; }
    void SetToo(TStringList list) { FToo = std::move(list); }
    const TStringList& CCList() const { return FCCList; }
    void SetCCList(TStringList list) { FCCList = std::move(list); }
    const TStringList& BCCList() const { return FBCCList; }
    void SetBCCList(TStringList list) { FBCCList = std::move(list); }
    const TStringList& Newsgroups() const { return FNewsgroups; }
    void SetNewsgroups(TStringList list) { FNewsgroups = std::move(list); }

    // Body lines. SetText cuts at CR, LF or CR LF, keeps empty lines, and a
    // final line break adds no empty line.
    const TStringList& Text() const { return FText; }
    void SetText(std::string_view text);
    void SetTextLines(TStringList lines) { FText = std::move(lines); }

    const std::string& ContentType() const { return FContentType; }
    void SetContentType(std::string v) { FContentType = std::move(v); }
    const std::string& DefaultDomain() const { return FDefaultDomain; }
    void SetDefaultDomain(std::string v) { FDefaultDomain = std::move(v); }
    int MsgNo() const { return FMsgNo; }
    void SetMsgNo(int v) { FMsgNo = v; }
    bool UseNowForDate() const { return FUseNowForDate; }
    void SetUseNowForDate(bool v) { FUseNowForDate = v; }

    // Sets the Date header from the moment given, in local time with the
    // offset in force at that moment. Raises ETimeZoneError when the local
    // time cannot be read.
    void SetDate(std::chrono::system_clock::time_point when);
    std::chrono::system_clock::time_point Date() const { return FDate; }

    // FileName is the text after the last "/" of the path.
    void AddAttachment(const std::string& path);
    void ClearAttachments() { FAttachments.clear(); }
    const std::vector<TAttachment>& Attachments() const { return FAttachments; }

    // Attachments are read through reader, which must outlive the message's
    // writing; nullptr restores the local file system.
    void SetFileReader(IFileReader* reader);

    void Clear();

    // The address of a recipient entry or From value; empty when the entry's
    // brackets hold none.
    static std::string ExtractAddress(std::string_view entry);

    // Entries joined by "," with no blanks.
    static std::string JoinAddressList(const TStringList& list);

    // Stamps the date (when UseNowForDate) and sets the MIME headers for a
    // plain or multipart body.
    void PrepareHeaders();

    // Writes the header lines and the empty line after them. A line longer
    // than kMaxHeaderLine is folded after its commas.
    void WriteHeaderLines(ILineWriter& out) const;

    // Writes the body (plain, or multipart with each attachment in base64),
    // with a "." doubled at the start of a line. Raises EFileReadError when an
    // attachment cannot be read; the lines before it are already written.
    void WriteBodyLines(ILineWriter& out) const;

  private:
    void WriteTextLines(ILineWriter& out) const;
    void WriteAttachment(ILineWriter& out, const TAttachment& attachment) const;

    std::vector<THeaderEntry> FHeaders;
    TStringList FToo, FCCList, FBCCList, FNewsgroups, FText;
    std::vector<TAttachment> FAttachments;
    std::string FContentType = "text/plain";
    std::string FDefaultDomain;
    int FMsgNo = 0;
    bool FUseNowForDate = true;
    std::chrono::system_clock::time_point FDate{};
    // nullptr reads the local file system. Never points into this object,
    // so a copy of the message stays valid after the original is gone.
    IFileReader* FReader = nullptr;
};

// The Date header value for a moment: "Mon, 7 Dec 2026 15:04:05 -0500".
std::string FormatDateHeader(std::chrono::system_clock::time_point when);

// Base64 of one block (standard alphabet, "=" padding).
std::string EncodeBase64(std::string_view bytes);

// A header line split into lines of at most kMaxHeaderLine characters after
// its commas (each continuation starts with a blank); lines that fit, or that
// have no comma to break at, stay whole.
TStringList FoldHeaderLine(std::string_view line);

}  // namespace qv

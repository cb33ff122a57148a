#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <new>
#include <optional>
#include <sstream>

#include "mail/mail_message.h"
#include "mail/net_errors.h"

namespace qv {
namespace {

// Collects written lines as wire text.
class WireText : public ILineWriter {
  public:
    void WriteLine(std::string_view line) override {
        text.append(line);
        text.append("\r\n");
    }
    std::string text;
};

// Serves files from memory; a path not given raises like a missing file.
class MemoryFiles : public IFileReader {
  public:
    std::unique_ptr<std::istream> OpenRead(const std::string& path) override {
        auto found = files.find(path);
        if (found == files.end()) {
            throw EFileReadError("Cannot open file \"" + path + "\".");
        }
        return std::make_unique<std::istringstream>(found->second);
    }
    std::map<std::string, std::string> files;
};

// Sets TZ for one scope and restores it after.
class ZoneScope {
  public:
    explicit ZoneScope(const char* zone) {
        if (const char* old = std::getenv("TZ")) {
            FOld = old;
        }
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ZoneScope() {
        if (FOld) {
            ::setenv("TZ", FOld->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

  private:
    std::optional<std::string> FOld;
};

std::chrono::system_clock::time_point Utc(int y, unsigned m, unsigned d, int h, int min, int s) {
    using namespace std::chrono;
    return sys_days{year{y} / month{m} / day{d}} + hours{h} + minutes{min} + seconds{s};
}

TEST(MailMessageTest, HeaderStoreMatchesNamesWithoutCaseAndKeepsPlaces) {
    TMailMessage msg;
    msg.SetFrom("a@x.org");
    msg.SetSubject("First");
    msg.SetReplyTo("a@x.org");
    msg.SetHeader("SUBJECT", "Second");
    EXPECT_EQ(msg.Subject(), "Second");
    EXPECT_EQ(msg.Headers()[1].Name, "Subject");

    msg.SetSubject("");
    EXPECT_EQ(msg.Header("subject"), "");
    msg.SetSubject("Back");
    ASSERT_EQ(msg.Headers().size(), 3u);
    EXPECT_EQ(msg.Headers()[2].Name, "Subject");
    EXPECT_EQ(msg.Header("Organization"), "");
}

TEST(MailMessageTest, ExtractAddressFromEveryEntryForm) {
    for (const char* entry : {"jo@x.org", "<jo@x.org>", "Jo Smith <jo@x.org>",
                              "\"Jo\" < jo@x.org >", "jo@x.org (Jo Smith)", "jo@x.org  (Jo)"}) {
        EXPECT_EQ(TMailMessage::ExtractAddress(entry), "jo@x.org") << entry;
    }
    EXPECT_EQ(TMailMessage::ExtractAddress("Jo Smith <>"), "");
    EXPECT_EQ(TMailMessage::ExtractAddress("jo@x.org>"), "");
    EXPECT_EQ(TMailMessage::ExtractAddress("Jo)"), "");
}

TEST(MailMessageTest, TextIsCutAtEveryKindOfLineBreak) {
    TMailMessage msg;
    msg.SetText("a\r\nb\rc\nd\r\n\r\ne\n");
    EXPECT_EQ(msg.Text(), (TStringList{"a", "b", "c", "d", "", "e"}));
    msg.SetText("");
    EXPECT_TRUE(msg.Text().empty());
    msg.SetText("\n");
    EXPECT_EQ(msg.Text(), (TStringList{""}));
}

TEST(MailMessageTest, DateCarriesTheOffsetInForceAtThatMoment) {
    {
        ZoneScope zone("EST5EDT,M3.2.0,M11.1.0");
        EXPECT_EQ(FormatDateHeader(Utc(2026, 12, 7, 20, 4, 5)), "Mon, 7 Dec 2026 15:04:05 -0500");
        EXPECT_EQ(FormatDateHeader(Utc(2026, 7, 4, 4, 0, 9)), "Sat, 4 Jul 2026 00:00:09 -0400");
    }
    {
        ZoneScope zone("IST-5:30");
        EXPECT_EQ(FormatDateHeader(Utc(2027, 1, 31, 23, 59, 59)), "Mon, 1 Feb 2027 05:29:59 +0530");
    }
    {
        ZoneScope zone("UTC0");
        TMailMessage msg;
        msg.SetDate(Utc(2026, 3, 1, 9, 8, 7));
        EXPECT_EQ(msg.Header("Date"), "Sun, 1 Mar 2026 09:08:07 +0000");
    }
}

TEST(MailMessageTest, PrepareHeadersSwitchesBetweenPlainAndMultipart) {
    TMailMessage msg;
    msg.SetUseNowForDate(false);
    msg.AddAttachment("/tmp/a.txt");
    msg.PrepareHeaders();
    EXPECT_EQ(msg.Header("MIME-Version"), "1.0");
    EXPECT_EQ(msg.Header("Content-Type"),
              "multipart/mixed; boundary=\"=_NextPart_2rfksadvnqw3nerasdf\"");
    EXPECT_EQ(msg.Header("Date"), "");

    msg.ClearAttachments();
    msg.PrepareHeaders();
    EXPECT_EQ(msg.Header("MIME-Version"), "");
    EXPECT_EQ(msg.Header("Content-Type"), "text/plain");
}

TEST(MailMessageTest, JoinAddressListKeepsEntriesAsTheyAre) {
    EXPECT_EQ(TMailMessage::JoinAddressList({}), "");
    EXPECT_EQ(TMailMessage::JoinAddressList({"<a@x>", "b@y (B)"}), "<a@x>,b@y (B)");
}

TEST(MailMessageTest, LeadingDotIsDoubledOnlyAtTheStartOfALine) {
    TMailMessage msg;
    msg.SetText(".\n.hidden\na.b\n..\n");
    WireText out;
    msg.WriteBodyLines(out);
    EXPECT_EQ(out.text, "..\r\n..hidden\r\na.b\r\n...\r\n");
}

TEST(MailMessageTest, AttachmentsAreBase64InBlocksOf45Bytes) {
    MemoryFiles files;
    files.files["/d1/data.bin"] = std::string(46, '\xff');
    files.files["/d2/data.bin"] = "";
    files.files["/d2/45.bin"] = std::string(45, 'A');
    TMailMessage msg;
    msg.SetFileReader(&files);
    msg.SetText(".x");
    msg.AddAttachment("/d1/data.bin");
    msg.AddAttachment("/d2/data.bin");
    msg.AddAttachment("/d2/45.bin");
    WireText out;
    msg.WriteBodyLines(out);

    std::string part =
        "Content-Type: application/octet-stream;\r\n"
        "        name=\"data.bin\"\r\n"
        "Content-Transfer-Encoding: base64\r\n"
        "Content-Disposition: attachment;\r\n"
        "        filename=\"data.bin\"\r\n\r\n";
    std::string full = std::string(60, '/') + "\r\n";
    EXPECT_EQ(out.text,
              "This is a multi-part message in MIME format.\r\n\r\n"
              "--=_NextPart_2rfksadvnqw3nerasdf\r\n"
              "Content-Type: text/plain\r\n"
              "Content-Transfer-Encoding: 7bit\r\n\r\n"
              "..x\r\n"
              "\r\n--=_NextPart_2rfksadvnqw3nerasdf\r\n" +
                  part + full + "/w==\r\n\r\n" + "\r\n--=_NextPart_2rfksadvnqw3nerasdf\r\n" + part +
                  "\r\n" +
                  "\r\n--=_NextPart_2rfksadvnqw3nerasdf\r\n"
                  "Content-Type: application/octet-stream;\r\n"
                  "        name=\"45.bin\"\r\n"
                  "Content-Transfer-Encoding: base64\r\n"
                  "Content-Disposition: attachment;\r\n"
                  "        filename=\"45.bin\"\r\n\r\n" +
                  EncodeBase64(std::string(45, 'A')) + "\r\n\r\n" +
                  "--=_NextPart_2rfksadvnqw3nerasdf--\r\n");
    EXPECT_EQ(EncodeBase64("Man"), "TWFu");
    EXPECT_EQ(EncodeBase64("Ma"), "TWE=");
}

TEST(MailMessageTest, MissingAttachmentFailsAfterTheLinesBeforeIt) {
    MemoryFiles files;
    TMailMessage msg;
    msg.SetFileReader(&files);
    msg.SetText("text");
    msg.AddAttachment("/nowhere/gone.pdf");
    WireText out;
    EXPECT_THROW(msg.WriteBodyLines(out), EFileReadError);
    EXPECT_TRUE(out.text.ends_with("        filename=\"gone.pdf\"\r\n\r\n"));

    TMailMessage real;
    real.AddAttachment("/nowhere/gone.pdf");
    WireText realOut;
    try {
        real.WriteBodyLines(realOut);
        FAIL() << "no error for a missing file";
    } catch (const EFileReadError& e) {
        EXPECT_STREQ(e.what(), "Cannot open file \"/nowhere/gone.pdf\". No such file or directory");
    }
}

TEST(MailMessageTest, ACopyReadsAttachmentsAfterTheOriginalIsGone) {
    char path[] = "/tmp/qvcopyXXXXXX";
    int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "Hi", 2), 2);
    ::close(fd);

    alignas(TMailMessage) unsigned char storage[sizeof(TMailMessage)];
    auto* original = new (storage) TMailMessage;
    original->AddAttachment(path);
    TMailMessage copy = *original;
    original->~TMailMessage();
    std::memset(storage, 0, sizeof storage);

    WireText out;
    copy.WriteBodyLines(out);
    ::unlink(path);
    EXPECT_NE(out.text.find("\r\n\r\nSGk=\r\n\r\n"), std::string::npos);
}

TEST(MailMessageTest, OnlyHeaderLinesPast998CharactersAreFoldedAfterCommas) {
    TMailMessage msg;
    TStringList many;
    for (int i = 0; i < 120; ++i) {
        many.push_back("<official" + std::to_string(i) + "@house.example>");
    }
    std::string joined = TMailMessage::JoinAddressList(many);
    msg.SetHeader("To", joined);
    std::string exact(998 - 9, 's');
    msg.SetSubject(exact);
    WireText out;
    msg.WriteHeaderLines(out);

    std::string unfolded;
    std::istringstream lines(out.text);
    std::string line;
    int toLines = 0;
    while (std::getline(lines, line)) {
        ASSERT_TRUE(line.ends_with("\r"));
        line.pop_back();
        EXPECT_LE(line.size(), 998u);
        if (line.starts_with("To: ") || line.starts_with(" ")) {
            ++toLines;
            unfolded += line.starts_with(" ") ? line.substr(1) : line;
            EXPECT_TRUE(line.ends_with(",") || line.ends_with(">"));
        }
    }
    EXPECT_GT(toLines, 1);
    EXPECT_EQ(unfolded, "To: " + joined);
    EXPECT_NE(out.text.find("\r\nSubject: " + exact + "\r\n"), std::string::npos);
}

}  // namespace
}  // namespace qv

// qvtool fill-form on local pages that imitate the common layouts of
// officials' contact forms, served by Python's http.server on loopback.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <map>
#include <string>
#include <vector>

#include "support/http_test_servers.h"
#include "support/qvtool_process.h"

namespace {

using qvtest::HttpTestServer;

using qvtest::ToolRun;
using qvtest::WriteFile;

ToolRun FillForm(const QStringList& args,
                 const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    return qvtest::RunTool(QStringList{"fill-form"} + args, env);
}

using Fields = std::map<std::string, std::string>;

struct Printed {
    Fields fields;
    std::vector<std::string> unfilledRequired;
};

// The one JSON object on standard output.
Printed Parse(const std::string& out) {
    Printed printed;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << out;
    EXPECT_EQ(doc.object().keys(), (QStringList{"fields", "unfilled_required"})) << out;
    const QJsonObject fields = doc.object().value("fields").toObject();
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        printed.fields[it.key().toStdString()] = it.value().toString().toStdString();
    }
    for (const QJsonValue& name : doc.object().value("unfilled_required").toArray()) {
        printed.unfilledRequired.push_back(name.toString().toStdString());
    }
    return printed;
}

constexpr char kSettings[] =
    "[Mail]\n"
    "SMTP Server=mail.example.org\n"
    "ReplyTo=Jane Citizen <jane@example.org>\n"
    "[Contact]\n"
    "UseContact=0\n"
    "Name=Dr. Jane Q. Citizen\n"
    "Street1=100 Main Street\n"
    "Street2=Apt 4\n"
    "City=Richmond\n"
    "State=VA\n"
    "ZipCode=23219-1234\n"
    "UHomeP=804-555-0134\n";

class QvtoolFillFormTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    HttpTestServer server{qvtest::SourcePath("tests/webforms/pages")};
    QString settings = dir.filePath("quorvane.ini");
    QString body = dir.filePath("letter.txt");

    void SetUp() override {
        WriteFile(settings, kSettings);
        WriteFile(body, "Dear Senator,\r\nplease act.\r\n");
    }
    QString Url(const std::string& path) const { return QString::fromStdString(server.Url(path)); }
};

TEST_F(QvtoolFillFormTest, FillsTheCommonFormLayouts) {
    const std::string letter = "Dear Senator,\nplease act.\n";
    struct Row {
        const char* page;
        Fields fields;
        std::vector<std::string> unfilledRequired;
    };
    const Row rows[] = {
        {"/labels_for.html",
         {{"prefix", "Dr."}, {"first", "Jane"}, {"last", "Citizen"}, {"addr1", "100 Main Street"},
          {"addr2", "Apt 4"}, {"city", "Richmond"}, {"state", "Virginia"}, {"zip", "23219-1234"},
          {"email", "jane@example.org"}, {"topic", ""}, {"message", letter},
          {"captcha_answer", ""}, {"form_token", "x7k2"}, {"homepage", ""}},
         {"topic", "captcha_answer"}},
        {"/labels_around.html",
         {{"name", "Jane Q. Citizen"}, {"contact_mail", "jane@example.org"},
          {"street", "100 Main Street"}, {"town", "Norfolk"}, {"st", "VA"},
          {"postcode", "23219-1234"}, {"phone_number", "804-555-0134"},
          {"subject", "Clean water"}, {"comments", letter}, {"newsletter", ""}},
         {}},
        {"/placeholders.html",
         {{"q1", "Jane"}, {"q2", "Citizen"}, {"q3", "jane@example.org"}, {"q4", "100 Main Street"},
          {"q5", "Richmond"}, {"q6", "VA"}, {"q7", "23219"}, {"q8", "1234"}, {"q9", "804"},
          {"q10", "555"}, {"q11", "0134"}, {"q12", letter}},
         {}},
        {"/autocomplete.html",
         {{"x1", "Dr."}, {"x2", "Jane"}, {"x3", "Q"}, {"x4", "Citizen"}, {"x5", "100 Main Street"},
          {"x6", "Apt 4"}, {"x7", "Richmond"}, {"x8", "47"}, {"x9", "232191234"},
          {"x10", "8045550134"}, {"x11", "jane@example.org"}, {"x12", letter}},
         {}},
        {"/zip_step.html", {{"zip", "23219"}}, {}},
        {"/zip_form.html?zip=23219",
         {{"district", "VA-04"}, {"fname", "Jane"}, {"lname", "Citizen"},
          {"email", "jane@example.org"}, {"msg", letter}},
         {}},
    };
    for (const Row& row : rows) {
        const ToolRun run = FillForm({Url(row.page), "--settings", settings, "--subject",
                                      "Clean water", "--body-file", body});
        ASSERT_EQ(run.exitCode, 0) << row.page << "\n" << run.err;
        const Printed printed = Parse(run.out);
        EXPECT_EQ(printed.fields, row.fields) << row.page;
        EXPECT_EQ(printed.unfilledRequired, row.unfilledRequired) << row.page;
    }
}

TEST_F(QvtoolFillFormTest, ReadsTheProgramsOwnSettingsAndNeverWritesThem) {
    QDir(dir.path()).mkpath("config/quorvane");
    const QString own = dir.filePath("config/quorvane/quorvane.ini");
    WriteFile(own, "[Contact]\nName=Sam Voter\n");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));

    const ToolRun run = FillForm({Url("/zip_form.html")}, env);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Printed printed = Parse(run.out);
    EXPECT_EQ(printed.fields.at("fname"), "Sam");
    EXPECT_EQ(printed.fields.at("msg"), "");
    EXPECT_EQ(printed.unfilledRequired, (std::vector<std::string>{"email", "msg"}));
    QFile file(own);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "[Contact]\nName=Sam Voter\n");
}

TEST_F(QvtoolFillFormTest, SaysWhyItCouldNotFill) {
    struct Row {
        QStringList args;
        int exitCode;
        std::string message;
    };
    QDir(dir.path()).mkdir("folder");
    const Row rows[] = {
        {{Url("/missing.html"), "--settings", settings}, 1,
         "qvtool fill-form: cannot load " + server.Url("/missing.html") + ": HTTP status 404\n"},
        {{Url("/labels_for.html"), "--settings", dir.filePath("none.ini")}, 1,
         "qvtool fill-form: cannot read the settings file " + dir.filePath("none.ini").toStdString() + "\n"},
        {{Url("/labels_for.html"), "--settings", dir.filePath("folder")}, 1,
         "qvtool fill-form: cannot read the settings file " + dir.filePath("folder").toStdString() + "\n"},
        {{Url("/labels_for.html"), "--settings", settings, "--body-file", dir.filePath("none.txt")}, 1,
         "qvtool fill-form: cannot read " + dir.filePath("none.txt").toStdString() + "\n"},
        {{}, 2, "usage: qvtool fill-form URL [--settings FILE] [--subject TEXT] [--body-file FILE]\n"},
        {{Url("/a"), Url("/b")}, 2, "usage: "},
        {{Url("/a"), "--subject"}, 2, "usage: "},
    };
    for (const Row& row : rows) {
        const ToolRun run = FillForm(row.args);
        EXPECT_EQ(run.exitCode, row.exitCode) << row.args.join(' ').toStdString();
        EXPECT_EQ(run.out, "");
        // The engine may write its own notes first; the tool's message ends the output.
        EXPECT_NE(run.err.find(row.message), std::string::npos) << run.err;
    }
}

}  // namespace

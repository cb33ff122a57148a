// qvtool update against Python's http.server on loopback, as an
// administrator runs it on an installation folder.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <string>

#include "support/http_test_servers.h"
#include "support/update_site.h"

namespace {

using qvtest::HttpTestServer;
using qvtest::ToolRun;

class QvtoolUpdateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", Config.path().toUtf8());
        qunsetenv("http_proxy");
        qunsetenv("HTTP_PROXY");
    }
    ToolRun Update(const QStringList& args) {
        return qvtest::RunTool(
            QStringList{"update", "--dir", site.Program.path(), "--key", site.PublicFile()} + args);
    }
    std::string SettingsFile() const {
        return qvtest::ReadFile(Config.filePath("quorvane/quorvane.ini"));
    }

    QTemporaryDir Config;
    qvtest::UpdateSite site;
};

TEST_F(QvtoolUpdateTest, ChecksThenInstallsThenFindsNothingNewer) {
    site.PublishDates(site.Server, "5/1/2001\r\n9/20/1999\r\n8/29/1999\r\n6/1/1999\r\n1/1/2002");
    std::string misc = list_files::Misc;
    misc.replace(misc.find("unused"), 6, "changed");
    site.Publish(site.Server, "senate2.dat", qvtest::kNewSenate);
    site.Publish(site.Mirror, "misc2.dat", misc);
    HttpTestServer server(site.Server.path());
    HttpTestServer mirror(site.Mirror.path());
    const QStringList servers{"--server", QString::fromStdString(server.Url("/")), "--mirror",
                              QString::fromStdString(mirror.Url("/"))};
    const std::string memo =
        "Updates are available for the following lists: \nSenate List\nMisc. Leader List\n";

    ToolRun run = Update(servers);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, memo);
    EXPECT_EQ(site.ProgramFile("senate.dat"), list_files::Senate);
    EXPECT_EQ(SettingsFile(), "<missing>");

    run = Update(servers + QStringList{"--yes"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, memo +
                           "Installed senate.dat (Senate, 5/1/2001)\n"
                           "Installed misc.dat (Misc. Leaders, 1/1/2002)\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(site.ProgramFile("senate.dat"), qvtest::kNewSenate);
    EXPECT_EQ(site.ProgramFile("misc.dat"), misc);
    const std::string settings = SettingsFile();
    EXPECT_NE(settings.find("Senate=5/1/2001"), std::string::npos) << settings;
    EXPECT_NE(settings.find("Misc=1/1/2002"), std::string::npos) << settings;

    run = Update(servers + QStringList{"--yes"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "No updates are presently available.\n");
}

TEST_F(QvtoolUpdateTest, FailuresGoToStandardErrorAndExitNonZero) {
    HttpTestServer server(site.Server.path());
    const QStringList servers{"--server", QString::fromStdString(server.Url("/")), "--mirror",
                              QString::fromStdString(server.Url("/")), "--yes"};
    ToolRun run = Update(servers);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "Failed: 404 File not found\n");

    site.PublishDates(site.Server,
                      "5/1/2001\r\n9/20/1999\r\n8/29/1999\r\n6/1/1999\r\n7/17/2000\r\n");
    site.PublishBytes(site.Server, "senate2.dat", "this is text, not an archive");
    run = Update(servers);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "Updates are available for the following lists: \nSenate List\n");
    EXPECT_EQ(run.err, "Error decompressing file: Senate\n");
    EXPECT_EQ(site.ProgramFile("senate.dat"), list_files::Senate);
    EXPECT_EQ(SettingsFile(), "<missing>");

    EXPECT_EQ(Update({"--server", "http://127.0.0.1:1/"}).exitCode, 2);
}

TEST_F(QvtoolUpdateTest, HttpsServerIsTrustedThroughACaFile) {
    qvtest::TestCertificate certificate;
    site.PublishDates(site.Server, qvtest::kSameDates);
    HttpTestServer server(site.Server.path(), &certificate);
    const QString url = QString::fromStdString(server.Url("/"));
    // Without the option the check fails: list_updater_test's CertificateNotTrusted...
    const ToolRun run =
        Update({"--server", url, "--mirror", url, "--ca-file", certificate.CertFile()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "No updates are presently available.\n");
}

TEST(QvtoolKeygenTest, KeepsTheSecretPrivateAndNeverReplacesIt) {
    QTemporaryDir dir;
    const QString secret = dir.filePath("lists.secret");
    const QString pub = dir.filePath("lists.public");
    qvtest::Qvtool({"keygen", secret, pub});
    const std::string first = qvtest::ReadFile(secret);
    const QFileDevice::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                            QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    EXPECT_FALSE(QFile::permissions(secret) & others);
    EXPECT_TRUE(qv::ParseSecretKey(first));
    EXPECT_TRUE(qv::ParsePublicKey(qvtest::ReadFile(pub)));

    EXPECT_EQ(qvtest::RunTool({"keygen", secret, dir.filePath("second.public")}).exitCode, 1);
    EXPECT_EQ(qvtest::ReadFile(secret), first);

    // A public key is no secret key to sign with; nothing is written then.
    EXPECT_EQ(qvtest::RunTool({"pack", "--sign", pub, dir.filePath("a.dat"), pub}).exitCode, 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("a.dat")));
}

}  // namespace

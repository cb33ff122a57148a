// qvtool update against Python's http.server on loopback, as an
// administrator runs it on an installation folder.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <string>

#include "update/test_servers.h"
#include "update/update_site.h"

namespace {

using qvtest::HttpTestServer;

struct ToolRun {
    int exitCode;
    std::string out, err;
};

class QvtoolUpdateTest : public ::testing::Test {
  protected:
    ToolRun Update(const QStringList& args) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", Config.path());
        env.remove("http_proxy");
        env.remove("HTTP_PROXY");
        process.setProcessEnvironment(env);
        process.start(QVTOOL_PATH,
                      QStringList{"update", "--dir", site.Program.path()} + args);
        process.closeWriteChannel();
        process.waitForFinished(60000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString()};
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
    EXPECT_EQ(run.out, memo + "Installed senate.dat (Senate, 5/1/2001)\n"
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

    site.PublishDates(site.Server, "5/1/2001\r\n9/20/1999\r\n8/29/1999\r\n6/1/1999\r\n7/17/2000\r\n");
    qvtest::WriteFile(site.Server.filePath("senate2.dat"), "this is text, not an archive");
    run = Update(servers);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "Updates are available for the following lists: \nSenate List\n");
    EXPECT_EQ(run.err, "Error decompressing file: Senate\n");
    EXPECT_EQ(site.ProgramFile("senate.dat"), list_files::Senate);
    EXPECT_EQ(SettingsFile(), "<missing>");

    EXPECT_EQ(Update({"--server", "http://127.0.0.1:1/"}).exitCode, 2);
}

}  // namespace

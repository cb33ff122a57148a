// qvtool fetch against Python's http.server and tinyproxy on loopback.
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "support/http_test_servers.h"
#include "support/qvtool_process.h"

namespace {

using qvtest::HttpTestServer;
using qvtest::ReadFile;
using qvtest::TinyProxy;
using qvtest::ToolRun;
using qvtest::WriteFile;

ToolRun Qvtool(const QStringList& args) {
    return qvtest::RunTool(QStringList{"fetch"} + args);
}

QString Url(const HttpTestServer& server, const std::string& path) {
    return QString::fromStdString(server.Url(path));
}

class QvtoolFetchTest : public ::testing::Test {
  protected:
    QTemporaryDir root;
    QTemporaryDir out;
    void SetUp() override { WriteFile(root.filePath("hello.txt"), "hello there\n"); }
};

TEST_F(QvtoolFetchTest, WritesTheBodyAndReportsStatusAndSize) {
    HttpTestServer server(root.path());
    ToolRun run = Qvtool({Url(server, "/hello.txt")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "hello there\n");
    EXPECT_EQ(run.err, "200 OK\n12 bytes\n");

    QString target = out.filePath("hello.txt");
    WriteFile(target, "old");
    run = Qvtool({Url(server, "/hello.txt"), "-o", target});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadFile(target), "hello there\n");
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList{"hello.txt"});
}

TEST_F(QvtoolFetchTest, FailuresPrintTheExceptionAndKeepAnExistingFile) {
    HttpTestServer server(root.path());
    QString target = out.filePath("keep.dat");
    WriteFile(target, "precious");
    ToolRun run = Qvtool({Url(server, "/missing.dat"), "-o", target});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "EHttpException: 404 File not found\n");
    EXPECT_EQ(ReadFile(target), "precious");

    run = Qvtool({Url(server, "/too-long"), "-o", target});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "EHttpException: 4 HTTP line too long\n");
    EXPECT_EQ(ReadFile(target), "precious");
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList{"keep.dat"});

    // A folder where the file should go: the body cannot land, and says so.
    QDir(out.path()).mkdir("taken");
    run = Qvtool({Url(server, "/hello.txt"), "-o", out.filePath("taken")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("cannot write"), std::string::npos) << run.err;
    EXPECT_TRUE(QFileInfo(out.filePath("taken")).isDir());

    // The HTTP client's text for the socket error, not the SMTP client's.
    run = Qvtool({QString("http://127.0.0.1:%1/").arg(qvtest::FreeLoopbackPort())});
    EXPECT_EQ(run.err, "EHttpException: 404 Connection refused (Error #10061)\n");

    EXPECT_EQ(Qvtool({"--proxy"}).exitCode, 2);
}

TEST_F(QvtoolFetchTest, ThroughTinyproxyWithCredentials) {
    HttpTestServer server(root.path());
    TinyProxy proxy("alice", "secret");
    QString port = QString::number(proxy.Port());
    ToolRun run = Qvtool({Url(server, "/hello.txt"), "--proxy", "127.0.0.1", "--proxy-port", port,
                          "--proxy-user", "alice", "--proxy-password", "secret"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "hello there\n");

    run = Qvtool({Url(server, "/hello.txt"), "--proxy", "127.0.0.1:" + port});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.rfind("EHttpException: 407 ", 0), 0u) << run.err;
}

}  // namespace

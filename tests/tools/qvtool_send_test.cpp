// qvtool send against a real SMTP server (aiosmtpd on loopback).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/smtp_test_server.h"

extern char** environ;

namespace {

using qv::test::ReadFileBytes;
using qv::test::SmtpTestServer;

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

ToolRun RunSend(const std::vector<std::string>& sendArgs) {
    TTempFolder folder;
    std::string outPath = (folder.Path() / "out").string();
    std::string errPath = (folder.Path() / "err").string();
    std::vector<std::string> args = {QVTOOL_PATH, "send"};
    args.insert(args.end(), sendArgs.begin(), sendArgs.end());
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ToolRun run;
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = ReadFileBytes(outPath);
    run.err = ReadFileBytes(errPath);
    return run;
}

class QvtoolSendTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_GT(server.Port(), 0) << "the SMTP test server did not start"; }

    SmtpTestServer server{{"gone@house.example"}};
};

TEST_F(QvtoolSendTest, SplitsAtTheMaximumAndReportsEachTransaction) {
    ToolRun run =
        RunSend({"--server", server.Address(), "--from", "Jo <jo@home.example>", "--to",
                 "<a@house.example>;<b@house.example>;<c@house.example>", "--bcc",
                 "<d@house.example>; e@house.example", "--subject", "Roads", "--max", "2"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "sent 2 recipients\nsent 2 recipients\nsent 1 recipients\n");
    EXPECT_EQ(server.Lines(1, "rcpt"),
              (std::vector<std::string>{"rcpt a@house.example", "rcpt b@house.example"}));
    EXPECT_EQ(server.Lines(2, "rcpt"),
              (std::vector<std::string>{"rcpt d@house.example", "rcpt c@house.example"}));
    EXPECT_EQ(server.Lines(2, "header To:"),
              std::vector<std::string>{"header To: <c@house.example>"});
    EXPECT_EQ(server.Lines(3, "rcpt"), std::vector<std::string>{"rcpt e@house.example"});
    EXPECT_EQ(server.Lines(3, "header Reply-To:"),
              std::vector<std::string>{"header Reply-To: Jo <jo@home.example>"});

    run = RunSend({"--server", server.Address(), "--from", "jo@home.example", "--to",
                   "<a@house.example>;<b@house.example>", "--max", "0"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "sent 1 recipients\nsent 1 recipients\n");
}

TEST_F(QvtoolSendTest, HiddenSenderWithBodyFileAndAttachment) {
    TTempFolder files;
    std::string body = (files.Path() / "letter.txt").string();
    std::string attachment = (files.Path() / "petition.bin").string();
    std::ofstream(body, std::ios::binary) << "Dear Senator,\n.\nJo\n";
    std::string bytes("\0\x01\x02\xff binary\r\n", 12);
    std::ofstream(attachment, std::ios::binary) << bytes;

    ToolRun run =
        RunSend({"--server", server.Address(), "--from", "Jo <jo@home.example>", "--bcc",
                 "<a@senate.example>", "--body-file", body, "--attach", attachment, "--hide-from"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "sent 1 recipients\n");
    EXPECT_EQ(server.Lines(1, "mail_from"), std::vector<std::string>{"mail_from <>"});
    EXPECT_TRUE(server.Lines(1, "header From:").empty());
    EXPECT_TRUE(server.Lines(1, "header Reply-To:").empty());
    EXPECT_TRUE(server.Lines(1, "header To:").empty());
    EXPECT_EQ(server.Lines(1, "header Subject:"), std::vector<std::string>{"header Subject: None"});
    EXPECT_EQ(server.Part(1, 1),
              "email:          Jo <jo@home.example>\r\n\r\nDear Senator,\r\n.\r\nJo\r\n");
    EXPECT_EQ(server.Lines(1, "part application"),
              std::vector<std::string>{"part application/octet-stream petition.bin"});
    EXPECT_EQ(server.Part(1, 2), bytes);
}

TEST_F(QvtoolSendTest, FailuresPrintClassAndMessageAndExitOne) {
    ToolRun run = RunSend({"--server", server.Address(), "--from", "jo@home.example", "--to",
                           "<gone@house.example>"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "ENetResponseError: 550 5.1.1 <gone@house.example>: Recipient address rejected\n");

    run = RunSend({"--server", server.Address(), "--from", "jo@home.example", "--to",
                   "<a@house.example>", "--subject", "Hi\r\nBcc: everyone@house.example"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err,
              "ELineBreakInField: The Subject header contains a line break; the message was not "
              "sent.\n");

    run = RunSend({"--server", server.Address(), "--from", "jo@home.example", "--to", "nobody"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.starts_with("EInvalidRecipient: ")) << run.err;
    EXPECT_FALSE(server.Has(1));

    EXPECT_EQ(RunSend({"--from", "jo@home.example"}).exitCode, 2);
    EXPECT_EQ(RunSend({"--server", server.Address(), "--from", "a@b", "--body-file", "/nowhere"})
                  .exitCode,
              2);
    // A folder opens like a file and fails only when read.
    TTempFolder folder;
    run = RunSend({"--server", server.Address(), "--from", "a@b", "--to", "<a@house.example>",
                   "--body-file", folder.Path().string()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "qvtool send: cannot read body file \"" + folder.Path().string() + "\"\n");
    EXPECT_FALSE(server.Has(1));
}

// The new options reach the client; what the client does with them is
// covered by the mail tests.
TEST(QvtoolSendSecureTest, PortSecurityLoginAndTrustedCertificate) {
    TTempFolder files;
    qv::test::TestCertificate local(files.Path(), "localhost", "DNS:localhost,IP:127.0.0.1");
    ASSERT_TRUE(local.Made);
    std::string password = (files.Path() / "password").string();
    std::ofstream(password, std::ios::binary) << "secret\r\nsecond line\n";
    SmtpTestServer server({}, {"--starttls", "--cert", local.Cert, "--key", local.Key, "--auth",
                               "jo:secret"});
    ASSERT_GT(server.Port(), 0);
    const std::vector<std::string> message = {"--from", "jo@home.example", "--to",
                                              "<a@house.example>"};
    struct Row {
        std::vector<std::string> args;
        int exitCode;
        std::string err;
    };
    const Row rows[] = {
        {{"--server", "127.0.0.1", "--port", std::to_string(server.Port()), "--security", "2",
          "--user", "jo", "--password-file", password, "--ca-file", local.Cert},
         0, ""},
        {{"--server", "h", "--security", "4"}, 2, "qvtool send: bad security \"4\" (0 to 3)\n"},
        {{"--server", "h", "--port", "0"}, 2, "qvtool send: bad port \"0\" (1 to 65535)\n"},
        {{"--server", "h", "--password-file", "/nowhere/pw"}, 2,
         "qvtool send: cannot read password file \"/nowhere/pw\"\n"},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args = row.args;
        args.insert(args.end(), message.begin(), message.end());
        ToolRun run = RunSend(args);
        EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
        EXPECT_EQ(run.err, row.err);
    }
    ASSERT_TRUE(server.Has(1));
    EXPECT_EQ(server.Lines(1, "login"), std::vector<std::string>{"login jo"});
    EXPECT_FALSE(server.Has(2));
}

TEST(QvtoolSendUnreachableTest, BothConnectionAttemptsFailed) {
    int port = 0;
    {
        SmtpTestServer stopped;
        port = stopped.Port();
    }
    ToolRun run = RunSend({"--server", "127.0.0.1:" + std::to_string(port), "--from",
                           "jo@home.example", "--to", "<a@house.example>"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err,
              "Unable to connect to SMTP server.  Check your SMTP server setting in Quorvane and "
              "verify your Internet connection.\n"
              "ENetSocketError: Socket Error #10061\r\nConnection refused.\n");
}

}  // namespace

// Starts the loopback SMTP server of smtp_server.py for one test and stops it
// when destroyed; reads what it stored for each accepted message. Makes the
// certificates its TLS modes need with the openssl command.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace qv::test {

inline std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline std::string EnvOr(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : fallback;
}

// In a forked child: runs args[0] (looked up on PATH) with args; never
// returns.
[[noreturn]] inline void ExecChild(std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
}

// Runs program with args, its output discarded; true when it exits with 0.
inline bool RunQuietly(std::vector<std::string> args) {
    pid_t pid = ::fork();
    if (pid == 0) {
        int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ExecChild(args);
    }
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// A self-signed certificate and its key, made out to name and to the
// subjectAltName entries alt (such as "DNS:localhost,IP:127.0.0.1"), valid
// for a day. Trusting the certificate makes it its own authority.
struct TestCertificate {
    TestCertificate(const std::filesystem::path& folder, const std::string& name,
                    const std::string& alt)
        : Cert((folder / (name + ".crt")).string()), Key((folder / (name + ".key")).string()) {
        Made = RunQuietly({"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                           "ec_paramgen_curve:prime256v1", "-nodes", "-days", "1", "-subj",
                           "/CN=" + name, "-addext", "subjectAltName=" + alt, "-keyout", Key,
                           "-out", Cert});
    }
    std::string Cert;
    std::string Key;
    bool Made = false;
};

// The path of a script in tests/mail.
inline std::string TestScript(const std::string& name) {
    return EnvOr("QV_SOURCE_DIR", QV_TEST_SOURCE_DIR) + std::string("/tests/mail/") + name;
}

// Starts a server program (args) whose first line of output is the port it
// listens on; returns that port, or 0 when none came, and sets pid.
inline int StartServerProcess(std::vector<std::string> args, pid_t& pid) {
    int out[2];
    if (::pipe(out) != 0) {
        return 0;
    }
    pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        ExecChild(args);
    }
    ::close(out[1]);
    int port = 0;
    FILE* stream = ::fdopen(out[0], "r");
    if (stream != nullptr) {
        if (std::fscanf(stream, "%d", &port) != 1) {
            port = 0;
        }
        std::fclose(stream);
    }
    return port;
}

inline void StopServerProcess(pid_t pid) {
    if (pid > 0) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
}

class SmtpTestServer {
  public:
    // refused: recipients answered with 550; options: further arguments of
    // smtp_server.py, such as {"--starttls", "--cert", C, "--key", K}.
    explicit SmtpTestServer(const std::vector<std::string>& refused = {},
                            const std::vector<std::string>& options = {}) {
        std::vector<std::string> args = {EnvOr("QV_PYTHON", "/usr/bin/python3"),
                                         TestScript("smtp_server.py"), folder_.Path().string()};
        for (const std::string& address : refused) {
            args.push_back("--refuse");
            args.push_back(address);
        }
        args.insert(args.end(), options.begin(), options.end());
        port_ = StartServerProcess(args, pid_);
    }

    ~SmtpTestServer() { StopServerProcess(pid_); }

    SmtpTestServer(const SmtpTestServer&) = delete;
    SmtpTestServer& operator=(const SmtpTestServer&) = delete;

    int Port() const { return port_; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

    // The parsed form of accepted message n (from 1), or "" before it arrived.
    std::string Summary(int n) const { return ReadFileBytes(File(std::to_string(n) + ".txt")); }
    std::string Raw(int n) const { return ReadFileBytes(File(std::to_string(n) + ".eml")); }
    std::string Part(int n, int k) const {
        return ReadFileBytes(File(std::to_string(n) + ".part." + std::to_string(k)));
    }
    bool Has(int n) const { return std::filesystem::exists(File(std::to_string(n) + ".txt")); }

    // Every byte the clients sent, decrypted, once the server has seen
    // sessions connections end (it reads on its own time); and one line per
    // login attempt, "MECHANISM USER ok|refused".
    std::string Wire(int sessions = 1) const {
        for (int wait = 0; wait < 100; ++wait) {
            std::string closed = ReadFileBytes(File("wire.log.closed"));
            if (std::count(closed.begin(), closed.end(), '\n') >= sessions) {
                break;
            }
            ::usleep(50 * 1000);
        }
        return ReadFileBytes(File("wire.log"));
    }
    std::string Logins() const { return ReadFileBytes(File("auth.log")); }

    // The lines of message n's summary that start with prefix.
    std::vector<std::string> Lines(int n, const std::string& prefix) const {
        std::vector<std::string> found;
        std::string summary = Summary(n);
        std::size_t start = 0;
        while (start < summary.size()) {
            std::size_t end = summary.find('\n', start);
            std::string line = summary.substr(start, end - start);
            if (line.starts_with(prefix)) {
                found.push_back(line);
            }
            start = end == std::string::npos ? summary.size() : end + 1;
        }
        return found;
    }

  private:
    std::filesystem::path File(const std::string& name) const { return folder_.Path() / name; }

    TTempFolder folder_;
    pid_t pid_ = -1;
    int port_ = 0;
};

// faulty_smtp_server.py in one of its modes ("drop-after-greeting",
// "drop-in-data", "drop-after-refusal", "stop-reading", "slow").
class FaultySmtpServer {
  public:
    explicit FaultySmtpServer(const std::string& mode) {
        port_ = StartServerProcess(
            {EnvOr("QV_PYTHON", "/usr/bin/python3"), TestScript("faulty_smtp_server.py"), mode},
            pid_);
    }
    ~FaultySmtpServer() { StopServerProcess(pid_); }
    FaultySmtpServer(const FaultySmtpServer&) = delete;
    FaultySmtpServer& operator=(const FaultySmtpServer&) = delete;

    int Port() const { return port_; }

  private:
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace qv::test

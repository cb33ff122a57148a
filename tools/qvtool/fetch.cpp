// qvtool fetch: one GET with the program's HTTP client.
#include <unistd.h>
#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <string>

#include "arguments.h"
#include "commands.h"
#include "base/pending_file.h"
#include "update/http_client.h"

namespace qvtool {

namespace {

struct FetchOptions {
    std::string url, proxy, proxyPort, proxyUser, proxyPassword, output;
};

std::optional<FetchOptions> ParseFetchArgs(const Args& args) {
    FetchOptions options;
    std::optional<std::string> url = ParseOperandAndOptions(
        args, {{"--proxy", &options.proxy},
               {"--proxy-port", &options.proxyPort},
               {"--proxy-user", &options.proxyUser},
               {"--proxy-password", &options.proxyPassword},
               {"-o", &options.output}});
    if (!url) {
        return std::nullopt;
    }
    options.url = *url;
    return options;
}

// Commits the pending output file; false when it could not be completed.
bool CommitOutput(qv::TPendingFile& file) {
    try {
        file.Commit();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Progress on standard error, redrawn at most ten times a second.
class Progress {
  public:
    void Show(const qv::THttpClient& client, bool last) {
        auto now = std::chrono::steady_clock::now();
        if (!last && now - shown_ < std::chrono::milliseconds(100)) {
            return;
        }
        shown_ = now;
        if (client.ContentSize() > 0) {
            std::fprintf(stderr, "\r%3lld%%  %lld of %lld bytes",
                         client.ReceivedBytes() * 100 / client.ContentSize(),
                         client.ReceivedBytes(), client.ContentSize());
        } else {
            std::fprintf(stderr, "\r%lld bytes", client.ReceivedBytes());
        }
        if (last) {
            std::fputs("\n", stderr);
        }
    }

  private:
    std::chrono::steady_clock::time_point shown_{};
};

}  // namespace

int RunFetch(const Args& args) {
    std::optional<FetchOptions> options = ParseFetchArgs(args);
    if (!options) {
        std::fputs(
            "usage: qvtool fetch URL [--proxy HOST[:PORT]] [--proxy-port PORT] "
            "[--proxy-user NAME --proxy-password PASSWORD] [-o FILE]\n",
            stderr);
        return 2;
    }

    int argc = 1;
    char name[] = "qvtool";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    qv::THttpClient client;
    client.URL = options->url;
    client.Proxy = options->proxy;
    if (!options->proxyPort.empty()) {
        client.ProxyPort = options->proxyPort;
    }
    client.ProxyUsername = options->proxyUser;
    client.ProxyPassword = options->proxyPassword;

    // With -o the body goes to a file beside FILE, which replaces FILE only
    // when the whole document has arrived.
    std::optional<qv::TPendingFile> file;
    if (!options->output.empty()) {
        try {
            file.emplace(options->output);
        } catch (const std::exception&) {
            std::fprintf(stderr, "qvtool fetch: cannot write %s\n", options->output.c_str());
            return 1;
        }
    }
    client.ResponseStream = file ? &file->Stream() : &std::cout;

    const bool progress = isatty(STDERR_FILENO) != 0;
    Progress meter;
    if (progress) {
        client.OnDocData = [&meter](qv::THttpClient& sender, const char*, std::size_t) {
            meter.Show(sender, false);
        };
    }
    try {
        client.Fetch();
    } catch (const qv::EHttpException& e) {
        if (progress && client.ReceivedBytes() > 0) {
            std::fputs("\n", stderr);
        }
        std::fprintf(stderr, "EHttpException: %d %s\n", e.ErrorCode(), e.what());
        return 1;
    }
    if (progress) {
        meter.Show(client, true);
    }
    std::cout.flush();
    if (file ? !CommitOutput(*file) : !std::cout) {
        std::fprintf(stderr, "qvtool fetch: cannot write %s\n",
                     options->output.empty() ? "standard output" : options->output.c_str());
        return 1;
    }
    std::fprintf(stderr, "%d %s\n%lld bytes\n", client.ResponseStatus(),
                 client.ResponseReason().c_str(), client.ReceivedBytes());
    return 0;
}

}  // namespace qvtool

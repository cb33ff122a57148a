// Fetches one large document from a local Python http.server with THttpClient
// and with curl, in alternating rounds of the same run, and prints each one's
// median throughput and their ratio.
#include <sys/resource.h>
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "support/http_test_servers.h"
#include "update/http_client.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double FetchWithClient(const std::string& url, long long expected) {
    std::ofstream sink("/dev/null", std::ios::binary);
    qv::THttpClient client;
    client.URL = url;
    client.ResponseStream = &sink;
    auto start = Clock::now();
    client.Fetch();
    double seconds = Seconds(start);
    if (client.ReceivedBytes() != expected) {
        std::fprintf(stderr, "client received %lld of %lld bytes\n", client.ReceivedBytes(),
                     expected);
        std::exit(1);
    }
    return seconds;
}

double FetchWithCurl(const std::string& url) {
    QProcess curl;
    auto start = Clock::now();
    curl.start("curl", {"--silent", "--fail", "--http1.0", "--output", "/dev/null",
                        QString::fromStdString(url)});
    curl.waitForFinished(-1);
    double seconds = Seconds(start);
    if (curl.exitCode() != 0) {
        std::fprintf(stderr, "curl failed with exit code %d\n", curl.exitCode());
        std::exit(1);
    }
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const long long megabytes = argc > 1 ? std::atoll(argv[1]) : 200;
    const long long size = megabytes * 1024 * 1024;
    const int rounds = 5;

    QTemporaryDir root;
    {
        std::ofstream out(root.filePath("big.dat").toStdString(), std::ios::binary);
        std::string block(1 << 20, '\0');
        for (std::size_t i = 0; i < block.size(); ++i) {
            block[i] = static_cast<char>(i * 131 % 251);
        }
        for (long long i = 0; i < megabytes; ++i) {
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
        }
    }
    qvtest::HttpTestServer server(root.path());
    const std::string url = server.Url("/big.dat");

    std::vector<double> client, curl;
    for (int i = 0; i < rounds; ++i) {
        client.push_back(FetchWithClient(url, size));
        curl.push_back(FetchWithCurl(url));
    }
    double clientSeconds = Median(client);
    double curlSeconds = Median(curl);
    std::printf("document      %lld MB from 127.0.0.1, %d rounds each, medians\n", megabytes,
                rounds);
    std::printf("THttpClient   %.3f s  %.0f MB/s\n", clientSeconds, megabytes / clientSeconds);
    std::printf("curl          %.3f s  %.0f MB/s\n", curlSeconds, megabytes / curlSeconds);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory   %ld MB (this process, with the client's fetches)\n",
                usage.ru_maxrss / 1024);
    std::printf("time ratio    %.2f (THttpClient / curl)\n", clientSeconds / curlSeconds);
    return 0;
}

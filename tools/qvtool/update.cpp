// qvtool update: the list update procedure without a window, for
// administrators who keep shared installations current.
#include <QCoreApplication>
#include <QEventLoop>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "commands.h"
#include "settings/settings.h"
#include "settings/short_date.h"
#include "update/list_updater.h"

namespace qvtool {

namespace {

constexpr const char* kUsage =
    "usage: qvtool update --dir DIR --server BASEURL --mirror BASEURL [--yes] "
    "[--key PUBLICFILE]... [--ca-file PEMFILE]...\n";

struct UpdateOptions {
    std::string dir, server, mirror;
    std::vector<std::string> keyFiles;  // trusted besides the built-in keys
    std::vector<std::string> caFiles;   // certificate authorities besides the system's
    bool yes = false;
};

std::optional<UpdateOptions> ParseUpdateArgs(const Args& args) {
    UpdateOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string* target = arg == "--dir"      ? &options.dir
                              : arg == "--server" ? &options.server
                              : arg == "--mirror" ? &options.mirror
                                                  : nullptr;
        if (target != nullptr) {
            if (++i == args.size() || args[i].empty()) {
                return std::nullopt;
            }
            *target = args[i];
        } else if (arg == "--yes") {
            options.yes = true;
        } else if (arg == "--key" && i + 1 < args.size()) {
            options.keyFiles.push_back(args[++i]);
        } else if (arg == "--ca-file" && i + 1 < args.size()) {
            options.caFiles.push_back(args[++i]);
        } else {
            return std::nullopt;
        }
    }
    if (options.dir.empty() || options.server.empty() || options.mirror.empty()) {
        return std::nullopt;
    }
    return options;
}

// A list directory is named by an address ending in "/"; take a missing one
// as meant.
std::string DirectoryUrl(std::string url) {
    if (url.back() != '/') {
        url += '/';
    }
    return url;
}

// The built-in keys and those of the --key files; false when a file holds
// no public key.
bool TrustedKeys(const std::vector<std::string>& files, std::vector<qv::TPublicKey>& keys) {
    keys = qv::TrustedListKeys();
    for (const std::string& file : files) {
        std::ifstream in(file);
        std::ostringstream text;
        text << in.rdbuf();
        const std::optional<qv::TPublicKey> key = qv::ParsePublicKey(text.str());
        if (!key) {
            std::fprintf(stderr, "qvtool update: %s holds no public key\n", file.c_str());
            return false;
        }
        keys.push_back(*key);
    }
    return true;
}

// The program's own settings: its file when there is one, else the defaults.
// Nothing is written unless a run completes.
void LoadProgramSettings() {
    SetDefaultSettings();
    std::error_code ec;
    if (std::filesystem::exists(SettingsFilePath(), ec)) {
        LoadSettings();
    }
}

}  // namespace

int RunUpdate(const Args& args) {
    std::optional<UpdateOptions> options = ParseUpdateArgs(args);
    if (!options) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string dir = options->dir;
    if (dir.back() != '/') {
        dir += '/';
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) {
        std::fprintf(stderr, "qvtool update: %s is not a folder\n", options->dir.c_str());
        return 2;
    }

    int argc = 1;
    char name[] = "qvtool";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    try {
        LoadProgramSettings();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }

    qv::TUpdateServers servers{
        {DirectoryUrl(options->server), DirectoryUrl(options->mirror)}, {}, {}};
    if (!TrustedKeys(options->keyFiles, servers.TrustedKeys)) {
        return 1;
    }
    try {
        servers.Tls.ExtraCaCertificates = qv::ReadCertificates(options->caFiles);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qvtool update: %s\n", e.what());
        return 1;
    }
    qv::TListUpdater updater(dir, servers);
    QEventLoop loop;
    std::optional<qv::TCheckOutcome> checked;
    std::optional<qv::TRunOutcome> ran;
    updater.OnWarning = [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); };
    updater.OnCheckDone = [&](qv::TCheckOutcome outcome) {
        checked = outcome;
        loop.quit();
    };
    updater.OnRunDone = [&](qv::TRunOutcome outcome) {
        ran = outcome;
        loop.quit();
    };
    updater.OnListInstalled = [](qv::TUpdateList list, bool dated) {
        const qv::TUpdateListInfo& info = qv::UpdateListInfo(list);
        if (dated) {
            std::printf("Installed %s (%s, %s)\n", info.LocalFile, info.Title,
                        FormatShortDate(Settings.*info.FileDate).c_str());
        } else {
            std::printf("Installed %s (%s, which did not load; its date stays)\n", info.LocalFile,
                        info.Title);
        }
        std::fflush(stdout);
    };

    updater.StartCheck();
    if (!checked) {
        loop.exec();
    }
    if (*checked == qv::TCheckOutcome::Failed) {
        std::fprintf(stderr, "%s\n", updater.Status().c_str());
        return 1;
    }
    if (*checked == qv::TCheckOutcome::Empty) {
        std::fputs("Failed: the dates file is empty\n", stderr);
        return 1;
    }
    if (!updater.AnyUpdate()) {
        std::printf("%s\n", qv::kNoUpdatesText);
        return 0;
    }
    for (const std::string& line : updater.MemoLines()) {
        std::printf("%s\n", line.c_str());
    }
    std::fflush(stdout);
    if (!options->yes) {
        return 0;
    }

    updater.StartDownload();
    if (!ran) {
        loop.exec();
    }
    return *ran == qv::TRunOutcome::Completed ? 0 : 1;
}

}  // namespace qvtool

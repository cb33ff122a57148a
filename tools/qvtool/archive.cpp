#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/pending_file.h"
#include "commands.h"
#include "compress/archive_errors.h"
#include "compress/archive_writer.h"
#include "compress/archiver.h"
#include "update/list_signature.h"

namespace qvtool {

namespace {

namespace fs = std::filesystem;
using namespace qv::compress;

int Fail(const char* className, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", className, message.c_str());
    return 1;
}

std::optional<TMethod> MethodFromName(const std::string& name) {
    const std::optional<TMethod> method = FindMethodID(name);
    if (method == TMethod::Custom) {
        return std::nullopt;
    }
    return method;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open() || fs::is_directory(path)) {
        throw EFOpenError(path, "cannot read it");
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The file's modification time as a DOS stamp, and read-only when nobody
// may write it.
void FileStamp(const std::string& path, std::uint32_t& dosTime, std::int16_t& attributes) {
    std::error_code ec;
    const auto written = fs::last_write_time(path, ec);
    dosTime = ec ? 0
                 : TimeToDosTime(std::chrono::system_clock::to_time_t(
                       std::chrono::file_clock::to_sys(written)));
    const fs::perms perms = fs::status(path, ec).permissions();
    const fs::perms anyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    attributes = !ec && (perms & anyWrite) == fs::perms::none ? kAttributeReadOnly : 0;
}

// Writes the archive, and with a key its signature ARCHIVE.sig, each beside
// its place, and moves them there once both are complete, so a failed write
// leaves no partial archive and any old one untouched.
void WriteArchive(const TArchiveWriter& writer, const std::string& archive,
                  const std::optional<qv::TSecretKey>& key) {
    std::ostringstream bytes;
    writer.Write(bytes);
    const std::string content = bytes.str();
    std::string target = archive;
    try {
        qv::TPendingFile out(archive);
        out.Stream() << content;
        std::optional<qv::TPendingFile> signature;
        if (key) {
            const qv::TSignature sig =
                qv::SignArchive(fs::path(archive).filename().string(), content, *key);
            target = archive + qv::kSignatureSuffix;
            signature.emplace(target);
            signature->Stream().write(reinterpret_cast<const char*>(sig.data()), sig.size());
            signature->Close();
        }
        target = archive;
        out.Commit();
        if (signature) {
            target = archive + qv::kSignatureSuffix;
            signature->Commit();
        }
    } catch (const qv::EPendingFileError& e) {
        RaiseOutputFileError(e, target);
    }
}

std::optional<qv::TSecretKey> ReadSecretKey(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    return qv::ParseSecretKey(std::string(bytes.begin(), bytes.end()));
}

}  // namespace

// expand ARCHIVE NAME TARGETDIR, with the options the list updater uses.
int RunExpand(const Args& args) {
    if (args.size() != 3) {
        std::fputs("usage: qvtool expand ARCHIVE NAME TARGETDIR\n", stderr);
        return 2;
    }
    try {
        TArchiver archiver;
        archiver.SetTargetPath(args[2]);
        archiver.SetMakeDirectories(true);
        archiver.SetExceptionOnFileError(true);
        archiver.SetCheckSpaceBeforeExpand(true);
        archiver.SetKey(0);
        std::string name = args[1];
        archiver.ExpandNamedFile(name, args[0]);
        if (!name.empty()) {
            std::printf("%s\n", name.c_str());
        }
        return 0;
    } catch (const EArchiveError& e) {
        return Fail(e.ClassName(), e.what());
    } catch (const std::exception& e) {
        return Fail("Exception", e.what());
    }
}

// pack [--method NON|RLE|LZH|LH5] [--sign SECRETFILE] ARCHIVE FILE...
int RunPack(const Args& args) {
    TMethod method = TMethod::Lh5;
    std::string secretFile;
    std::size_t first = 0;
    while (first + 1 < args.size() && (args[first] == "--method" || args[first] == "--sign")) {
        if (args[first] == "--sign") {
            secretFile = args[first + 1];
        } else if (const std::optional<TMethod> chosen = MethodFromName(args[first + 1])) {
            method = *chosen;
        } else {
            std::fprintf(stderr, "qvtool pack: unknown method %s\n", args[first + 1].c_str());
            return 2;
        }
        first += 2;
    }
    if (args.size() < first + 2) {
        std::fputs(
            "usage: qvtool pack [--method NON|RLE|LZH|LH5] [--sign SECRETFILE] ARCHIVE FILE...\n",
            stderr);
        return 2;
    }
    try {
        std::optional<qv::TSecretKey> key;
        if (!secretFile.empty() && !(key = ReadSecretKey(secretFile))) {
            std::fprintf(stderr, "qvtool pack: %s holds no secret key\n", secretFile.c_str());
            return 1;
        }
        TArchiveWriter writer(std::string(MethodID(method)));
        for (std::size_t i = first + 1; i < args.size(); ++i) {
            std::uint32_t dosTime = 0;
            std::int16_t attributes = 0;
            FileStamp(args[i], dosTime, attributes);
            writer.AddData(fs::path(args[i]).filename().string(), ReadWholeFile(args[i]), method,
                           dosTime, attributes);
        }
        WriteArchive(writer, args[first], key);
        return 0;
    } catch (const EArchiveError& e) {
        return Fail(e.ClassName(), e.what());
    } catch (const std::exception& e) {
        return Fail("Exception", e.what());
    }
}

}  // namespace qvtool

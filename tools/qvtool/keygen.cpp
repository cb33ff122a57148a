// qvtool keygen: a key pair for signing list archives.
#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "base/pending_file.h"
#include "commands.h"
#include "update/list_signature.h"

namespace qvtool {

namespace {

// Creates `path` for its owner alone and writes `text`; an existing file is
// never replaced, so a secret key cannot be lost by running keygen twice.
bool WriteNewPrivateFile(const std::string& path, const std::string& text, std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (!written) {
        error = std::strerror(errno);
    }
    written = ::fsync(fd) == 0 && written;
    ::close(fd);
    if (!written) {
        ::unlink(path.c_str());
    }
    return written;
}

}  // namespace

// keygen SECRETFILE PUBLICFILE
int RunKeygen(const Args& args) {
    if (args.size() != 2 || args[0] == args[1]) {
        std::fputs("usage: qvtool keygen SECRETFILE PUBLICFILE\n", stderr);
        return 2;
    }
    try {
        const qv::TKeyPair pair = qv::GenerateKeyPair();
        std::string error;
        if (!WriteNewPrivateFile(args[0], qv::KeyText(pair.Secret) + "\n", error)) {
            std::fprintf(stderr, "qvtool keygen: cannot create %s: %s\n", args[0].c_str(),
                         error.c_str());
            return 1;
        }
        try {
            qv::TPendingFile out(args[1]);
            out.Stream() << qv::KeyText(pair.Public) << "\n";
            out.Commit();
        } catch (const std::exception& e) {
            ::unlink(args[0].c_str());
            std::fprintf(stderr, "qvtool keygen: %s\n", e.what());
            return 1;
        }
        std::printf("%s\n", qv::KeyText(pair.Public).c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qvtool keygen: %s\n", e.what());
        return 1;
    }
}

}  // namespace qvtool

// What the fuzz targets share: a check that turns a broken promise of the
// code under test into a finding, a scratch folder for readers that take a
// path, and a way to take an input apart into several values.
#pragma once

#include <stdlib.h>
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

// Ends the process, which the driver records as a finding, when `condition`
// is false. For the promises a header makes about any input.
#define QV_FUZZ_CHECK(condition)                                                               \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

namespace qv::fuzz {

// A folder of the process's own, in memory (/dev/shm) where the system has
// one so that files written for every input cost no disk traffic. libFuzzer
// gives a target no place to keep it, hence one per process for its whole
// life; it is removed at a normal exit.
class TScratchFolder {
  public:
    static const TScratchFolder& Get() {
        static const TScratchFolder folder;
        return folder;
    }

    const std::filesystem::path& Path() const { return path_; }

    // Writes `bytes` as the file `name` in the folder; returns its path.
    std::string Write(const std::string& name, std::string_view bytes) const {
        const std::string file = (path_ / name).string();
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        QV_FUZZ_CHECK(out.good());
        return file;
    }

  private:
    TScratchFolder() {
        std::error_code ec;
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0
                ? std::filesystem::path("/dev/shm")
                : std::filesystem::temp_directory_path();
        std::string pattern = (base / "qv-fuzz-XXXXXX").string();
        QV_FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
        path_ = pattern;
    }
    ~TScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }

    std::filesystem::path path_;
};

// Takes an input apart from the front: small numbers for choices, then
// pieces of text. Past the end every read gives 0 or "".
class TInputReader {
  public:
    TInputReader(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t Byte() {
        if (rest_.empty()) {
            return 0;
        }
        const auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }

    // Text up to the next `separator` (which is consumed), or all that is left.
    std::string_view Piece(char separator) {
        const std::size_t end = rest_.find(separator);
        const std::string_view piece = rest_.substr(0, end);
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        return piece;
    }

    std::string_view Rest() const { return rest_; }

  private:
    std::string_view rest_;
};

}  // namespace qv::fuzz

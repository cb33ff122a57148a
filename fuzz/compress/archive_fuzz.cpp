// Fuzz target for the archive expander and its decoders.
//
// LLVMFuzzerTestOneInput takes any bytes as an archive and expands every
// entry into a scratch folder, then runs the run-length, LZH and LH5
// decoders over the same bytes as raw stored data. Anything but one of the
// expander's own exceptions, and any sanitizer report, is a finding.
//
// Built with g++ and AddressSanitizer/UBSan, the program carries its own
// driver: seed archives of every method, mutated by a fixed-seed generator
// for a bounded time. Built with clang and -fsanitize=fuzzer and
// QV_LIBFUZZER defined, libFuzzer supplies the driver instead.
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "compress/archive_errors.h"
#include "compress/archive_writer.h"
#include "compress/archiver.h"
#include "compress/basic_methods.h"
#include "compress/codec_state.h"

namespace {

namespace fs = std::filesystem;
using namespace qv::compress;

// Entries larger than this are refused as "no disk space", which bounds the
// output of a damaged header that claims a huge expanded size.
class TScratchSpace : public TFreeSpaceQuery {
  public:
    std::int64_t DiskFreeBytes(const std::string&) const override { return 1 << 20; }
};

// The scratch folder lives as long as the process; libFuzzer gives the
// target no other place to keep it.
const fs::path& ScratchFolder() {
    static const fs::path folder = [] {
        fs::path p = fs::temp_directory_path() / ("qv-archive-fuzz-" + std::to_string(getpid()));
        fs::create_directories(p);
        return p;
    }();
    return folder;
}

void ExpandArchive(const std::string& bytes) {
    TArchiver archiver(std::make_shared<TScratchSpace>());
    archiver.SetTargetPath(ScratchFolder().string());
    archiver.SetMakeDirectories(true);
    archiver.SetCheckSpaceBeforeExpand(true);
    archiver.SetExceptionOnFileError(!bytes.empty() && (bytes.back() & 1) != 0);
    std::istringstream in(bytes);
    try {
        archiver.ExpandArchiveStream(in, nullptr);
    } catch (const EArchiveError&) {
    }
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(ScratchFolder(), ec)) {
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(entry.path(), ec);
    }
}

void DecodeRaw(const std::string& bytes) {
    // Enough output to run past the input, little enough to stay fast.
    const auto count =
        static_cast<std::int32_t>(std::min<std::size_t>(8 * bytes.size() + 64, 8192));
    for (std::uint8_t method : {1, 2, 4}) {  // run-length, LZH, LH5
        std::istringstream in(bytes);
        std::ostringstream out;
        TCodecState state;
        state.BeginEntry(in, out, static_cast<std::int32_t>(bytes.size()), 0, false, nullptr);
        try {
            DecodeMethod(state, method, count);
            state.FlushOutput();
        } catch (const ELZHBadDecodeTable&) {
        }
        state.EndEntry();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ExpandArchive(bytes);
    DecodeRaw(bytes);
    return 0;
}

#ifndef QV_LIBFUZZER

namespace {

std::vector<std::string> Seeds() {
    std::vector<std::string> seeds;
    const std::string text =
        "Senator\tJane Doe\tD\tNY\tjane@senate.example\nHouse\tJohn Roe\tR\tTX\t\n"
        "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\x94\x94\x94 world leaders world parliaments\n";
    for (TMethod method : {TMethod::Stored, TMethod::RunLength, TMethod::Lzh, TMethod::Lh5}) {
        for (std::int32_t key : {0, 77}) {
            TArchiveWriter writer(std::string(MethodID(method)), key);
            writer.AddData(
                "temp2.dat",
                std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), method,
                0x52A46000, 1);
            writer.AddData("sub\\x.dat",
                           std::span(reinterpret_cast<const std::uint8_t*>(text.data()), 40),
                           method);
            const std::vector<std::uint8_t> b = writer.Bytes();
            seeds.emplace_back(b.begin(), b.end());
        }
    }
    return seeds;
}

std::string Mutate(std::string input, const std::vector<std::string>& corpus, std::mt19937& rng) {
    auto pick = [&](std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(rng() % n); };
    const int rounds = 1 + static_cast<int>(rng() % 6);
    for (int r = 0; r < rounds; ++r) {
        switch (rng() % 7) {
            case 0:
                if (!input.empty()) {
                    input[pick(input.size())] ^= static_cast<char>(1u << (rng() % 8));
                }
                break;
            case 1:
                if (!input.empty()) {
                    static constexpr char kInteresting[] = {0,      1,      2,      3,    4,   0x7F,
                                                            '\x80', '\xFF', '\x94', '\\', '.', '/'};
                    input[pick(input.size())] = kInteresting[rng() % sizeof(kInteresting)];
                }
                break;
            case 2:
                input.insert(pick(input.size() + 1), 1, static_cast<char>(rng()));
                break;
            case 3:
                if (!input.empty()) {
                    const std::size_t at = pick(input.size());
                    input.erase(at, 1 + pick(16));
                }
                break;
            case 4:
                if (!input.empty()) {
                    input.resize(pick(input.size()));
                }
                break;
            case 5: {
                const std::string& other = corpus[pick(corpus.size())];
                const std::size_t from = pick(other.size());
                input.insert(pick(input.size() + 1), other.substr(from, 1 + pick(64)));
                break;
            }
            default:
                if (input.size() > 4) {
                    const std::size_t at = pick(input.size() - 3);
                    const std::uint32_t v = rng();
                    for (int i = 0; i < 4; ++i) {
                        input[at + i] = static_cast<char>(v >> (8 * i));
                    }
                }
                break;
        }
    }
    return input;
}

}  // namespace

// archive_fuzz [--seconds N] [--seed S]
int main(int argc, char* argv[]) {
    double seconds = 30;
    std::uint32_t seed = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--seconds") {
            seconds = std::atof(argv[i + 1]);
        } else if (option == "--seed") {
            seed = static_cast<std::uint32_t>(std::strtoul(argv[i + 1], nullptr, 10));
        }
    }
    std::mt19937 rng(seed);
    std::vector<std::string> corpus = Seeds();
    const std::size_t seedCount = corpus.size();
    const auto start = std::chrono::steady_clock::now();
    const auto limit = std::chrono::duration<double>(seconds);
    long runs = 0;
    for (const std::string& s : corpus) {
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
        ++runs;
    }
    while (std::chrono::steady_clock::now() - start < limit) {
        const std::string input = Mutate(corpus[rng() % corpus.size()], corpus, rng);
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
        ++runs;
        // Keep a few mutants so that damage can pile up over generations,
        // replacing older ones once the pool is full.
        if (rng() % 50 == 0) {
            if (corpus.size() < seedCount + 200) {
                corpus.push_back(input);
            } else {
                corpus[seedCount + rng() % 200] = input;
            }
        }
    }
    std::error_code ec;
    fs::remove_all(ScratchFolder(), ec);
    std::printf("archive_fuzz: %ld inputs in %.0f s, seed %u, no findings\n", runs, seconds, seed);
    return 0;
}

#endif

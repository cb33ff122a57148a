// The driver of the fuzz targets where libFuzzer is not at hand (a build with
// g++): it runs every seed input once, then mutations of them, chosen by a
// generator with a fixed seed, until the time is up.
//
//   TARGET [--seconds N] [--seed S] [--findings DIR] SEEDS...
//
// SEEDS are folders of seed inputs (or single files). Seed 0 takes one from
// the clock. An input that makes the target fail (a sanitizer report, an
// uncaught exception, 10 s on one input) is written to DIR as
// crash-<hash> or timeout-<hash> before the process ends, so that the run can
// be repeated on it alone: TARGET --seconds 0 DIR/crash-<hash>.
//
// Without coverage feedback the mutations are blind; the generator keeps a
// pool of mutants so that damage can pile up over generations.
#include <fcntl.h>
#include <sanitizer/common_interface_defs.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

constexpr unsigned kSecondsPerInput = 10;

// What the failure handlers need: the input being run and where to put it.
// Set before each run; read from signal context, so plain data only.
struct TCurrentInput {
    const char* Data = nullptr;
    std::size_t Size = 0;
    char FindingsFolder[4096] = {};
} current;

// FNV-1a, to name a finding after its content.
std::uint64_t Hash(const char* data, std::size_t size) {
    std::uint64_t h = 14695981039346656037ull;
    for (std::size_t i = 0; i < size; ++i) {
        h = (h ^ static_cast<unsigned char>(data[i])) * 1099511628211ull;
    }
    return h;
}

// Writes the current input as <folder>/<kind>-<hash>. Called on the way to
// the process's death, so it uses only async-signal-safe calls.
void SaveCurrentInput(const char* kind) {
    if (current.FindingsFolder[0] == '\0' || current.Data == nullptr) {
        return;
    }
    char path[4200];
    std::uint64_t h = Hash(current.Data, current.Size);
    char hex[17];
    for (int i = 15; i >= 0; --i, h >>= 4) {
        hex[i] = "0123456789abcdef"[h & 15];
    }
    hex[16] = '\0';
    std::size_t n = 0;
    for (const char* part : {static_cast<const char*>(current.FindingsFolder), "/", kind, "-",
                             static_cast<const char*>(hex)}) {
        for (; *part != '\0' && n + 1 < sizeof path; ++part) {
            path[n++] = *part;
        }
    }
    path[n] = '\0';
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    for (std::size_t done = 0; done < current.Size;) {
        const ssize_t w = ::write(fd, current.Data + done, current.Size - done);
        if (w <= 0) {
            break;
        }
        done += static_cast<std::size_t>(w);
    }
    ::close(fd);
    static constexpr char kNote[] = "fixed_seed_driver: failing input saved as ";
    (void)!::write(2, kNote, sizeof kNote - 1);
    (void)!::write(2, path, n);
    (void)!::write(2, "\n", 1);
}

void OnSanitizerDeath() {
    SaveCurrentInput("crash");
}

void OnAlarm(int) {
    SaveCurrentInput("timeout");
    static constexpr char kNote[] = "fixed_seed_driver: one input ran too long\n";
    (void)!::write(2, kNote, sizeof kNote - 1);
    ::_exit(70);
}

// An uncaught exception ends in abort(); the sanitizers report the rest
// themselves and call OnSanitizerDeath.
void OnAbort(int) {
    SaveCurrentInput("crash");
    ::signal(SIGABRT, SIG_DFL);
    ::raise(SIGABRT);
}

void Run(const std::string& input) {
    current.Data = input.data();
    current.Size = input.size();
    ::alarm(kSecondsPerInput);
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
    ::alarm(0);
    current.Data = nullptr;
}

std::vector<std::string> ReadSeeds(const std::vector<std::string>& places) {
    std::vector<fs::path> files;
    for (const std::string& place : places) {
        if (fs::is_directory(place)) {
            for (const auto& entry : fs::directory_iterator(place)) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
        } else {
            files.emplace_back(place);
        }
    }
    std::sort(files.begin(), files.end());  // the same order on every machine
    std::vector<std::string> seeds;
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "fixed_seed_driver: cannot read %s\n", file.c_str());
            std::exit(2);
        }
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (seeds.empty()) {
        seeds.emplace_back();
    }
    return seeds;
}

std::string Mutate(std::string input, const std::vector<std::string>& pool, std::mt19937& rng) {
    auto pick = [&](std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(rng() % n); };
    const int rounds = 1 + static_cast<int>(rng() % 6);
    for (int r = 0; r < rounds; ++r) {
        switch (rng() % 8) {
            case 0:  // flip a bit
                if (!input.empty()) {
                    input[pick(input.size())] ^= static_cast<char>(1u << (rng() % 8));
                }
                break;
            case 1:  // a byte that parsers treat specially
                if (!input.empty()) {
                    static constexpr char kInteresting[] = {
                        0,   1,   2,   3,   4,    0x7F, '\x80', '\xFF', '\x94', '\\',
                        '.', '/', '"', ',', '\r', '\n', ' ',    '=',    '[',    ']',
                        '<', '>', '(', ')', '\t', ':',  '-',    '@',    '0',    '9'};
                    input[pick(input.size())] = kInteresting[rng() % sizeof(kInteresting)];
                }
                break;
            case 2:  // insert a byte
                input.insert(pick(input.size() + 1), 1, static_cast<char>(rng()));
                break;
            case 3:  // erase a few bytes
                if (!input.empty()) {
                    input.erase(pick(input.size()), 1 + pick(16));
                }
                break;
            case 4:  // cut the end off
                if (!input.empty()) {
                    input.resize(pick(input.size()));
                }
                break;
            case 5: {  // splice in a piece of another input
                const std::string& other = pool[pick(pool.size())];
                const std::size_t from = pick(other.size());
                input.insert(pick(input.size() + 1), other.substr(from, 1 + pick(64)));
                break;
            }
            case 6:  // repeat a piece
                if (!input.empty() && input.size() < 65536) {
                    const std::size_t from = pick(input.size());
                    const std::string piece = input.substr(from, 1 + pick(32));
                    for (std::size_t times = 1 + pick(64); times > 0; --times) {
                        input.insert(from, piece);
                    }
                }
                break;
            default:  // overwrite four bytes with a number
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

int main(int argc, char* argv[]) {
    double seconds = 20;
    std::uint32_t seed = 1;
    std::vector<std::string> places;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seconds" && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else if (arg == "--seed" && i + 1 < argc) {
            seed = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--findings" && i + 1 < argc) {
            const std::string folder = argv[++i];
            folder.copy(current.FindingsFolder, sizeof current.FindingsFolder - 1);
        } else {
            places.push_back(arg);
        }
    }
    if (seed == 0) {
        seed =
            static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count());
    }
    __sanitizer_set_death_callback(OnSanitizerDeath);
    ::signal(SIGALRM, OnAlarm);
    ::signal(SIGABRT, OnAbort);

    std::vector<std::string> pool = ReadSeeds(places);
    const std::size_t seedCount = pool.size();
    long runs = 0;
    for (const std::string& s : pool) {
        Run(s);
        ++runs;
    }
    std::mt19937 rng(seed);
    const auto start = std::chrono::steady_clock::now();
    const auto limit = std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() - start < limit) {
        const std::string input = Mutate(pool[rng() % pool.size()], pool, rng);
        Run(input);
        ++runs;
        if (rng() % 50 == 0) {
            if (pool.size() < seedCount + 200) {
                pool.push_back(input);
            } else {
                pool[seedCount + rng() % 200] = input;
            }
        }
    }
    std::printf("fixed_seed_driver: %ld inputs from %zu seeds in %.0f s, seed %u, no findings\n",
                runs, seedCount, seconds, seed);
    return 0;
}

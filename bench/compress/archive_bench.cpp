// Expansion throughput of the LZH and LH5 methods on 20 MB of text, against
// copying the same bytes through the stored method in the same run. Each
// benchmark expands an archive file into a file, as the list updater does;
// bytes per second count expanded bytes.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "compress/archive_writer.h"
#include "compress/archiver.h"

namespace {

namespace fs = std::filesystem;
using namespace qv::compress;

constexpr std::size_t kTextSize = 20 * 1024 * 1024;

std::vector<std::uint8_t> Text() {
    static constexpr const char* kWords[] = {
        "Senator",   "Representative", "House",       "the",      "of",         "and",  "to",
        "district",  "Washington",     "office",      "Dear",     "letter",     "vote", "bill",
        "committee", "world",          "leader",      "minister", "parliament", "mail", "state",
        "Democrat",  "Republican",     "Independent", "www",      ".gov"};
    std::mt19937 rng(42);
    std::vector<std::uint8_t> out;
    out.reserve(kTextSize + 32);
    while (out.size() < kTextSize) {
        const std::string word = kWords[rng() % std::size(kWords)];
        out.insert(out.end(), word.begin(), word.end());
        out.push_back(rng() % 10 == 0 ? '\n' : (rng() % 7 == 0 ? '\t' : ' '));
    }
    out.resize(kTextSize);
    return out;
}

// Builds the archive file once per method and expands it on every iteration.
void BM_Expand(benchmark::State& state, TMethod method) {
    const fs::path folder =
        fs::temp_directory_path() / ("qv-archive-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string archive = (folder / "list.qv").string();
    {
        TArchiveWriter writer(std::string(MethodID(method)));
        writer.AddData("temp2.dat", Text(), method);
        std::ofstream out(archive, std::ios::binary);
        writer.Write(out);
    }
    TArchiver archiver;
    archiver.SetTargetPath((folder / "out").string());
    archiver.SetMakeDirectories(true);
    archiver.SetExceptionOnFileError(true);
    archiver.SetCheckSpaceBeforeExpand(true);
    for (auto _ : state) {
        std::string name = "temp2.dat";
        archiver.ExpandNamedFile(name, archive);
        benchmark::DoNotOptimize(name);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTextSize));
    state.counters["archive_MB"] = static_cast<double>(fs::file_size(archive)) / 1e6;
    fs::remove_all(folder);
}

BENCHMARK_CAPTURE(BM_Expand, stored_copy, TMethod::Stored)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Expand, lzh, TMethod::Lzh)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Expand, lh5, TMethod::Lh5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

// Loading the shipped ZIP code table, one lookup with its officials, and
// building the Senate and House lists from the shipped Congress data.
#include <benchmark/benchmark.h>

#include <string>

#include "lists/congress/congress_lists.h"
#include "lists/official_list.h"
#include "lists/zip_districts.h"

namespace {

using namespace qv;

const std::string kData = std::string(QV_SOURCE_DIR) + "/data/";

void BM_LoadZipTable(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(TZipDistricts::Load(kData + "zccd.csv"));
    }
}
BENCHMARK(BM_LoadZipTable)->Unit(benchmark::kMillisecond);

// A ZIP code spanning six districts, so the lookup does its most work.
void BM_FindZipOfficials(benchmark::State& state) {
    const TZipDistricts table = TZipDistricts::Load(kData + "zccd.csv");
    TOfficialList senate, house;
    if (LoadOfficialList(kData + "senate.dat", senate, nullptr) != 0 ||
        LoadOfficialList(kData + "house.dat", house, nullptr) != 0) {
        state.SkipWithError("cannot read the shipped lists");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(FindZipOfficials(table, "91711", senate, house));
    }
}
BENCHMARK(BM_FindZipOfficials)->Unit(benchmark::kMicrosecond);

void BM_ListsFromCongressData(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            LoadCongressLists(kData + "sources/congress-legislators/legislators-current.yaml"));
    }
}
BENCHMARK(BM_ListsFromCongressData)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// What recording costs a send action, step by step, and how long the Sent
// Messages window waits for a search of a large record. The record lives in
// a fresh folder under the system's temporary folder (TMPDIR), so the disk
// there is what the write figures measure.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "sent/sent_store.h"

namespace {

using namespace qv::sent;

class TBenchFolder {
  public:
    TBenchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qvbench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
    }
    ~TBenchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string Store() const { return (path_ / "sent.sqlite").string(); }

  private:
    std::filesystem::path path_;
};

// A send to `recipients` addresses in transactions of 99, with a letter of
// about 2 KB.
TMailStart Action(int n, int recipients) {
    TMailStart start;
    start.When = 1700000000 + n;
    start.Server = "smtp.example.org";
    start.Fields.From = "jo@home.example";
    start.Fields.Subject = "Letter " + std::to_string(n) + " on the bridge budget";
    std::string text;
    while (text.size() < 2000)
        text += "Please fund the repairs of the bridge on route " + std::to_string(n) + ". ";
    start.Fields.Text = text;
    start.Body = text;
    for (int r = 0; r < recipients; ++r) {
        if (r % 99 == 0)
            start.Transactions.emplace_back();
        start.Transactions.back().push_back(
            {TRole::BCC, "<member" + std::to_string(n * 1000 + r) + "@house.example>"});
    }
    return start;
}

void BM_BeginMail(benchmark::State& state) {
    TBenchFolder folder;
    TSentStore store(folder.Store());
    const TMailStart start = Action(1, static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(store.BeginMail(start));
}
BENCHMARK(BM_BeginMail)->Arg(1)->Arg(250)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TransactionSent(benchmark::State& state) {
    TBenchFolder folder;
    TSentStore store(folder.Store());
    const std::int64_t id = store.BeginMail(Action(1, 250));
    for (auto _ : state)
        store.TransactionSent(id, 2, "250 2.0.0 Ok: queued as 4Q1A2B3C");
}
BENCHMARK(BM_TransactionSent)->Unit(benchmark::kMillisecond)->UseRealTime();

// A record of 10,000 actions of 3 recipients each, built once.
TSentStore& LargeRecord() {
    static TBenchFolder folder;
    static std::unique_ptr<TSentStore> store;
    if (!store) {
        store = std::make_unique<TSentStore>(folder.Store());
        for (int n = 0; n < 10000; ++n)
            store->BeginMail(Action(n, 3));
    }
    return *store;
}

void BM_Search(benchmark::State& state, const char* query) {
    TSentStore& store = LargeRecord();
    std::size_t found = 0;
    for (auto _ : state)
        found = store.Search(query).size();
    state.counters["found"] = static_cast<double>(found);
}
BENCHMARK_CAPTURE(BM_Search, everything, "")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, one_subject, "letter 4711 ")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, one_address, "member4711001@")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, nothing, "no-such-word")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

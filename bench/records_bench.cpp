// Benchmarks of the record layer and the document file: 10,000 records of 20
// values written through StorageRecord, saved as one transaction, opened
// again and read back.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/core/process_state.h"
#include "platform/documents/host_application.h"
#include "platform/documents/storage_record.h"

namespace {

using namespace zarvento;

constexpr int kValuesPerRecord = 20;

// A folder of its own for the files of one benchmark run.
class BenchDir {
public:
    BenchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zarvento-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
        path_ = pattern;
    }
    ~BenchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string File(const char* name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Half the values positional, half named, of the kinds the savers use.
void WriteRecords(int records) {
    for (int k = 0; k < records; ++k) {
        StorageRecord r;
        r.OpenWrite("Zarvento.Turn." + std::to_string(k));
        for (int i = 0; i < kValuesPerRecord / 2; ++i) {
            r.AddValue(i % 2 ? Variant::R8(k * 0.5 + i) : Variant::I4(k + i));
            r.AddNamedValue("key" + std::to_string(i), i % 2 ? Variant::BStr("Проход") : Variant::Bool(true));
        }
    }
}

std::int64_t ReadRecords(int records) {
    std::int64_t seen = 0;
    Variant v;
    for (int k = 0; k < records; ++k) {
        StorageRecord r;
        if (!r.OpenRead("Zarvento.Turn." + std::to_string(k))) continue;
        for (int i = 0; i < kValuesPerRecord / 2; ++i) {
            seen += !r.ReadValue(v).IsEmpty();
            r.ReadNamedValue("key" + std::to_string(i));
            seen += !r.ReadBuffer().IsEmpty();
        }
    }
    return seen;
}

void BM_RecordsWriteInMemory(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    for (auto _ : state) {
        ResetProcessState();
        ConnectHostApplication().Documents().Add(DocumentType::Part);
        WriteRecords(records);
    }
    ResetProcessState();
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * records * kValuesPerRecord);
    state.SetComplexityN(records);
}
BENCHMARK(BM_RecordsWriteInMemory)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

void BM_DocumentSave(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    BenchDir dir;
    ResetProcessState();
    auto doc = ConnectHostApplication().Documents().Add(DocumentType::Part);
    WriteRecords(records);
    const std::string path = dir.File("bench.rdp");
    for (auto _ : state) doc->SaveAs(path);
    ResetProcessState();
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * records * kValuesPerRecord);
}
BENCHMARK(BM_DocumentSave)->Arg(10000)->Unit(benchmark::kMillisecond);

// The whole cycle: write, save, close, open and read every value back.
void BM_RecordsRoundTrip(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    BenchDir dir;
    const std::string path = dir.File("round.rdp");
    for (auto _ : state) {
        ResetProcessState();
        auto& app = ConnectHostApplication();
        auto doc = app.Documents().Add(DocumentType::Part);
        WriteRecords(records);
        doc->SaveAs(path);
        app.Documents().Close(doc);
        app.Documents().Open(path);
        const std::int64_t seen = ReadRecords(records);
        if (seen != static_cast<std::int64_t>(records) * kValuesPerRecord) state.SkipWithError("values lost");
        benchmark::DoNotOptimize(seen);
    }
    ResetProcessState();
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * records * kValuesPerRecord);
}
BENCHMARK(BM_RecordsRoundTrip)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

// Decode speed of linescope on a synthetic capture of one million mixed
// records: Q.931 calls with several IEs, S and U frames, TEI management,
// X.25 and PPP of every control protocol. Reports records/s and the
// capture's bytes/s (of the stuffed file as the adapter writes it).
//
//   bench_linescope [--benchmark_filter=...]
#include "capture_builder.h"
#include "report.h"
#include "session.h"
#include "source.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <unistd.h>

using namespace linescope;

namespace {

constexpr std::size_t kRecords = 1000000;

struct Capture {
    testing::Bytes plain;
    testing::Bytes stuffed;
    Capture()
    {
        setenv("TZ", "UTC0", 1);
        tzset();
        plain = testing::synthetic_records(kRecords);
        stuffed = testing::stuff(plain);
    }
};

const Capture& capture()
{
    static const Capture c;
    return c;
}

void set_counters(benchmark::State& state, std::uint64_t report_bytes)
{
    const auto& c = capture();
    state.counters["records/s"] =
        benchmark::Counter(static_cast<double>(kRecords) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    state.counters["input_MB/s"] =
        benchmark::Counter(static_cast<double>(c.stuffed.size()) * static_cast<double>(state.iterations()) / 1e6,
                           benchmark::Counter::kIsRate);
    state.counters["report_MB"] = static_cast<double>(report_bytes) / 1e6;
    state.counters["input_MB"] = static_cast<double>(c.stuffed.size()) / 1e6;
}

// Record loop and decoders over the un-stuffed stream, report discarded.
void BM_DecodeRecords(benchmark::State& state)
{
    const auto& c = capture();
    std::uint64_t out_bytes = 0;
    for (auto _ : state) {
        CountingSink sink;
        {
            Session session;
            session.base_time = 915148800;
            Report report(sink);
            MemorySource source(c.plain.data(), c.plain.size());
            write_report(source, session, report);
        }
        out_bytes = sink.bytes;
        benchmark::DoNotOptimize(out_bytes);
    }
    set_counters(state, out_bytes);
}
BENCHMARK(BM_DecodeRecords)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// Un-stuffing alone.
void BM_Unstuff(benchmark::State& state)
{
    const auto& c = capture();
    testing::Bytes work(c.stuffed.size());
    for (auto _ : state) {
        Unstuffer u;
        std::size_t made = u.feed(c.stuffed.data(), c.stuffed.size(), work.data());
        benchmark::DoNotOptimize(made);
    }
    set_counters(state, 0);
}
BENCHMARK(BM_Unstuff)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The program's two passes through files: un-stuff into a temporary file,
// then decode it into a report file.
void BM_FilesEndToEnd(benchmark::State& state)
{
    const auto& c = capture();
    char dir[] = "/tmp/linescope-bench-XXXXXX";
    if (mkdtemp(dir) == nullptr) {
        state.SkipWithError("mkdtemp failed");
        return;
    }
    const std::string in_name = std::string(dir) + "/file.dat";
    const std::string temp_name = std::string(dir) + "/LINESCOPE.TF1";
    const std::string out_name = std::string(dir) + "/out.txt";
    {
        std::FILE* f = std::fopen(in_name.c_str(), "wb");
        std::fwrite(c.stuffed.data(), 1, c.stuffed.size(), f);
        std::fclose(f);
    }
    std::uint64_t out_bytes = 0;
    for (auto _ : state) {
        std::FILE* in = std::fopen(in_name.c_str(), "rb");
        std::FILE* temp = std::fopen(temp_name.c_str(), "wb");
        unstuff_file(in, temp);
        std::fclose(in);
        std::fclose(temp);
        temp = std::fopen(temp_name.c_str(), "rb");
        std::FILE* out = std::fopen(out_name.c_str(), "wb");
        {
            Session session;
            FileSink sink(out);
            Report report(sink);
            FileSource source(temp);
            write_report(source, session, report);
        }
        out_bytes = static_cast<std::uint64_t>(std::ftell(out));
        std::fclose(temp);
        std::fclose(out);
    }
    std::remove(in_name.c_str());
    std::remove(temp_name.c_str());
    std::remove(out_name.c_str());
    rmdir(dir);
    set_counters(state, out_bytes);
}
BENCHMARK(BM_FilesEndToEnd)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();

// Encode and decode throughput of every method on three 8 MiB corpora, and
// the expansion of whole archives. Figures are bytes of the uncompressed
// data per second, for whole entries through the codec driver.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "archive/Archiver.h"
#include "bench/BenchSupport.h"
#include "codecs/Coders.h"
#include "platform/Stream.h"
#include "tests/support/TestData.h"

namespace {

constexpr size_t CorpusSize = 8 << 20;

const std::vector<uint8_t>& Corpus(int which)
{
    static const std::vector<uint8_t> corpora[3] = {MakeText(CorpusSize), MakeBinary(CorpusSize),
                                                    MakeRandom(CorpusSize)};
    return corpora[which];
}

const char* CorpusName(int which)
{
    static const char* names[] = {"text", "binary", "random"};
    return names[which];
}

// The coded form of a corpus, made once per method and corpus.
const std::vector<uint8_t>& Coded(uint8_t method, int which)
{
    static std::map<std::pair<int, int>, std::vector<uint8_t>> cache;
    auto& coded = cache[{method, which}];
    if (coded.empty())
        coded = EncodeForBench(method, Corpus(which));
    return coded;
}

void BM_Encode(benchmark::State& state, uint8_t method)
{
    const int which = static_cast<int>(state.range(0));
    const auto& input = Corpus(which);
    size_t codedSize = 0;
    for (auto _ : state) {
        codedSize = EncodeForBench(method, input).size();
        benchmark::DoNotOptimize(codedSize);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
    state.counters["ratio_pct"] = 100.0 * static_cast<double>(codedSize) / static_cast<double>(input.size());
    state.SetLabel(CorpusName(which));
}

void BM_Decode(benchmark::State& state, uint8_t method)
{
    const int which = static_cast<int>(state.range(0));
    const auto& input = Corpus(which);
    const auto& coded = Coded(method, which);
    TArchiver comp;
    for (auto _ : state) {
        TReadOnlyMemoryStream source(coded.data(), static_cast<int64_t>(coded.size()));
        TDiscardStream dest;
        uint32_t checksum = 0;
        comp.RunCodec(dest, source, static_cast<int32_t>(coded.size()), static_cast<int32_t>(input.size()), method,
                      checksum, TCodecDirection::cdExpand, false);
        if (dest.Written != static_cast<int64_t>(input.size()))
            state.SkipWithError("decoded size differs");
        benchmark::DoNotOptimize(checksum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
    state.SetLabel(CorpusName(which));
}

BENCHMARK_CAPTURE(BM_Encode, RLE, MethodRLE)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Encode, LZH, MethodLZH)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Encode, LH5, MethodLH5)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// gzip -6 over the same corpora, as a separate process reading a file: the
// yardstick for the coders' speed and ratio (process start included, about
// a millisecond).
void BM_GzipReference(benchmark::State& state)
{
    const int which = static_cast<int>(state.range(0));
    const auto& input = Corpus(which);
    const std::string path = WriteBenchFile(input, std::string("zarn-bench-") + CorpusName(which));
    int64_t codedSize = 0;
    for (auto _ : state) {
        codedSize = GzipCompressedSize(path);
        if (codedSize < 0) {
            state.SkipWithError("gzip not available");
            break;
        }
    }
    std::remove(path.c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
    state.counters["ratio_pct"] = 100.0 * static_cast<double>(codedSize) / static_cast<double>(input.size());
    state.SetLabel(CorpusName(which));
}

BENCHMARK(BM_GzipReference)->DenseRange(0, 2)->UseRealTime()->Unit(benchmark::kMillisecond);

// LH5 coding of text at 1, 8 and 64 MiB: the match finder's work per byte
// must not grow with the input, so the rate stays level.
void BM_EncodeLH5Scaling(benchmark::State& state)
{
    const std::vector<uint8_t> input = MakeText(static_cast<size_t>(state.range(0)) << 20);
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeForBench(MethodLH5, input).size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}

BENCHMARK(BM_EncodeLH5Scaling)->Arg(1)->Arg(8)->Arg(64)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Decode, NON, MethodStored)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Decode, RLE, MethodRLE)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Decode, LZH, MethodLZH)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Decode, LH5, MethodLH5)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// A whole archive of several entries of mixed kinds, expanded to a disk that
// discards what it is given.
void BM_ExpandArchive(benchmark::State& state, uint8_t method)
{
    const std::vector<uint8_t> archive = MakeBenchArchive(method);
    TDiscardFileSystem disk;
    TArchiver comp(disk);
    comp.SetTargetPath("out");
    for (auto _ : state) {
        TReadOnlyMemoryStream stream(archive.data(), static_cast<int64_t>(archive.size()));
        comp.ExpandArchive(stream, nullptr);
    }
    state.SetBytesProcessed(disk.BytesWritten);
    state.counters["entries"] = static_cast<double>(disk.FilesCreated / state.iterations());
}

BENCHMARK_CAPTURE(BM_ExpandArchive, LZH, MethodLZH)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ExpandArchive, LH5, MethodLH5)->Unit(benchmark::kMillisecond);

// Expanding one 100 MiB entry streams through the channel's buffers: the
// resident set must not grow with the entry (reported, in MiB).
void BM_ExpandLargeEntryMemory(benchmark::State& state)
{
    for (auto _ : state)
        state.counters["rss_growth_MiB"] = MeasureLargeEntryExpansion(100 << 20);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (100 << 20));
}

BENCHMARK(BM_ExpandLargeEntryMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// Throughput of parsing a root list and merging its entries into a trust list, on
// the real certdata.txt beside a plain line split of the same bytes (the ceiling),
// and on hostile root lists of tiny records that each add a new fingerprint, where
// the duplicate test searches an ever longer text.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/bytes.h"
#include "trustreg/root_list.h"
#include "trustreg/substring_index.h"
#include "trustreg/trust_list.h"

namespace {

constexpr char kStamp[] = "2024/03/15 12:34:56";

std::string ReadFile(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

const std::string& RealRootList()
{
    static const std::string text = ReadFile(ORVAK_ROOT_LIST_FIXTURE);
    return text;
}

const std::string& TrustListTemplate()
{
    static const std::string text = ReadFile(ORVAK_SOURCE_DIR "/trustreg/trustlist.txt");
    return text;
}

// A root list of `megabytes` MB made of the smallest records that give an entry:
// a fingerprint line with a fingerprint of Mozilla's shape, never seen before,
// the e-mail trust line, and the closing empty line. With `lengths` above 1 the
// fingerprints take that many lengths in turn (20, 21, ... byte pairs), so the
// duplicate test asks for that many lengths.
std::string HostileRootList(int megabytes, int lengths)
{
    const size_t size = static_cast<size_t>(megabytes) << 20;
    std::string text;
    text.reserve(size + 512);
    uint64_t state = 0x9E3779B97F4A7C15ull;
    static const char kHex[] = "0123456789ABCDEF";
    for (int record = 0; text.size() < size; ++record) {
        text += "# Fingerprint (SHA1): ";
        const int pairs = 20 + record % lengths;
        for (int pair = 0; pair < pairs; ++pair) {
            // xorshift: the pairs look random, so no fingerprint lies inside
            // the text gathered before it.
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            if (pair)
                text += ':';
            text += kHex[state & 15];
            text += kHex[(state >> 4) & 15];
        }
        text += "\nCKA_TRUST_EMAIL_PROTECTION CK_TRUST CKT_NSS_TRUSTED_DELEGATOR\n\n";
    }
    return text;
}

constexpr int kManyLengths = 16;

const std::string& CachedHostileRootList(int megabytes, int lengths = 1)
{
    static std::map<std::pair<int, int>, std::string> cache;
    auto it = cache.find({megabytes, lengths});
    if (it == cache.end())
        it = cache.emplace(std::make_pair(megabytes, lengths), HostileRootList(megabytes, lengths)).first;
    return it->second;
}

void SkipWithoutRootList(benchmark::State& state)
{
    if (RealRootList().empty())
        state.SkipWithError("no root list at " ORVAK_ROOT_LIST_FIXTURE);
}

// The ceiling: walking the lines of the root list without looking at them.
void BM_RealRootList_LineSplit(benchmark::State& state)
{
    SkipWithoutRootList(state);
    const std::string& text = RealRootList();
    for (auto _ : state) {
        LineReader reader(text);
        std::string_view line;
        size_t lines = 0;
        while (reader.Next(line))
            ++lines;
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_RealRootList_LineSplit)->Unit(benchmark::kMillisecond);

void BM_RealRootList_Parse(benchmark::State& state)
{
    SkipWithoutRootList(state);
    const std::string& text = RealRootList();
    size_t entries = 0;
    for (auto _ : state) {
        TrustEntries result = GatherTrustEntries(text);
        entries = result.trusted.size() + result.distrusted.size();
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.counters["entry_bytes"] = static_cast<double>(entries);
}
BENCHMARK(BM_RealRootList_Parse)->Unit(benchmark::kMillisecond);

// One whole run's work on the bytes: parse the root list, load the trust list
// (the template with an earlier block), empty the old block, build the new text.
void BM_RealRootList_ParseAndMerge(benchmark::State& state)
{
    SkipWithoutRootList(state);
    const std::string& text = RealRootList();
    const std::string trustList =
        BuildTrustListText(SplitLines(TrustListTemplate()), kStamp, GatherTrustEntries(text));
    for (auto _ : state) {
        TrustEntries entries = GatherTrustEntries(text);
        std::vector<std::string> lines = SplitLines(trustList);
        std::string previous = ClearManagedBlock(lines);
        std::string merged = BuildTrustListText(lines, kStamp, entries);
        benchmark::DoNotOptimize(previous);
        benchmark::DoNotOptimize(merged);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_RealRootList_ParseAndMerge)->Unit(benchmark::kMillisecond);

// Hostile input: every record adds an entry, so the trusted text grows with the
// input and each duplicate test searches all of it. Linear cost shows as the
// same MB/s at 25, 50 and 100 MB (the argument).
void HostileParseAndMerge(benchmark::State& state, int lengths)
{
    const std::string& text = CachedHostileRootList(static_cast<int>(state.range(0)), lengths);
    size_t trustedBytes = 0;
    for (auto _ : state) {
        TrustEntries entries = GatherTrustEntries(text);
        std::vector<std::string> lines = SplitLines(TrustListTemplate());
        ClearManagedBlock(lines);
        std::string merged = BuildTrustListText(lines, kStamp, entries);
        trustedBytes = entries.trusted.size();
        benchmark::DoNotOptimize(merged);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.counters["trusted_MB"] = static_cast<double>(trustedBytes) / (1 << 20);
}

void BM_HostileRootList_ParseAndMerge(benchmark::State& state)
{
    HostileParseAndMerge(state, 1);
}
BENCHMARK(BM_HostileRootList_ParseAndMerge)
    ->Arg(25)
    ->Arg(50)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// Fingerprints in many lengths: more lengths than the index keeps window sets
// for, so it moves to its suffix automaton early and keeps it up to date.
void BM_HostileRootList_ManyLengths_ParseAndMerge(benchmark::State& state)
{
    HostileParseAndMerge(state, kManyLengths);
}
BENCHMARK(BM_HostileRootList_ManyLengths_ParseAndMerge)
    ->Arg(25)
    ->Arg(50)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// The same hostile input through a plain line split, for its ceiling.
void BM_HostileRootList_LineSplit(benchmark::State& state)
{
    const std::string& text = CachedHostileRootList(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        LineReader reader(text);
        std::string_view line;
        size_t lines = 0;
        while (reader.Next(line))
            ++lines;
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_HostileRootList_LineSplit)->Arg(25)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

// The index alone, fed the trusted text of the hostile input as the parser feeds
// it (each entry's fingerprint looked up, then its line appended): its memory per
// indexed byte, as the index counts its own allocations.
void HostileIndexMemory(benchmark::State& state, int lengths)
{
    const std::string trusted = GatherTrustEntries(CachedHostileRootList(static_cast<int>(state.range(0)), lengths)).trusted;
    constexpr std::string_view kSuffix = " S relax\r\n";
    double indexBytes = 0;
    for (auto _ : state) {
        SubstringIndex index;
        for (size_t start = 0; start < trusted.size();) {
            size_t end = trusted.find(kSuffix, start) + kSuffix.size();
            std::string_view line(trusted.data() + start, end - start);
            benchmark::DoNotOptimize(index.Contains(line.substr(0, line.size() - kSuffix.size())));
            index.Append(line);
            start = end;
        }
        indexBytes = static_cast<double>(index.MemoryUsed());
        state.counters["automaton"] = index.AnswersFromAutomaton() ? 1 : 0;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(trusted.size()));
    state.counters["indexed_MB"] = static_cast<double>(trusted.size()) / (1 << 20);
    state.counters["index_MB"] = indexBytes / (1 << 20);
    state.counters["index_bytes_per_byte"] = indexBytes / static_cast<double>(trusted.size());
}

void BM_HostileRootList_IndexMemory(benchmark::State& state)
{
    HostileIndexMemory(state, 1);
}
BENCHMARK(BM_HostileRootList_IndexMemory)
    ->Arg(25)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_HostileRootList_ManyLengths_IndexMemory(benchmark::State& state)
{
    HostileIndexMemory(state, kManyLengths);
}
BENCHMARK(BM_HostileRootList_ManyLengths_IndexMemory)
    ->Arg(25)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

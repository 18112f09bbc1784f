// Time per translation: the everyday queries, and one-line queries of words
// and of one phrase from 1 KiB to 1 MiB, to show how the cost grows.
#include "query/translate.h"
#include "stand_in_encoder.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

const char* const kEverydayQueries[] = {
    "foo",
    "\"a b\"",
    "subject:\"a b\" from:bob",
    "from+to:alice \"a b\"",
    "subject:a subject:\"b c\"",
    "attach:report flag:unread attach:*",
    "flag:unread foo flag:new",
    "subject: x subject:y",
    "subject:\"meeting notes\" from:alice to:bob body:agenda memo:todo flag:unread attach:* header:x-ml all:2026 foo",
};

void EverydayQuery(benchmark::State& state) {
    const std::string query = kEverydayQueries[state.range(0)];
    state.SetLabel(query);
    for (auto _ : state)
        benchmark::DoNotOptimize(TranslateQuery(query, kScopeWithSubfolders, StandInEncode));
}
BENCHMARK(EverydayQuery)->DenseRange(0, sizeof kEverydayQueries / sizeof *kEverydayQueries - 1)
    ->Unit(benchmark::kMicrosecond);

std::string WordsOfLength(std::string::size_type bytes) {
    std::string query;
    for (unsigned i = 0; query.size() < bytes; ++i)
        query += (query.empty() ? "w" : " w") + std::to_string(i % 100);
    return query;
}

void LongWords(benchmark::State& state) {
    const std::string query = WordsOfLength(static_cast<std::string::size_type>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(TranslateQuery(query, kScopeCurrentFolder, StandInEncode));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * query.size()));
}
// 1 MiB of words takes minutes while each term rescans the rest of the query.
BENCHMARK(LongWords)->RangeMultiplier(4)->Range(1 << 10, 1 << 18)->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void LongPhrase(benchmark::State& state) {
    const std::string query = "subject:\"" + std::string(static_cast<std::string::size_type>(state.range(0)), 'a') + "\"";
    for (auto _ : state)
        benchmark::DoNotOptimize(TranslateQuery(query, kScopeCurrentFolder, StandInEncode));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * query.size()));
}
BENCHMARK(LongPhrase)->RangeMultiplier(4)->Range(1 << 10, 1 << 20)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

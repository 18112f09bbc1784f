// Time per translation, the plug-in's against the literal step-by-step one
// side by side: the everyday queries, and one-line queries of several shapes
// from 1 KiB to 1 MiB, to show how the cost grows with the length.
#include "allocation_limit.h"
#include "query/reading.h"
#include "query/suggestions.h"
#include "query/translate.h"
#include "reference/literal_terms.h"
#include "stand_in_encoder.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>
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
    "subject:\"meeting notes\" from:alice to:bob body:agenda memo:todo flag:unread attach:* header:x-ml all:2026",
};

using Translator = std::string (*)(const std::string&, int, WordEncoder, Separators);

void EverydayQuery(benchmark::State& state, Translator translate) {
    const std::string query = kEverydayQueries[state.range(0)];
    state.SetLabel(query);
    for (auto _ : state)
        benchmark::DoNotOptimize(translate(query, kScopeWithSubfolders, StandInEncode, Separators::Space));
}

// Repeats `unit(i)` until the query holds `bytes` bytes, then adds `tail`.
std::string Build(std::size_t bytes, const std::function<std::string(unsigned)>& unit, const std::string& tail = "") {
    std::string query;
    for (unsigned i = 0; query.size() < bytes; ++i)
        query += unit(i);
    return query + tail;
}

std::string Number(unsigned i) {
    return std::to_string(i % 100);
}

// The shapes of long queries: a name and how to make one of a given length.
struct Shape {
    const char* name;
    std::function<std::string(std::size_t)> make;
};

const Shape kShapes[] = {
    {"words", [](std::size_t n) { return Build(n, [](unsigned i) { return "w" + Number(i) + " "; }); }},
    {"phrase", [](std::size_t n) { return "subject:\"" + std::string(n, 'a') + "\""; }},
    {"prefixed_mix", [](std::size_t n) {
         return Build(n, [](unsigned i) { return "subject:w" + Number(i) + " from:\"p q\" body:" + Number(i) + " "; });
     }},
    {"unterminated_openings", [](std::size_t n) {
         return Build(n, [](unsigned i) { return "subject:\"a" + Number(i) + " "; });
     }},
    {"empty_prefixes", [](std::size_t n) {
         return Build(n, [](unsigned) { return std::string("subject: "); }, "subject:x");
     }},
    {"to_inside_from+to", [](std::size_t n) {
         return "to: " + Build(n, [](unsigned i) { return "from+to:" + Number(i) + " "; });
     }},
    {"empty_phrases", [](std::size_t n) {
         return Build(n, [](unsigned) { return std::string("subject:\"\" "); });
     }},
    {"words_then_open_phrase", [](std::size_t n) {
         return Build(n / 2, [](unsigned i) { return "subject:w" + Number(i) + " "; }, "subject:\"" + std::string(n / 2, 'x'));
     }},
    {"lines_with_spaces", [](std::size_t n) {
         return Build(n, [](unsigned i) { return "  w" + Number(i) + "  \r\n"; });
     }},
    {"backslashes", [](std::size_t n) {
         return Build(n, [](unsigned) { return std::string("\"\\\\\\\" "); });
     }},
};

// The peak heap of one translation (the most it held at once, the
// expression it returns included), per byte of the query: in all, and beyond
// the expression (E).
void CountPeakHeap(benchmark::State& state, Translator translate, const std::string& query) {
    const AllocationLimit counting(SIZE_MAX);
    const std::size_t expression = translate(query, kScopeCurrentFolder, StandInEncode, Separators::Space).size();
    const double bytes = static_cast<double>(query.size());
    const double peak = static_cast<double>(counting.Peak());
    state.counters["heap/n"] = peak / bytes;
    state.counters["(heap-E)/n"] = (peak - static_cast<double>(expression)) / bytes;
    state.counters["E/n"] = static_cast<double>(expression) / bytes;
}

void LongQuery(benchmark::State& state, Translator translate, const Shape* shape) {
    const std::string query = shape->make(static_cast<std::size_t>(state.range(0)));
    CountPeakHeap(state, translate, query);
    for (auto _ : state)
        benchmark::DoNotOptimize(translate(query, kScopeCurrentFolder, StandInEncode, Separators::Space));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * query.size()));
}

// The rows the suggestion list works out for one keystroke, among 100,000
// stored favourites (half of them with Japanese names, as in the run
// benchmark).
void SuggestionsForKeystroke(benchmark::State& state, const char* typed) {
    static const FavoriteSuggestions favorites = [] {
        std::vector<FavoriteEntry> entries;
        for (int i = 0; i < 100000; ++i)
            entries.push_back({(i % 2 ? "\x82\xa8\x8b\x43\x82\xc9\x93\xfc\x82\xe8" : "favourite") + std::to_string(i),
                               "from:person" + std::to_string(i) + " subject:\"weekly\""});
        return MakeFavoriteSuggestions(entries);
    }();
    const std::string text = typed;
    std::size_t rows = 0;
    for (auto _ : state) {
        const Suggestions suggestions = Suggest(text, text.size(), Separators::Space, &favorites);
        rows = suggestions.rows.size();
        benchmark::DoNotOptimize(suggestions.rows.data());
    }
    state.counters["rows"] = static_cast<double>(rows);
}

// The line under the field for one keystroke: the reading of the field's
// text with the caret at its end, for texts of everyday terms up to 4 KiB,
// with a misreading at the end, and a pasted 16 MiB (of which the line reads
// only its start).
void ReadingForKeystroke(benchmark::State& state) {
    std::string text;
    while (text.size() < static_cast<std::size_t>(state.range(0)))
        text += "subject:\"a b\" from:tanaka \x8b\x63\x8e\x96\x98\x5e attach:* Subject:x ";
    text.resize(static_cast<std::size_t>(state.range(0)));
    std::size_t misreadings = 0;
    for (auto _ : state) {
        const QueryReading reading = ReadQuery(text, text.size(), Separators::Space, nullptr);
        misreadings = reading.misreadings;
        benchmark::DoNotOptimize(reading.line.data());
    }
    state.counters["misreadings"] = static_cast<double>(misreadings);
}

void Register() {
    benchmark::RegisterBenchmark("Reading", ReadingForKeystroke)
        ->Arg(64)->Arg(1 << 10)->Arg(4 << 10)->Arg(16 << 20)->Unit(benchmark::kMicrosecond);
    for (const char* typed : {"s", "fav:", "fav:f", "fav:favourite1", "fav:favourite12345"})
        benchmark::RegisterBenchmark((std::string("Suggest100k/") + typed).c_str(), SuggestionsForKeystroke, typed)
            ->Unit(benchmark::kMicrosecond);
    const int everyday = static_cast<int>(sizeof kEverydayQueries / sizeof *kEverydayQueries);
    benchmark::RegisterBenchmark("Everyday/fast", EverydayQuery, TranslateQuery)
        ->DenseRange(0, everyday - 1)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Everyday/literal", EverydayQuery, ReferenceTranslateQuery)
        ->DenseRange(0, everyday - 1)->Unit(benchmark::kMicrosecond);
    for (const Shape& shape : kShapes) {
        benchmark::RegisterBenchmark((std::string("Long/") + shape.name + "/fast").c_str(), LongQuery,
                                     TranslateQuery, &shape)
            ->RangeMultiplier(4)->Range(1 << 10, 1 << 20)->Unit(benchmark::kMillisecond);
        // The literal translation takes minutes on a mebibyte of most shapes.
        benchmark::RegisterBenchmark((std::string("Long/") + shape.name + "/literal").c_str(), LongQuery,
                                     ReferenceTranslateQuery, &shape)
            ->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Unit(benchmark::kMillisecond)->Iterations(1);
    }
}

} // namespace

int main(int argc, char** argv) {
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// The fast translation against the literal one, on arbitrary bytes and on
// queries assembled from the language's own tokens, with and without the
// full-width space as a separator: the expressions, and the words handed to
// the encoder, must be the same. So must the two trims. And the line that
// reads a query back lists the words the expression holds, in its order.
#include "query/language.h"
#include "query/reading.h"
#include "query/translate.h"
#include "reference/literal_terms.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_words;

const char* RecordWord(const char* word) {
    g_words.push_back(word);
    return word;
}

// Every target's prefix (from the table: a row added is fuzzed too), then
// the bytes and pieces that shape a query.
const char* const kOtherTokens[] = {
    "attach:*", "\"", "\\", " ", "  ", "\x95\x5c", "\x81\x40", "\x8a", "a", "b", "xy",
    "\n", "\r", "\r\n", "\f", "\t", "\"\"", "*", "+", ":", "unread", "\"a b\"", "\\\"", "\\\\",
};
constexpr std::size_t kTokenCount = kTargetCount + std::size(kOtherTokens);

std::string Assemble(const uint8_t* data, size_t size) {
    std::string query;
    for (size_t i = 0; i < size; ++i) {
        const std::size_t token = data[i] % kTokenCount;
        query += token < static_cast<std::size_t>(kTargetCount) ? std::string(TargetTable[token].prefix)
                                                                 : std::string(kOtherTokens[token - kTargetCount]);
    }
    return query;
}

[[noreturn]] void Differ(const char* what, const std::string& query, const std::string& fast,
                         const std::string& literal) {
    std::fprintf(stderr, "%s differ\nquery:   [%s]\nfast:    [%s]\nliteral: [%s]\n", what, query.c_str(),
                 fast.c_str(), literal.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const int scope = 1001 + (data[0] >> 1) % 4;
    // Full-width spaces separate terms too, as the user may ask.
    const Separators separators = (data[0] & 8) ? Separators::SpaceAndFullWidthSpace : Separators::Space;
    const std::string query = (data[0] & 1) ? Assemble(data + 1, size - 1)
                                             : std::string(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string literal;
    std::vector<std::string> literalWords;
    try {
        g_words.clear();
        literal = ReferenceTranslateQuery(query, scope, RecordWord, separators);
        literalWords = g_words;
    } catch (const std::exception&) {
        return 0; // the regex engine gave up; nothing to compare with
    }
    g_words.clear();
    const std::string fast = TranslateQuery(query, scope, RecordWord, separators);
    if (fast != literal)
        Differ("expressions", query, fast, literal);
    if (g_words != literalWords)
        Differ("encoded words", query, fast, literal);

    std::string fastTrim = query;
    std::string literalTrim = query;
    TrimSpaces(fastTrim, separators);
    try {
        ReferenceTrimSpaces(literalTrim, separators);
    } catch (const std::exception&) {
        return 0;
    }
    if (fastTrim != literalTrim)
        Differ("trims", query, fastTrim, literalTrim);

    // The reading, of the query as the run translates it: trimmed.
    if (query.size() <= kReadBytes && fastTrim.rfind("fav:", 0) != 0 && fastTrim.rfind("debug:", 0) != 0 &&
        fastTrim != "help:" && !fastTrim.empty()) {
        g_words.clear();
        const std::string expression = TranslateQuery(fastTrim, scope, RecordWord, separators);
        std::string read, encoded;
        for (const ReadCondition& condition : ReadQuery(query, query.size(), separators, nullptr).conditions) {
            if (condition.kind == TermKind::Word)
                read += condition.value + "\n";
        }
        for (const std::string& word : g_words)
            encoded += word + "\n";
        if (read != encoded)
            Differ("words read back", query, read, encoded);
    }
    return 0;
}

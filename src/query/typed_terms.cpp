#include "query/typed_terms.h"

#include "query/shift_jis.h"

#include <algorithm>
#include <string_view>

namespace {

// The row whose prefix the term begins with; -1 for none.
int PrefixRow(std::string_view typed) {
    for (int row = 0; row < kTargetCount; ++row) {
        if (typed.substr(0, TargetTable[row].prefix.size()) == TargetTable[row].prefix)
            return row;
    }
    return -1;
}

bool IsFullWidthSpaceAt(const std::string& text, std::size_t at, Separators separators) {
    return separators == Separators::SpaceAndFullWidthSpace && text.compare(at, 2, kFullWidthSpace) == 0;
}

} // namespace

std::vector<TypedTerm> TypedTerms(const std::string& text, Separators separators) {
    const std::vector<bool> fullWidth =
        separators == Separators::SpaceAndFullWidthSpace ? FullWidthSpaceBytes(text) : std::vector<bool>();
    const auto separatorLength = [&](std::size_t at) -> std::size_t {
        if (text[at] == kSpace || IsLineSeparator(text[at]))
            return 1;
        return !fullWidth.empty() && fullWidth[at] ? 2 : 0;
    };
    std::vector<TypedTerm> terms;
    for (std::size_t at = 0; at < text.size();) {
        if (const std::size_t length = separatorLength(at)) {
            at += length;
            continue;
        }
        TypedTerm term{at, at, -1, false};
        while (at < text.size() && !separatorLength(at)) {
            if (text[at] == kQuote && (at + 1 == text.size() || OpensPhrase(text[at + 1])) &&
                PhraseMayOpen(std::string_view(text.data() + term.start, at - term.start))) {
                const std::size_t close = PhraseEnd(
                    at, text.size(), [](std::size_t p) { return p + 1; }, [&](std::size_t p) { return text[p]; });
                term.openPhrase = close >= text.size();
                at = std::min(close + 1, text.size());
                continue;
            }
            at += ShiftJisCharLength(text.data(), at, text.size());
        }
        term.end = at;
        term.prefixRow = PrefixRow(std::string_view(text.data() + term.start, term.end - term.start));
        terms.push_back(term);
    }
    return terms;
}

TermAtCaret FindTermAtCaret(const std::string& text, std::size_t caret, Separators separators) {
    if (caret == 0 || caret > text.size())
        return {};
    if (caret < text.size() && text[caret] != kSpace && !IsLineSeparator(text[caret]) &&
        !IsFullWidthSpaceAt(text, caret, separators))
        return {}; // inside a term
    const std::vector<TypedTerm> terms = TypedTerms(text.substr(0, caret), separators);
    if (terms.empty() || terms.back().end != caret || terms.back().openPhrase)
        return {};
    return {true, terms.back(), terms.size() == 1};
}

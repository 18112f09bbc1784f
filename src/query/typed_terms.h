// The query as the user typed it, cut into its terms: where each starts and
// ends (a phrase whole, its spaces included) and the target whose prefix it
// begins with. The one reading of where terms are for what the field shows:
// the suggestions (the term at the caret) and the reading under the field
// (its checks). Portable.
#pragma once

#include "query/language.h"

#include <cstddef>
#include <string>
#include <vector>

struct TypedTerm {
    std::size_t start;
    std::size_t end;
    int prefixRow;   // the row of TargetTable whose prefix it begins with; -1: none
    bool openPhrase; // it ends in a phrase that no quote closes
};

// The terms of `text` in order. A quote opens a phrase where the language
// lets one open (PhraseMayOpen) and the text ends or a byte other than a
// quote follows it; the phrase runs to the quote that closes it, or to the
// end.
std::vector<TypedTerm> TypedTerms(const std::string& text, Separators separators);

// The term that ends at `caret`, the caret at its end and outside any
// phrase; its place in the list tells whether it is the query's first.
// Nothing (found false) elsewhere. Only the text before the caret, and the
// character after it, are read.
struct TermAtCaret {
    bool found = false;
    TypedTerm term{};
    bool first = false;
};
TermAtCaret FindTermAtCaret(const std::string& text, std::size_t caret, Separators separators);

// Finds the terms of a query one after another, as the language takes them:
// each time the leftmost match for the target at the query's front, which is
// then cut out and the spaces left at the cut trimmed.
#pragma once

#include "query/language.h"
#include "query/linked_query.h"
#include "query/pattern_index.h"

#include <cstddef>
#include <string>

// A term found in the query: its kind and target, and its nodes from `first`
// to `last`, of which the first `skip` (its prefix) are not part of its value.
// A NoTerm has no nodes: the default prefix went in front instead.
struct FoundTerm {
    TermKind kind;
    int row;
    int first;
    int last;
    std::size_t skip;
};

struct TermFinder {
    LinkedQuery query;
    PatternIndex index;
    // The default prefix stands in front of the query, but only in effect:
    // made real only when a term is found elsewhere.
    bool prefixInFront = false;
    // An opening quote whose phrase ran to the end of the query, until
    // something after it is cut.
    int unclosedQuote = kNoNode;
};

void StartFinding(TermFinder& finder, const std::string& query, Separators separators);

bool HasTermsLeft(const TermFinder& finder);

// The next term; for a NoTerm, the default prefix has gone in front.
FoundTerm FindNextTerm(TermFinder& finder);

std::size_t ValueLength(const TermFinder& finder, const FoundTerm& term);

// Appends the term's value to `text`.
void CopyValue(const TermFinder& finder, const FoundTerm& term, std::string& text);

// Cuts the term out, then trims as the language does after every term: the
// first time over the whole query, which may not have been trimmed; later
// only where the cut joined two parts.
void CutTerm(TermFinder& finder, const FoundTerm& term, bool firstTerm);

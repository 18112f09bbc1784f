// Where in the query each pattern a term can start with occurs: each prefix
// followed by a phrase's opening, each prefix followed by a word, and the
// attach shorthand. Finding the leftmost match of a pattern is then a look at
// the front of its list.
#pragma once

#include "query/language.h"
#include "query/linked_query.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

enum class PatternShape { Phrase, Word, AttachAll };

struct Pattern {
    int row;
    PatternShape shape;
};

// A phrase and a word pattern for every row with conditions, and the
// shorthand for the attach row.
constexpr int CountPatterns() {
    int count = 0;
    for (const TargetRow& row : TargetTable) {
        count += row.rule == TargetRule::FlagName ? 0 : 2;
        count += row.rule == TargetRule::AttachConditions ? 1 : 0;
    }
    return count;
}
inline constexpr int kPatternCount = CountPatterns();

// The pattern of a row and shape; -1 where the row has none.
int PatternOf(int row, PatternShape shape);

// Where a pattern occurs, in order, by the nodes' keys. Those found at the
// start are a sorted list passed over from the front as they go; those that
// appear later, at joints, are few and kept in a tree. Entries are not
// removed when their occurrence goes: a node's own record of what starts
// there is the truth.
struct Occurrences {
    std::vector<int32_t> initial;
    std::size_t next = 0;
    std::set<int32_t> later;
};

struct PatternIndex {
    // Which patterns occur from each node: a bit each, by its slot among the
    // patterns that begin with the node's byte. One byte a node.
    std::vector<uint8_t> startsOf;
    Occurrences occurrences[kPatternCount];
};

// Indexes the query as it was linked.
void IndexQuery(PatternIndex& index, const LinkedQuery& q);

// After nodes were put in front: indexes them.
void IndexAddedNodes(PatternIndex& index, const LinkedQuery& q, std::size_t added);

// Before `first` to `last` are cut out: nothing occurs from them any more.
void ForgetNodes(PatternIndex& index, const LinkedQuery& q, int first, int last);

// After a cut: looks again at the places whose patterns may reach past
// `node`, it and those just before it.
void RecheckBefore(PatternIndex& index, const LinkedQuery& q, int node);

// The leftmost node from which the pattern occurs; kNoNode when none.
int FirstOccurrence(PatternIndex& index, const LinkedQuery& q, int pattern);

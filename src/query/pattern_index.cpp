#include "query/pattern_index.h"

#include <algorithm>

namespace {

// What a pattern's text is: the row's prefix, or the shorthand.
constexpr std::string_view TextOf(const Pattern& pattern) {
    return pattern.shape == PatternShape::AttachAll ? kAttachAll : TargetTable[pattern.row].prefix;
}

// The nodes a pattern looks at: its text and what must follow it (a
// phrase's quote and the byte after it, a word's first byte).
constexpr std::size_t WindowOf(const Pattern& pattern) {
    return TextOf(pattern).size() + (pattern.shape == PatternShape::Phrase ? 2 : 1);
}

// The bits of a node's record: at most this many patterns begin with one
// byte.
constexpr int kMaxPatternsPerByte = 8;

struct PatternTable {
    Pattern pattern[kPatternCount] = {};
    std::string_view text[kPatternCount] = {};
    int of[kTargetCount][3] = {};
    uint8_t slotOf[kPatternCount] = {};
    // The patterns that begin with a byte, by slot.
    int8_t startingWith[256][kMaxPatternsPerByte] = {};
    uint8_t countStartingWith[256] = {};
    std::size_t longestWindow = 0;
};

constexpr PatternTable MakePatternTable() {
    PatternTable table;
    int count = 0;
    for (int row = 0; row < kTargetCount; ++row) {
        for (int shape = 0; shape < 3; ++shape)
            table.of[row][shape] = -1;
        const TargetRule rule = TargetTable[row].rule;
        for (const PatternShape shape : {PatternShape::Phrase, PatternShape::Word, PatternShape::AttachAll}) {
            const bool has = shape == PatternShape::AttachAll ? rule == TargetRule::AttachConditions
                                                              : rule != TargetRule::FlagName;
            if (has) {
                table.of[row][static_cast<int>(shape)] = count;
                table.pattern[count] = {row, shape};
                table.text[count++] = TextOf({row, shape});
            }
        }
    }
    for (int i = 0; i < kPatternCount; ++i) {
        const unsigned char first = static_cast<unsigned char>(table.text[i][0]);
        const int slot = table.countStartingWith[first]++;
        if (slot < kMaxPatternsPerByte) {
            table.slotOf[i] = static_cast<uint8_t>(slot);
            table.startingWith[first][slot] = static_cast<int8_t>(i);
        }
        table.longestWindow = std::max(table.longestWindow, WindowOf(table.pattern[i]));
    }
    return table;
}

constexpr PatternTable kTable = MakePatternTable();

constexpr bool FitsANodesRecord() {
    for (const int count : kTable.countStartingWith) {
        if (count > kMaxPatternsPerByte)
            return false;
    }
    return true;
}
static_assert(FitsANodesRecord(), "more patterns begin with one byte than a node's record has bits for");

// Whether `pattern` occurs from `node`, what must follow it included.
bool Occurs(const LinkedQuery& q, int patternNumber, int node) {
    for (const char byte : kTable.text[patternNumber]) {
        if (node == kNoNode || q.byteOf[node] != byte)
            return false;
        node = q.nextOf[node];
    }
    switch (kTable.pattern[patternNumber].shape) {
    case PatternShape::AttachAll:
        return true;
    case PatternShape::Word:
        return node != kNoNode && !IsSeparator(q, node);
    case PatternShape::Phrase:
        if (node == kNoNode || q.byteOf[node] != kQuote)
            return false;
        node = q.nextOf[node];
        return node != kNoNode && OpensPhrase(q.byteOf[node]);
    }
    return false;
}

int FirstByte(const LinkedQuery& q, int node) {
    return static_cast<unsigned char>(q.byteOf[node]);
}

uint8_t FindStarts(const LinkedQuery& q, int node) {
    const int byte = FirstByte(q, node);
    uint8_t starts = 0;
    for (int slot = 0; slot < kTable.countStartingWith[byte]; ++slot) {
        if (Occurs(q, kTable.startingWith[byte][slot], node))
            starts |= static_cast<uint8_t>(1u << slot);
    }
    return starts;
}

// Calls found(pattern) for each pattern set in `starts`, a record of `node`.
template <typename Found>
void ForEachStart(const LinkedQuery& q, int node, unsigned starts, Found found) {
    const int byte = FirstByte(q, node);
    for (int slot = 0; (starts >> slot) != 0; ++slot) {
        if (starts & (1u << slot))
            found(kTable.startingWith[byte][slot]);
    }
}

void Recheck(PatternIndex& index, const LinkedQuery& q, int node) {
    const uint8_t starts = FindStarts(q, node);
    if (starts == index.startsOf[node])
        return;
    ForEachStart(q, node, starts & ~index.startsOf[node],
                 [&](int pattern) { index.occurrences[pattern].later.insert(Key(q, node)); });
    index.startsOf[node] = starts;
}

bool StillOccurs(const PatternIndex& index, const LinkedQuery& q, int pattern, int32_t key) {
    return (index.startsOf[NodeOf(q, key)] >> kTable.slotOf[pattern]) & 1;
}

} // namespace

int PatternOf(int row, PatternShape shape) {
    return kTable.of[row][static_cast<int>(shape)];
}

// Counted first, so that each list takes just the room it needs.
void IndexQuery(PatternIndex& index, const LinkedQuery& q) {
    index.startsOf.reserve(q.byteOf.capacity());
    index.startsOf.assign(q.byteOf.size(), 0);
    std::size_t count[kPatternCount] = {};
    const int size = NodeCount(q);
    for (int i = 0; i < size; ++i) {
        index.startsOf[i] = FindStarts(q, i);
        ForEachStart(q, i, index.startsOf[i], [&](int pattern) { ++count[pattern]; });
    }
    for (int i = 0; i < kPatternCount; ++i)
        index.occurrences[i].initial.reserve(count[i]);
    for (int i = 0; i < size; ++i)
        ForEachStart(q, i, index.startsOf[i], [&](int pattern) { index.occurrences[pattern].initial.push_back(i); });
}

void IndexAddedNodes(PatternIndex& index, const LinkedQuery& q, std::size_t added) {
    // The records keep pace with the nodes' own arrays.
    if (index.startsOf.capacity() < q.byteOf.capacity())
        index.startsOf.reserve(q.byteOf.capacity());
    index.startsOf.resize(q.byteOf.size(), 0);
    int node = q.head;
    for (std::size_t i = 0; i < added; ++i, node = q.nextOf[node])
        Recheck(index, q, node);
}

void ForgetNodes(PatternIndex& index, const LinkedQuery& q, int first, int last) {
    for (int node = first;; node = q.nextOf[node]) {
        index.startsOf[node] = 0;
        if (node == last)
            break;
    }
}

void RecheckBefore(PatternIndex& index, const LinkedQuery& q, int node) {
    for (std::size_t i = 1; node != kNoNode && i < kTable.longestWindow; ++i, node = q.prevOf[node])
        Recheck(index, q, node);
}

int FirstOccurrence(PatternIndex& index, const LinkedQuery& q, int pattern) {
    Occurrences& found = index.occurrences[pattern];
    while (found.next < found.initial.size() && !StillOccurs(index, q, pattern, found.initial[found.next]))
        ++found.next;
    while (!found.later.empty() && !StillOccurs(index, q, pattern, *found.later.begin()))
        found.later.erase(found.later.begin());
    int32_t first = found.next < found.initial.size() ? found.initial[found.next] : INT32_MAX;
    if (!found.later.empty())
        first = std::min(first, *found.later.begin());
    return first == INT32_MAX ? kNoNode : NodeOf(q, first);
}

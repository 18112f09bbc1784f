#include "query/translate.h"

#include "query/terms.h"
#include "query/word_escape.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

// How the translation stays linear.
//
// Taken literally, every term costs a pass over the rest of the query: the
// default prefix is put in front of it, the phrase search scans all of it, the
// term is cut out of it, and all of it is trimmed. Here the query is a linked
// list of its bytes, so that putting the prefix in front and cutting a term
// out cost only their own length, and for every pattern a term can start with
// (each prefix followed by a quote, each prefix followed by a byte other than
// a space, and "attach:*") an ordered set holds where it occurs. A search for
// the leftmost match is then a look at the first element of a set:
//
// - A word matches wherever its prefix is followed by something other than a
//   space, so the first such place is the match.
// - A phrase scan from a quote either ends at the first unescaped quote or
//   runs to the end of the query; and when one runs to the end, no prefix's
//   quote can follow (it would end that scan), so only the first candidate
//   ever needs scanning. Candidates whose quote is directly followed by
//   another can never match and are not kept; a scan that ran to the end is
//   remembered until something after its quote is cut.
//
// Cutting bytes out joins two parts of the query, and only patterns that
// span the joint can appear or vanish: the few places before it are looked at
// again. Trimming after a term likewise only has new work at the joint, once
// the first term's trim has gone over the whole query.

namespace {

const char kDefaultPrefix[] = "smallheaderbody:";
const char kAttachAll[] = "attach:*";
const std::size_t kDefaultPrefixLength = sizeof kDefaultPrefix - 1;
const int kSearchRows = kFlagRow; // rows 0 to 10 are searched for
const int kPatternCount = 2 * kSearchRows + 1;
const int kAttachAllPattern = 2 * kSearchRows;
const int kNone = -1;

enum class Follower { Any, NotQuote, NotSpace };

struct Pattern {
    std::string text;
    Follower follower; // what the byte after the text must be (and that it exists)
};

struct Patterns {
    Pattern pattern[kPatternCount];
    uint32_t startingWith[256] = {}; // the patterns whose text begins with a byte
    std::size_t longestWindow = 0;   // text and follower

    Patterns() {
        for (int row = 0; row < kSearchRows; ++row) {
            pattern[PhrasePattern(row)] = {std::string(TargetTable[row].prefix) + '"', Follower::NotQuote};
            pattern[WordPattern(row)] = {TargetTable[row].prefix, Follower::NotSpace};
        }
        pattern[kAttachAllPattern] = {kAttachAll, Follower::Any};
        for (int i = 0; i < kPatternCount; ++i) {
            startingWith[static_cast<unsigned char>(pattern[i].text[0])] |= 1u << i;
            longestWindow = std::max(longestWindow, pattern[i].text.size() + 1);
        }
    }
    static int PhrasePattern(int row) { return row; }
    static int WordPattern(int row) { return kSearchRows + row; }
};

const Patterns& ThePatterns() {
    static const Patterns patterns;
    return patterns;
}

struct Node {
    int prev;
    int next;
    char byte;
    uint32_t starts; // the patterns that occur from here
};

// Where a pattern occurs, in order. Those found at the start are a sorted
// list passed over from the front as they go; those that appear later, at
// joints, are few and kept in a tree. Entries are not removed when their
// occurrence goes: a node's own record of what starts there is the truth.
struct Occurrences {
    std::vector<int64_t> initial;
    std::size_t next = 0;
    std::set<int64_t> later;
};

// The query as a linked list of its bytes. The original bytes keep their
// positions as order keys; bytes put in front get ever smaller ones.
struct LinkedQuery {
    std::vector<Node> nodes;
    int head = kNone;
    int tail = kNone;
    int64_t originalSize = 0;
    bool linking = true; // still recording the occurrences found at the start
    Occurrences occurrences[kPatternCount];
    int unclosedQuote = kNone; // a quote whose phrase scan ran to the end
    // The default prefix stands in front of the query, but only in effect:
    // set by a NoTerm, made real only when a term is found elsewhere.
    bool prefixInFront = false;
};

int64_t Key(const LinkedQuery& q, int node) {
    return node < q.originalSize ? node : q.originalSize - 1 - node;
}

int NodeOf(const LinkedQuery& q, int64_t key) {
    return static_cast<int>(key >= 0 ? key : q.originalSize - 1 - key);
}

// Whether `pattern` occurs from `node`, follower included.
bool Occurs(const LinkedQuery& q, const Pattern& pattern, int node) {
    for (char byte : pattern.text) {
        if (node == kNone || q.nodes[node].byte != byte)
            return false;
        node = q.nodes[node].next;
    }
    switch (pattern.follower) {
    case Follower::Any:
        return true;
    case Follower::NotQuote:
        return node != kNone && q.nodes[node].byte != '"';
    case Follower::NotSpace:
        return node != kNone && q.nodes[node].byte != ' ';
    }
    return false;
}

void SetStarts(LinkedQuery& q, int node, uint32_t starts) {
    const uint32_t added = starts & ~q.nodes[node].starts;
    for (int i = 0; (added >> i) != 0; ++i) {
        if (added & (1u << i)) {
            if (q.linking)
                q.occurrences[i].initial.push_back(Key(q, node));
            else
                q.occurrences[i].later.insert(Key(q, node));
        }
    }
    q.nodes[node].starts = starts;
}

void Recheck(LinkedQuery& q, int node) {
    const Patterns& patterns = ThePatterns();
    uint32_t candidates = patterns.startingWith[static_cast<unsigned char>(q.nodes[node].byte)];
    uint32_t starts = 0;
    for (int i = 0; candidates; ++i, candidates >>= 1) {
        if ((candidates & 1) && Occurs(q, patterns.pattern[i], node))
            starts |= 1u << i;
    }
    if (starts != q.nodes[node].starts)
        SetStarts(q, node, starts);
}

// The places whose patterns may reach past `node`: it and those just before.
void RecheckBefore(LinkedQuery& q, int node) {
    for (std::size_t i = 1; node != kNone && i < ThePatterns().longestWindow; ++i, node = q.nodes[node].prev)
        Recheck(q, node);
}

LinkedQuery Link(const std::string& text) {
    LinkedQuery q;
    const int size = static_cast<int>(text.size());
    q.originalSize = size;
    // Room for a few default prefixes in front without moving every node.
    q.nodes.reserve(text.size() + 4 * kDefaultPrefixLength);
    q.nodes.resize(text.size());
    for (int i = 0; i < size; ++i)
        q.nodes[i] = {i - 1, i + 1 < size ? i + 1 : kNone, text[i], 0};
    if (size > 0) {
        q.head = 0;
        q.tail = size - 1;
    }
    for (int i = 0; i < size; ++i)
        Recheck(q, i);
    q.linking = false;
    return q;
}

bool StartsWith(const LinkedQuery& q, const char* prefix) {
    int node = q.head;
    for (const char* at = prefix; *at; ++at, node = q.nodes[node].next) {
        if (node == kNone || q.nodes[node].byte != *at)
            return false;
    }
    return true;
}

int FindTargetAtFront(const LinkedQuery& q) {
    if (q.prefixInFront)
        return 0;
    if (q.nodes[q.head].byte == '"')
        return 0;
    for (int row = 0; row < kTargetCount; ++row) {
        if (StartsWith(q, TargetTable[row].prefix))
            return row;
    }
    return 0;
}

void PrependDefaultPrefix(LinkedQuery& q) {
    for (std::size_t i = kDefaultPrefixLength; i-- > 0;) {
        const int node = static_cast<int>(q.nodes.size());
        q.nodes.push_back({kNone, q.head, kDefaultPrefix[i], 0});
        if (q.head != kNone)
            q.nodes[q.head].prev = node;
        else
            q.tail = node;
        q.head = node;
    }
    int node = q.head;
    for (std::size_t i = 0; i < kDefaultPrefixLength; ++i, node = q.nodes[node].next)
        Recheck(q, node);
}

void MakePrefixReal(LinkedQuery& q) {
    if (q.prefixInFront) {
        q.prefixInFront = false;
        PrependDefaultPrefix(q);
    }
}

int Advance(const LinkedQuery& q, int node, std::size_t steps) {
    while (steps-- > 0 && node != kNone)
        node = q.nodes[node].next;
    return node;
}

struct Joint {
    int before;
    int after;
};

// Cuts out `first` to `last` and looks again at the places before the joint.
Joint Cut(LinkedQuery& q, int first, int last) {
    if (q.unclosedQuote != kNone && Key(q, last) >= Key(q, q.unclosedQuote))
        q.unclosedQuote = kNone;
    const Joint joint{q.nodes[first].prev, q.nodes[last].next};
    for (int node = first;; node = q.nodes[node].next) {
        SetStarts(q, node, 0);
        if (node == last)
            break;
    }
    (joint.before != kNone ? q.nodes[joint.before].next : q.head) = joint.after;
    (joint.after != kNone ? q.nodes[joint.after].prev : q.tail) = joint.before;
    RecheckBefore(q, joint.before);
    return joint;
}

// Cuts `length` bytes from `first`; returns the text cut, less its first
// `skip` bytes (the prefix).
std::string CutText(LinkedQuery& q, int first, std::size_t length, Joint& joint, std::size_t skip = 0) {
    std::string text;
    text.reserve(length - skip);
    int last = first;
    for (std::size_t i = 0;; ++i, last = q.nodes[last].next) {
        if (i >= skip)
            text += q.nodes[last].byte;
        if (i + 1 == length)
            break;
    }
    joint = Cut(q, first, last);
    return text;
}

bool IsSpace(const LinkedQuery& q, int node) {
    return node != kNone && q.nodes[node].byte == ' ';
}

bool EndsALine(const LinkedQuery& q, int node) {
    return node == kNone || IsLineSeparator(q.nodes[node].byte);
}

// The run of spaces at a joint goes when it starts or ends a line.
void TrimAt(LinkedQuery& q, Joint joint) {
    // The spaces on either side of the joint make one run.
    int first = IsSpace(q, joint.before) ? joint.before : joint.after;
    int last = IsSpace(q, joint.after) ? joint.after : joint.before;
    if (!IsSpace(q, first) || !IsSpace(q, last))
        return;
    while (IsSpace(q, q.nodes[first].prev))
        first = q.nodes[first].prev;
    while (IsSpace(q, q.nodes[last].next))
        last = q.nodes[last].next;
    if (EndsALine(q, q.nodes[first].prev) || EndsALine(q, q.nodes[last].next))
        Cut(q, first, last);
}

// The first trim goes over the whole query, which may not have been trimmed.
void TrimAll(LinkedQuery& q) {
    for (int node = q.head; node != kNone;) {
        if (!IsSpace(q, node)) {
            node = q.nodes[node].next;
            continue;
        }
        int last = node;
        while (IsSpace(q, q.nodes[last].next))
            last = q.nodes[last].next;
        const int after = q.nodes[last].next;
        if (EndsALine(q, q.nodes[node].prev) || EndsALine(q, after))
            Cut(q, node, last);
        node = after;
    }
}

bool StillOccurs(const LinkedQuery& q, int pattern, int64_t key) {
    return (q.nodes[NodeOf(q, key)].starts >> pattern) & 1;
}

int FirstOccurrence(LinkedQuery& q, int pattern) {
    Occurrences& found = q.occurrences[pattern];
    while (found.next < found.initial.size() && !StillOccurs(q, pattern, found.initial[found.next]))
        ++found.next;
    while (!found.later.empty() && !StillOccurs(q, pattern, *found.later.begin()))
        found.later.erase(found.later.begin());
    int64_t first = found.next < found.initial.size() ? found.initial[found.next] : INT64_MAX;
    if (!found.later.empty())
        first = std::min(first, *found.later.begin());
    return first == INT64_MAX ? kNone : NodeOf(q, first);
}

// The end of the phrase whose opening quote is `quote`, or kNone when the
// scan runs to the end of the query.
int PhraseEnd(const LinkedQuery& q, int quote) {
    for (int node = q.nodes[quote].next; node != kNone; node = q.nodes[node].next) {
        const char byte = q.nodes[node].byte;
        if (byte == '"')
            return node;
        if (byte == '\\' && (node = q.nodes[node].next) == kNone)
            return kNone;
    }
    return kNone;
}

std::size_t CountTo(const LinkedQuery& q, int first, int last) {
    std::size_t count = 1;
    for (int node = first; node != last; node = q.nodes[node].next)
        ++count;
    return count;
}

int LastOfRun(const LinkedQuery& q, int node) {
    while (q.nodes[node].next != kNone && q.nodes[q.nodes[node].next].byte != ' ')
        node = q.nodes[node].next;
    return node;
}

Term CutWord(LinkedQuery& q, int first, std::size_t prefixLength, Joint& joint) {
    const int last = LastOfRun(q, Advance(q, first, prefixLength));
    return {TermKind::Word, CutText(q, first, CountTo(q, first, last), joint, prefixLength)};
}

// Row 0 with the default prefix in front only in effect: the prefix would be
// the leftmost match's start unless a phrase for row 0 stands further on.
// Decides without making the prefix real, when it can; false when it cannot.
bool TakeBehindDefaultPrefix(LinkedQuery& q, Term& term, Joint& joint) {
    const int front = q.head;
    const int next = front == kNone ? kNone : q.nodes[front].next;
    const bool phraseInFront = front != kNone && q.nodes[front].byte == '"' && next != kNone && q.nodes[next].byte != '"';
    if (phraseInFront) {
        const int end = front == q.unclosedQuote ? kNone : PhraseEnd(q, front);
        if (end != kNone) {
            term = {TermKind::Phrase, CutText(q, front, CountTo(q, front, end), joint)};
        } else {
            q.unclosedQuote = front;
            term = CutWord(q, front, 0, joint);
        }
        return true;
    }
    if (FirstOccurrence(q, Patterns::PhrasePattern(0)) != kNone || front == kNone || q.nodes[front].byte == ' ')
        return false;
    term = CutWord(q, front, 0, joint);
    return true;
}

// The next term, cut off the query, with the joint it leaves.
Term TakeNextTerm(LinkedQuery& q, int row, Joint& joint) {
    joint = {kNone, kNone};
    if (row == 0 && (q.prefixInFront || !StartsWith(q, kDefaultPrefix))) {
        Term term;
        if (TakeBehindDefaultPrefix(q, term, joint)) {
            q.prefixInFront = false;
            return term;
        }
        q.prefixInFront = true;
        MakePrefixReal(q);
    }

    if (row == kAttachRow) {
        const int at = FirstOccurrence(q, kAttachAllPattern);
        if (at != kNone) {
            CutText(q, at, std::strlen(kAttachAll), joint);
            return {TermKind::AttachAll, {}};
        }
    }

    if (row == kFlagRow) {
        const std::size_t prefixLength = std::strlen(TargetTable[kFlagRow].prefix);
        const int last = LastOfRun(q, Advance(q, q.head, prefixLength - 1));
        return {TermKind::Flag, CutText(q, q.head, CountTo(q, q.head, last), joint, prefixLength)};
    }

    const std::size_t prefixLength = std::strlen(TargetTable[row].prefix);
    const int phrase = FirstOccurrence(q, Patterns::PhrasePattern(row));
    if (phrase != kNone) {
        const int quote = Advance(q, phrase, prefixLength);
        const int end = quote == q.unclosedQuote ? kNone : PhraseEnd(q, quote);
        if (end != kNone) {
            return {TermKind::Phrase, CutText(q, phrase, CountTo(q, phrase, end), joint, prefixLength)};
        }
        q.unclosedQuote = quote;
    }

    const int word = FirstOccurrence(q, Patterns::WordPattern(row));
    if (word != kNone)
        return CutWord(q, word, prefixLength, joint);

    // The prefix goes in front; it stays there in effect only.
    q.prefixInFront = true;
    return {TermKind::NoTerm, {}};
}

const char kAttachTarget[] = ",target=\"X-Attach\")";

void AppendTarget(std::string& expression, int row) {
    if (row == kAttachRow) {
        expression += kAttachTarget;
        return;
    }
    expression += ",target=";
    expression += TargetTable[row].targetName;
    expression += ')';
}

// A missing encoder, or one that gives no text, must not cost the user the
// word or leave an unbalanced quote: escape it the same way ourselves.
void AppendEncodedWord(std::string& expression, const std::string& word, WordEncoder encodeWord) {
    const char* encoded = encodeWord ? encodeWord(word.c_str()) : nullptr;
    if (encoded)
        expression += encoded;
    else
        expression += EscapeWord(word);
}

void AddToFlagClause(std::string& flagClause, const std::string& name) {
    flagClause += flagClause.empty() ? "flag=" : "&";
    flagClause += name;
}

} // namespace

std::string TranslateQuery(std::string query, int scope, WordEncoder encodeWord) {
    std::string expression;
    std::string flagClause;
    // Conditions take several times the bytes of their terms: growing the
    // expression step by step would copy it over and over.
    // Untouched reserved pages cost nothing.
    expression.reserve(query.size() * 10 + 64);
    LinkedQuery q = Link(query);
    query.clear();
    query.shrink_to_fit();

    for (bool first = true; q.head != kNone || q.prefixInFront; first = false) {
        const int row = FindTargetAtFront(q);
        Joint joint;
        const Term term = TakeNextTerm(q, row, joint);
        switch (term.kind) {
        case TermKind::Phrase:
        case TermKind::Word:
            if (!expression.empty() && expression.back() == ')')
                expression += "and";
            if (term.kind == TermKind::Phrase) {
                expression += '(';
                expression += term.value;
                expression += ",regular";
            } else {
                expression += "(\"";
                AppendEncodedWord(expression, term.value, encodeWord);
                expression += '"';
            }
            AppendTarget(expression, row);
            break;
        case TermKind::AttachAll:
            AddToFlagClause(flagClause, "attach");
            break;
        case TermKind::Flag:
            AddToFlagClause(flagClause, term.value);
            break;
        case TermKind::NoTerm:
            break;
        }
        if (first) {
            MakePrefixReal(q); // a space after it starts no line
            TrimAll(q);
        }
        else if (term.kind != TermKind::NoTerm)
            TrimAt(q, joint);
    }

    if (!flagClause.empty()) {
        if (!expression.empty())
            expression += ',';
        expression += flagClause;
    }
    expression += scope == kScopeWithSubfolders ? ",subfolder=1" : ",subfolder=0";
    expression += ",hilight=1";
    return expression;
}

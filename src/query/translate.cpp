#include "query/translate.h"

#include "query/terms.h"
#include "query/word_escape.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <stdexcept>
#include <string_view>
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
//
// And how it stays small: the plug-in lives in a 32-bit process, whose
// address space a pasted text can fill. A node costs ten bytes (its byte,
// its two links, which patterns occur from it); the terms are recorded about
// as compactly as the query's own bytes; and the expression is allocated
// once, at its final length, after the nodes are gone.

namespace {

const char kDefaultPrefix[] = "smallheaderbody:";
const char kAttachAll[] = "attach:*";
const std::size_t kDefaultPrefixLength = sizeof kDefaultPrefix - 1;
const int kSearchRows = kFlagRow; // rows 0 to 10 are searched for
const int kPatternCount = 2 * kSearchRows + 1;
const int kAttachAllPattern = 2 * kSearchRows;
const int kNone = -1;
// At most this many patterns begin with any one byte ("s": three prefixes,
// a phrase and a word each), so which of them occur from a node fits a byte.
const int kMaxPatternsPerByte = 8;

enum class Follower { Any, NotQuote, NotSpace };

struct Pattern {
    std::string text;
    Follower follower; // what the byte after the text must be (and that it exists)
    int slot;          // its bit among the patterns that begin with the same byte
};

struct Patterns {
    Pattern pattern[kPatternCount];
    // The patterns that begin with a byte, by slot.
    int8_t startingWith[256][kMaxPatternsPerByte];
    uint8_t countStartingWith[256] = {};
    std::size_t longestWindow = 0; // text and follower

    Patterns() {
        for (int row = 0; row < kSearchRows; ++row) {
            pattern[PhrasePattern(row)] = {std::string(TargetTable[row].prefix) + '"', Follower::NotQuote, 0};
            pattern[WordPattern(row)] = {TargetTable[row].prefix, Follower::NotSpace, 0};
        }
        pattern[kAttachAllPattern] = {kAttachAll, Follower::Any, 0};
        for (int i = 0; i < kPatternCount; ++i) {
            const unsigned char first = static_cast<unsigned char>(pattern[i].text[0]);
            if (countStartingWith[first] == kMaxPatternsPerByte)
                throw std::logic_error("too many patterns begin with one byte");
            pattern[i].slot = countStartingWith[first];
            startingWith[first][countStartingWith[first]++] = static_cast<int8_t>(i);
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

// The query as a linked list of its bytes, a field per array: ten bytes a
// node. The original bytes keep their positions as order keys; bytes put in
// front get ever smaller ones.
struct LinkedQuery {
    std::vector<int32_t> nextOf;
    std::vector<int32_t> prevOf;
    std::string byteOf;
    std::vector<uint8_t> startsOf; // the slots of the patterns that occur from the node
    int head = kNone;
    int tail = kNone;
    int32_t originalSize = 0;
    Occurrences occurrences[kPatternCount];
    int unclosedQuote = kNone; // a quote whose phrase scan ran to the end
    // The default prefix stands in front of the query, but only in effect:
    // set by a NoTerm, made real only when a term is found elsewhere.
    bool prefixInFront = false;
};

int32_t Key(const LinkedQuery& q, int node) {
    return node < q.originalSize ? node : q.originalSize - 1 - node;
}

int NodeOf(const LinkedQuery& q, int32_t key) {
    return key >= 0 ? key : q.originalSize - 1 - key;
}

// Whether `pattern` occurs from `node`, follower included.
bool Occurs(const LinkedQuery& q, const Pattern& pattern, int node) {
    for (char byte : pattern.text) {
        if (node == kNone || q.byteOf[node] != byte)
            return false;
        node = q.nextOf[node];
    }
    switch (pattern.follower) {
    case Follower::Any:
        return true;
    case Follower::NotQuote:
        return node != kNone && q.byteOf[node] != '"';
    case Follower::NotSpace:
        return node != kNone && q.byteOf[node] != ' ';
    }
    return false;
}

uint8_t FindStarts(const LinkedQuery& q, int node) {
    const Patterns& patterns = ThePatterns();
    const unsigned char byte = static_cast<unsigned char>(q.byteOf[node]);
    uint8_t starts = 0;
    for (int slot = 0; slot < patterns.countStartingWith[byte]; ++slot) {
        if (Occurs(q, patterns.pattern[patterns.startingWith[byte][slot]], node))
            starts |= static_cast<uint8_t>(1u << slot);
    }
    return starts;
}

void SetStarts(LinkedQuery& q, int node, uint8_t starts) {
    const unsigned added = starts & ~q.startsOf[node];
    const unsigned char byte = static_cast<unsigned char>(q.byteOf[node]);
    for (int slot = 0; (added >> slot) != 0; ++slot) {
        if (added & (1u << slot))
            q.occurrences[ThePatterns().startingWith[byte][slot]].later.insert(Key(q, node));
    }
    q.startsOf[node] = starts;
}

void Recheck(LinkedQuery& q, int node) {
    const uint8_t starts = FindStarts(q, node);
    if (starts != q.startsOf[node])
        SetStarts(q, node, starts);
}

// The places whose patterns may reach past `node`: it and those just before.
void RecheckBefore(LinkedQuery& q, int node) {
    for (std::size_t i = 1; node != kNone && i < ThePatterns().longestWindow; ++i, node = q.prevOf[node])
        Recheck(q, node);
}

int NodeCount(const LinkedQuery& q) {
    return static_cast<int>(q.byteOf.size());
}

// A node more, unlinked. The arrays grow by an eighth at a time: only
// unusual queries make the default prefix real more than a few times.
int AddNode(LinkedQuery& q, char byte) {
    if (q.byteOf.size() == q.byteOf.capacity()) {
        const std::size_t room = q.byteOf.size() + q.byteOf.size() / 8 + kDefaultPrefixLength;
        q.nextOf.reserve(room);
        q.prevOf.reserve(room);
        q.byteOf.reserve(room);
        q.startsOf.reserve(room);
    }
    if (q.byteOf.size() >= static_cast<std::size_t>(INT32_MAX))
        throw std::length_error("query too long to translate");
    q.nextOf.push_back(kNone);
    q.prevOf.push_back(kNone);
    q.byteOf.push_back(byte);
    q.startsOf.push_back(0);
    return NodeCount(q) - 1;
}

void Link(LinkedQuery& q, const std::string& text) {
    if (text.size() >= static_cast<std::size_t>(INT32_MAX) / 2)
        throw std::length_error("query too long to translate");
    const int size = static_cast<int>(text.size());
    q.originalSize = size;
    // Room for a few default prefixes in front without moving every node.
    const std::size_t room = text.size() + 4 * kDefaultPrefixLength;
    q.nextOf.reserve(room);
    q.prevOf.reserve(room);
    q.byteOf.reserve(room);
    q.startsOf.reserve(room);
    q.byteOf = text;
    q.nextOf.resize(text.size());
    q.prevOf.resize(text.size());
    for (int i = 0; i < size; ++i) {
        q.prevOf[i] = i - 1;
        q.nextOf[i] = i + 1 < size ? i + 1 : kNone;
    }
    if (size > 0) {
        q.head = 0;
        q.tail = size - 1;
    }
    // Counted first, so that each list takes just the room it needs.
    q.startsOf.assign(text.size(), 0);
    std::size_t count[kPatternCount] = {};
    const Patterns& patterns = ThePatterns();
    for (int i = 0; i < size; ++i) {
        q.startsOf[i] = FindStarts(q, i);
        const unsigned char byte = static_cast<unsigned char>(q.byteOf[i]);
        for (int slot = 0; (q.startsOf[i] >> slot) != 0; ++slot) {
            if (q.startsOf[i] & (1u << slot))
                ++count[patterns.startingWith[byte][slot]];
        }
    }
    for (int i = 0; i < kPatternCount; ++i)
        q.occurrences[i].initial.reserve(count[i]);
    for (int i = 0; i < size; ++i) {
        const unsigned char byte = static_cast<unsigned char>(q.byteOf[i]);
        for (int slot = 0; (q.startsOf[i] >> slot) != 0; ++slot) {
            if (q.startsOf[i] & (1u << slot))
                q.occurrences[patterns.startingWith[byte][slot]].initial.push_back(i);
        }
    }
}

bool StartsWith(const LinkedQuery& q, const char* prefix) {
    int node = q.head;
    for (const char* at = prefix; *at; ++at, node = q.nextOf[node]) {
        if (node == kNone || q.byteOf[node] != *at)
            return false;
    }
    return true;
}

int FindTargetAtFront(const LinkedQuery& q) {
    if (q.prefixInFront)
        return 0;
    if (q.byteOf[q.head] == '"')
        return 0;
    for (int row = 0; row < kTargetCount; ++row) {
        if (StartsWith(q, TargetTable[row].prefix))
            return row;
    }
    return 0;
}

void PrependDefaultPrefix(LinkedQuery& q) {
    for (std::size_t i = kDefaultPrefixLength; i-- > 0;) {
        const int node = AddNode(q, kDefaultPrefix[i]);
        q.nextOf[node] = q.head;
        if (q.head != kNone)
            q.prevOf[q.head] = node;
        else
            q.tail = node;
        q.head = node;
    }
    int node = q.head;
    for (std::size_t i = 0; i < kDefaultPrefixLength; ++i, node = q.nextOf[node])
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
        node = q.nextOf[node];
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
    const Joint joint{q.prevOf[first], q.nextOf[last]};
    for (int node = first;; node = q.nextOf[node]) {
        q.startsOf[node] = 0;
        if (node == last)
            break;
    }
    (joint.before != kNone ? q.nextOf[joint.before] : q.head) = joint.after;
    (joint.after != kNone ? q.prevOf[joint.after] : q.tail) = joint.before;
    RecheckBefore(q, joint.before);
    return joint;
}

bool IsSpace(const LinkedQuery& q, int node) {
    return node != kNone && q.byteOf[node] == ' ';
}

bool EndsALine(const LinkedQuery& q, int node) {
    return node == kNone || IsLineSeparator(q.byteOf[node]);
}

// The run of spaces at a joint goes when it starts or ends a line.
void TrimAt(LinkedQuery& q, Joint joint) {
    // The spaces on either side of the joint make one run.
    int first = IsSpace(q, joint.before) ? joint.before : joint.after;
    int last = IsSpace(q, joint.after) ? joint.after : joint.before;
    if (!IsSpace(q, first) || !IsSpace(q, last))
        return;
    while (IsSpace(q, q.prevOf[first]))
        first = q.prevOf[first];
    while (IsSpace(q, q.nextOf[last]))
        last = q.nextOf[last];
    if (EndsALine(q, q.prevOf[first]) || EndsALine(q, q.nextOf[last]))
        Cut(q, first, last);
}

// The first trim goes over the whole query, which may not have been trimmed.
void TrimAll(LinkedQuery& q) {
    for (int node = q.head; node != kNone;) {
        if (!IsSpace(q, node)) {
            node = q.nextOf[node];
            continue;
        }
        int last = node;
        while (IsSpace(q, q.nextOf[last]))
            last = q.nextOf[last];
        const int after = q.nextOf[last];
        if (EndsALine(q, q.prevOf[node]) || EndsALine(q, after))
            Cut(q, node, last);
        node = after;
    }
}

bool StillOccurs(const LinkedQuery& q, int pattern, int32_t key) {
    return (q.startsOf[NodeOf(q, key)] >> ThePatterns().pattern[pattern].slot) & 1;
}

int FirstOccurrence(LinkedQuery& q, int pattern) {
    Occurrences& found = q.occurrences[pattern];
    while (found.next < found.initial.size() && !StillOccurs(q, pattern, found.initial[found.next]))
        ++found.next;
    while (!found.later.empty() && !StillOccurs(q, pattern, *found.later.begin()))
        found.later.erase(found.later.begin());
    int32_t first = found.next < found.initial.size() ? found.initial[found.next] : INT32_MAX;
    if (!found.later.empty())
        first = std::min(first, *found.later.begin());
    return first == INT32_MAX ? kNone : NodeOf(q, first);
}

// The end of the phrase whose opening quote is `quote`, or kNone when the
// scan runs to the end of the query.
int PhraseEnd(const LinkedQuery& q, int quote) {
    for (int node = q.nextOf[quote]; node != kNone; node = q.nextOf[node]) {
        const char byte = q.byteOf[node];
        if (byte == '"')
            return node;
        if (byte == '\\' && (node = q.nextOf[node]) == kNone)
            return kNone;
    }
    return kNone;
}

std::size_t CountTo(const LinkedQuery& q, int first, int last) {
    std::size_t count = 1;
    for (int node = first; node != last; node = q.nextOf[node])
        ++count;
    return count;
}

int LastOfRun(const LinkedQuery& q, int node) {
    while (q.nextOf[node] != kNone && q.byteOf[q.nextOf[node]] != ' ')
        node = q.nextOf[node];
    return node;
}

// A term found in the query: its kind, and its bytes from `first` to `last`,
// of which the first `skip` (the prefix) are not part of its value.
struct Found {
    TermKind kind;
    int first;
    int last;
    std::size_t skip;
};

Found FindWord(const LinkedQuery& q, int first, std::size_t prefixLength) {
    return {TermKind::Word, first, LastOfRun(q, Advance(q, first, prefixLength)), prefixLength};
}

// Row 0 with the default prefix in front only in effect: the prefix would be
// the leftmost match's start unless a phrase for row 0 stands further on.
// Decides without making the prefix real, when it can; false when it cannot.
bool FindBehindDefaultPrefix(LinkedQuery& q, Found& found) {
    const int front = q.head;
    const int next = front == kNone ? kNone : q.nextOf[front];
    const bool phraseInFront = front != kNone && q.byteOf[front] == '"' && next != kNone && q.byteOf[next] != '"';
    if (phraseInFront) {
        const int end = front == q.unclosedQuote ? kNone : PhraseEnd(q, front);
        if (end != kNone) {
            found = {TermKind::Phrase, front, end, 0};
        } else {
            q.unclosedQuote = front;
            found = FindWord(q, front, 0);
        }
        return true;
    }
    if (FirstOccurrence(q, Patterns::PhrasePattern(0)) != kNone || front == kNone || q.byteOf[front] == ' ')
        return false;
    found = FindWord(q, front, 0);
    return true;
}

// The next term of the query; for NoTerm, the default prefix is put in front.
Found FindNextTerm(LinkedQuery& q, int row) {
    if (row == 0 && (q.prefixInFront || !StartsWith(q, kDefaultPrefix))) {
        Found found;
        if (FindBehindDefaultPrefix(q, found)) {
            q.prefixInFront = false;
            return found;
        }
        q.prefixInFront = true;
        MakePrefixReal(q);
    }

    if (row == kAttachRow) {
        const int at = FirstOccurrence(q, kAttachAllPattern);
        if (at != kNone) {
            const std::size_t length = std::strlen(kAttachAll);
            return {TermKind::AttachAll, at, Advance(q, at, length - 1), length};
        }
    }

    if (row == kFlagRow) {
        const std::size_t prefixLength = std::strlen(TargetTable[kFlagRow].prefix);
        return {TermKind::Flag, q.head, LastOfRun(q, Advance(q, q.head, prefixLength - 1)), prefixLength};
    }

    const std::size_t prefixLength = std::strlen(TargetTable[row].prefix);
    const int phrase = FirstOccurrence(q, Patterns::PhrasePattern(row));
    if (phrase != kNone) {
        const int quote = Advance(q, phrase, prefixLength);
        const int end = quote == q.unclosedQuote ? kNone : PhraseEnd(q, quote);
        if (end != kNone)
            return {TermKind::Phrase, phrase, end, prefixLength};
        q.unclosedQuote = quote;
    }

    const int word = FirstOccurrence(q, Patterns::WordPattern(row));
    if (word != kNone)
        return FindWord(q, word, prefixLength);

    // The prefix goes in front; it stays there in effect only.
    q.prefixInFront = true;
    return {TermKind::NoTerm, kNone, kNone, 0};
}

std::size_t ValueLength(const LinkedQuery& q, const Found& term) {
    return CountTo(q, term.first, term.last) - term.skip;
}

// Appends the term's value to `text`.
void CopyValue(const LinkedQuery& q, const Found& term, std::string& text) {
    int node = Advance(q, term.first, term.skip);
    if (term.skip > 0 && Advance(q, term.first, term.skip - 1) == term.last)
        return; // nothing after the prefix
    for (;; node = q.nextOf[node]) {
        text += q.byteOf[node];
        if (node == term.last)
            break;
    }
}

// The terms of a query as taken, one record after another: a tag (the kind
// and the row), the length of the text in base 128, then the text: a phrase
// as typed, a word as the encoder gave it, a flag's name. Kept this compact
// so that a long query's terms cost about what its bytes do.
class TermRecords {
public:
    explicit TermRecords(std::size_t expected) { data_.reserve(expected); }

    void Add(TermKind kind, int row, const char* text, std::size_t length) {
        Append(kind, row, length).append(text, length);
    }

    // Writes a record's tag and length; the caller appends its `length`
    // bytes of text to what this returns.
    std::string& Append(TermKind kind, int row, std::size_t length) {
        const std::size_t needed = data_.size() + 1 + 10 + length;
        if (needed > data_.capacity())
            data_.reserve(std::max(needed, data_.capacity() + data_.capacity() / 2));
        data_ += static_cast<char>(static_cast<int>(kind) * kTargetCount + row);
        for (std::size_t rest = length;; rest >>= 7) {
            data_ += static_cast<char>((rest & 0x7F) | (rest > 0x7F ? 0x80 : 0));
            if (rest <= 0x7F)
                break;
        }
        return data_;
    }

    // Calls visit(kind, row, text, length) for each record in order.
    template <typename Visit>
    void ForEach(Visit visit) const {
        for (std::size_t at = 0; at < data_.size();) {
            const int tag = static_cast<unsigned char>(data_[at++]);
            std::size_t length = 0;
            for (int shift = 0;; shift += 7) {
                const unsigned char byte = static_cast<unsigned char>(data_[at++]);
                length |= static_cast<std::size_t>(byte & 0x7F) << shift;
                if (!(byte & 0x80))
                    break;
            }
            visit(static_cast<TermKind>(tag / kTargetCount), tag % kTargetCount, data_.data() + at, length);
            at += length;
        }
    }

private:
    std::string data_;
};

// The fragments of the expression.
constexpr std::string_view kPhraseOpening = "(";
constexpr std::string_view kPhraseClosing = ",regular";
constexpr std::string_view kWordOpening = "(\"";
constexpr std::string_view kWordClosing = "\"";
constexpr std::string_view kJoin = "and";
constexpr std::string_view kFlagClauseOpening = "flag=";
constexpr std::string_view kFlagSeparator = "&";
constexpr std::string_view kAttachFlag = "attach";
constexpr std::string_view kHighlight = ",hilight=1";

std::string_view SubfolderOption(int scope) {
    return scope == kScopeWithSubfolders ? ",subfolder=1" : ",subfolder=0";
}

// What follows a condition's text: its target.
const std::string& TargetPart(int row) {
    static const std::vector<std::string> parts = [] {
        std::vector<std::string> made;
        for (int i = 0; i < kTargetCount; ++i)
            made.push_back(i == kAttachRow ? ",target=\"X-Attach\")" : std::string(",target=") + TargetTable[i].targetName + ")");
        return made;
    }();
    return parts[row];
}

// Takes every term off the query, in order; words are encoded as they come.
TermRecords TakeTerms(const std::string& query, WordEncoder encodeWord) {
    LinkedQuery q;
    Link(q, query);
    TermRecords records(query.size() + 16);
    std::string word; // reused: holds each word in turn, for the encoder
    std::string escaped;
    for (bool first = true; q.head != kNone || q.prefixInFront; first = false) {
        const int row = FindTargetAtFront(q);
        const Found term = FindNextTerm(q, row);
        Joint joint{kNone, kNone};
        if (term.kind != TermKind::NoTerm) {
            // Phrases and flags go straight into the records; a word first
            // to the encoder.
            const std::size_t length = ValueLength(q, term);
            if (term.kind == TermKind::Word) {
                word.clear();
                word.reserve(length);
                CopyValue(q, term, word);
            } else if (term.kind == TermKind::AttachAll) {
                records.Add(term.kind, row, kAttachFlag.data(), kAttachFlag.size());
            } else {
                CopyValue(q, term, records.Append(term.kind, row, length));
            }
            joint = Cut(q, term.first, term.last);
        }
        if (term.kind == TermKind::Word) {
            // A missing encoder, or one that gives no text, must not cost the
            // user the word or leave an unbalanced quote: escape it ourselves.
            // The encoder's text is copied before anything else is called.
            const char* encoded = encodeWord ? encodeWord(word.c_str()) : nullptr;
            if (!encoded) {
                escaped = EscapeWord(word);
                encoded = escaped.c_str();
            }
            records.Add(TermKind::Word, row, encoded, std::strlen(encoded));
        }
        if (first) {
            MakePrefixReal(q); // a space after it starts no line
            TrimAll(q);
        } else if (term.kind != TermKind::NoTerm) {
            TrimAt(q, joint);
        }
    }
    return records;
}

bool IsCondition(TermKind kind) {
    return kind == TermKind::Phrase || kind == TermKind::Word;
}

// The expression's exact length, so that it is allocated once.
std::size_t ExpressionLength(const TermRecords& records, int scope) {
    std::size_t conditions = 0;
    std::size_t flags = 0;
    std::size_t length = 0;
    records.ForEach([&](TermKind kind, int row, const char*, std::size_t textLength) {
        if (IsCondition(kind)) {
            length += conditions++ ? kJoin.size() : 0;
            length += kind == TermKind::Phrase ? kPhraseOpening.size() + kPhraseClosing.size()
                                               : kWordOpening.size() + kWordClosing.size();
            length += textLength + TargetPart(row).size();
        } else {
            length += (flags++ ? kFlagSeparator : kFlagClauseOpening).size() + textLength;
        }
    });
    if (flags && conditions)
        length += 1; // the comma before the flag clause
    return length + SubfolderOption(scope).size() + kHighlight.size();
}

} // namespace

// The terms are taken first, into records about the size of the query; the
// linked query is gone before the expression, whose length is then known,
// is allocated once. So a translation never holds much more than the query
// costs while it is cut up, or the expression and the records afterwards.
std::string TranslateQuery(const std::string& query, int scope, WordEncoder encodeWord) {
    const TermRecords records = TakeTerms(query, encodeWord);
    std::string expression;
    expression.reserve(ExpressionLength(records, scope));
    records.ForEach([&](TermKind kind, int row, const char* text, std::size_t length) {
        if (!IsCondition(kind))
            return;
        if (!expression.empty())
            expression += kJoin;
        expression += kind == TermKind::Phrase ? kPhraseOpening : kWordOpening;
        expression.append(text, length);
        expression += kind == TermKind::Phrase ? kPhraseClosing : kWordClosing;
        expression += TargetPart(row);
    });
    bool firstFlag = true;
    records.ForEach([&](TermKind kind, int, const char* text, std::size_t length) {
        if (IsCondition(kind))
            return;
        if (firstFlag && !expression.empty())
            expression += ',';
        expression += firstFlag ? kFlagClauseOpening : kFlagSeparator;
        expression.append(text, length);
        firstFlag = false;
    });
    expression += SubfolderOption(scope);
    expression += kHighlight;
    return expression;
}

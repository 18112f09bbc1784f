#include "query/term_finder.h"

namespace {

// Room for a few default prefixes in front without moving every node.
const std::size_t kSpareNodes = 4 * kDefaultPrefix.size();

// Cuts out `first` to `last` and looks again at the places before the joint.
Joint Cut(TermFinder& finder, int first, int last) {
    LinkedQuery& q = finder.query;
    if (finder.unclosedQuote != kNoNode && Key(q, last) >= Key(q, finder.unclosedQuote))
        finder.unclosedQuote = kNoNode;
    ForgetNodes(finder.index, q, first, last);
    const Joint joint = Unlink(q, first, last);
    RecheckBefore(finder.index, q, joint.before);
    return joint;
}

// The default prefix, in effect only so far, put in front for real.
void MakePrefixReal(TermFinder& finder) {
    if (!finder.prefixInFront)
        return;
    finder.prefixInFront = false;
    Prepend(finder.query, kDefaultPrefix);
    IndexAddedNodes(finder.index, finder.query, kDefaultPrefix.size());
}

// The closing quote of the phrase opened at `quote`; kNoNode when none closes
// it, which is remembered: no later quote can close one either, until the
// bytes after it change.
int ClosingQuote(TermFinder& finder, int quote) {
    if (quote == finder.unclosedQuote)
        return kNoNode;
    const LinkedQuery& q = finder.query;
    const int end = PhraseEnd(
        quote, kNoNode, [&](int node) { return q.nextOf[node]; }, [&](int node) { return q.byteOf[node]; });
    if (end == kNoNode)
        finder.unclosedQuote = quote;
    return end;
}

int FindTargetAtFront(const TermFinder& finder) {
    const LinkedQuery& q = finder.query;
    if (finder.prefixInFront)
        return kDefaultTarget;
    return FindTarget(q.byteOf[q.head] == kQuote, [&](std::string_view prefix) { return StartsWith(q, prefix); });
}

FoundTerm WordFrom(const LinkedQuery& q, int row, int first, std::size_t prefixLength) {
    return {TermKind::Word, row, first, LastOfRun(q, Advance(q, first, prefixLength)), prefixLength};
}

// With the default prefix in front only in effect, its match would start at
// the front unless a phrase for the default target stands further on.
// Decides without making the prefix real, when it can; false when it cannot.
bool FindBehindDefaultPrefix(TermFinder& finder, FoundTerm& found) {
    const LinkedQuery& q = finder.query;
    const int front = q.head;
    const int next = front == kNoNode ? kNoNode : q.nextOf[front];
    if (front != kNoNode && q.byteOf[front] == kQuote && next != kNoNode && OpensPhrase(q.byteOf[next])) {
        const int end = ClosingQuote(finder, front);
        found = end != kNoNode ? FoundTerm{TermKind::Phrase, kDefaultTarget, front, end, 0}
                               : WordFrom(q, kDefaultTarget, front, 0);
        return true;
    }
    if (FirstOccurrence(finder.index, q, PatternOf(kDefaultTarget, PatternShape::Phrase)) != kNoNode ||
        front == kNoNode || IsSeparator(q, front))
        return false;
    found = WordFrom(q, kDefaultTarget, front, 0);
    return true;
}

// The spaces on either side of the joint make one run, which goes when it
// starts or ends a line.
void TrimAt(TermFinder& finder, Joint joint) {
    const LinkedQuery& q = finder.query;
    int first = IsSeparator(q, joint.before) ? joint.before : joint.after;
    int last = IsSeparator(q, joint.after) ? joint.after : joint.before;
    if (!IsSeparator(q, first) || !IsSeparator(q, last))
        return;
    while (IsSeparator(q, q.prevOf[first]))
        first = q.prevOf[first];
    while (IsSeparator(q, q.nextOf[last]))
        last = q.nextOf[last];
    if (EndsALine(q, q.prevOf[first]) || EndsALine(q, q.nextOf[last]))
        Cut(finder, first, last);
}

void TrimAll(TermFinder& finder) {
    const LinkedQuery& q = finder.query;
    for (int node = q.head; node != kNoNode;) {
        if (!IsSeparator(q, node)) {
            node = q.nextOf[node];
            continue;
        }
        int last = node;
        while (IsSeparator(q, q.nextOf[last]))
            last = q.nextOf[last];
        const int after = q.nextOf[last];
        if (EndsALine(q, q.prevOf[node]) || EndsALine(q, after))
            Cut(finder, node, last);
        node = after;
    }
}

} // namespace

void StartFinding(TermFinder& finder, const std::string& query, Separators separators) {
    Link(finder.query, query, kSpareNodes, separators);
    IndexQuery(finder.index, finder.query);
}

bool HasTermsLeft(const TermFinder& finder) {
    return finder.query.head != kNoNode || finder.prefixInFront;
}

FoundTerm FindNextTerm(TermFinder& finder) {
    const int row = FindTargetAtFront(finder);
    const LinkedQuery& q = finder.query;
    if (row == kDefaultTarget && (finder.prefixInFront || !StartsWith(q, kDefaultPrefix))) {
        FoundTerm found;
        if (FindBehindDefaultPrefix(finder, found)) {
            finder.prefixInFront = false;
            return found;
        }
        finder.prefixInFront = true;
        MakePrefixReal(finder);
    }

    const TargetRule rule = TargetTable[row].rule;
    if (rule == TargetRule::AttachConditions) {
        const int at = FirstOccurrence(finder.index, q, PatternOf(row, PatternShape::AttachAll));
        if (at != kNoNode)
            return {TermKind::AttachAll, row, at, Advance(q, at, kAttachAll.size() - 1), kAttachAll.size()};
    }

    const std::size_t prefixLength = TargetTable[row].prefix.size();
    if (rule == TargetRule::FlagName)
        return {TermKind::Flag, row, q.head, LastOfRun(q, Advance(q, q.head, prefixLength - 1)), prefixLength};

    const int phrase = FirstOccurrence(finder.index, q, PatternOf(row, PatternShape::Phrase));
    if (phrase != kNoNode) {
        const int end = ClosingQuote(finder, Advance(q, phrase, prefixLength));
        if (end != kNoNode)
            return {TermKind::Phrase, row, phrase, end, prefixLength};
    }

    const int word = FirstOccurrence(finder.index, q, PatternOf(row, PatternShape::Word));
    if (word != kNoNode)
        return WordFrom(q, row, word, prefixLength);

    // The prefix goes in front; it stays there in effect only.
    finder.prefixInFront = true;
    return {TermKind::NoTerm, row, kNoNode, kNoNode, 0};
}

std::size_t ValueLength(const TermFinder& finder, const FoundTerm& term) {
    return CountTo(finder.query, term.first, term.last) - term.skip;
}

void CopyValue(const TermFinder& finder, const FoundTerm& term, std::string& text) {
    const LinkedQuery& q = finder.query;
    if (term.skip > 0 && Advance(q, term.first, term.skip - 1) == term.last)
        return; // nothing after the prefix
    // Only a phrase holds full-width spaces, whole: their bytes come back
    // two by two.
    bool secondByte = false;
    for (int node = Advance(q, term.first, term.skip);; node = q.nextOf[node]) {
        if (IsFullWidthSpaceByte(q, node)) {
            text += kFullWidthSpace[secondByte];
            secondByte = !secondByte;
        } else {
            text += q.byteOf[node];
        }
        if (node == term.last)
            break;
    }
}

void CutTerm(TermFinder& finder, const FoundTerm& term, bool firstTerm) {
    Joint joint{kNoNode, kNoNode};
    if (term.kind != TermKind::NoTerm)
        joint = Cut(finder, term.first, term.last);
    if (firstTerm) {
        MakePrefixReal(finder); // a space after it starts no line
        TrimAll(finder);
    } else if (term.kind != TermKind::NoTerm) {
        TrimAt(finder, joint);
    }
}

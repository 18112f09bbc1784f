// The query language: what the user types into the query field. Each of its
// rules has its home here; the translator only applies them. Portable: byte
// strings in the ANSI code page, no Win32.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// How the terms of a target are read.
enum class TargetRule {
    Conditions,       // a phrase or a word: a condition each
    AttachConditions, // the same, and the shorthand "attach:*" anywhere is the attach flag
    FlagName,         // the name up to the next separator: a flag, never a condition
};

struct TargetRow {
    std::string_view targetName;    // the mail client's keyword
    std::string_view prefix;        // what the user types: targetName and a colon
    std::string_view prefixPattern; // prefix as a regular-expression fragment
    std::string_view targetPart;    // what follows a condition's text in the expression
    TargetRule rule;
};

// Every target, in the order a query's front is tested against them. Adding
// one is adding a row here and its description in query/texts.txt
// (kTargetDescriptions, row for row); the translation, the suggestions, the
// reading, the reference translation and the fuzzer's tokens follow the
// table. The help's table of targets (help/VelmoroMailSearch.txt) is
// written by hand.
inline constexpr TargetRow TargetTable[] = {
    {"smallheaderbody", "smallheaderbody:", "smallheaderbody:", ",target=smallheaderbody)", TargetRule::Conditions},
    {"subject", "subject:", "subject:", ",target=subject)", TargetRule::Conditions},
    {"from+to", "from+to:", "from\\+to:", ",target=from+to)", TargetRule::Conditions},
    {"from", "from:", "from:", ",target=from)", TargetRule::Conditions},
    {"to", "to:", "to:", ",target=to)", TargetRule::Conditions},
    {"body", "body:", "body:", ",target=body)", TargetRule::Conditions},
    {"header", "header:", "header:", ",target=header)", TargetRule::Conditions},
    {"smallheader", "smallheader:", "smallheader:", ",target=smallheader)", TargetRule::Conditions},
    {"all", "all:", "all:", ",target=all)", TargetRule::Conditions},
    {"memo", "memo:", "memo:", ",target=memo)", TargetRule::Conditions},
    {"attach", "attach:", "attach:", ",target=\"X-Attach\")", TargetRule::AttachConditions},
    {"flag", "flag:", "flag:", "", TargetRule::FlagName},
};
inline constexpr int kTargetCount = static_cast<int>(sizeof TargetTable / sizeof *TargetTable);

// A term with no prefix searches the default target. Its prefix is put in
// front of a query whose front has none, and taken as the term's own.
inline constexpr int kDefaultTarget = 0;
inline constexpr std::string_view kDefaultPrefix = TargetTable[kDefaultTarget].prefix;

// The attach shorthand, and the flag it stands for.
inline constexpr std::string_view kAttachAll = "attach:*";
inline constexpr std::string_view kAttachFlag = "attach";

// The queries the plug-in answers itself, at the start of a query:
// "fav:name" (a favourite), "help:" alone (the help file) and
// "debug:expression" (an expression passed on untranslated).
inline constexpr std::string_view kFavoritePrefix = "fav:";
inline constexpr std::string_view kHelpQuery = "help:";
inline constexpr std::string_view kDebugPrefix = "debug:";

// What a term is: a phrase or a word (a condition each), the attach
// shorthand, or a flag. NoTerm: at the query's front nothing could be taken.
enum class TermKind { Phrase, Word, AttachAll, Flag, NoTerm };

// Terms are separated by spaces; runs of them at the start and the end of a
// line are trimmed away. Where the user asks for it, a full-width space
// (0x81 0x40, as the input method types it) separates terms too, but only
// where it stands as a whole character: never the second byte of another
// character followed by "@". In a phrase it is part of the phrase, as a
// space is.
inline constexpr char kSpace = ' ';
inline constexpr char kFullWidthSpace[] = "\x81\x40";

enum class Separators { Space, SpaceAndFullWidthSpace };

// For each byte of `text`, whether it is part of a full-width space that
// stands as a whole character.
std::vector<bool> FullWidthSpaceBytes(const std::string& text);

// Where the first separator of `text` stands, and how many bytes it has;
// npos and 0 when there is none.
struct SeparatorAt {
    std::size_t at;
    std::size_t length;
};
SeparatorAt FindSeparator(const std::string& text, Separators separators);

inline bool IsLineSeparator(char byte) {
    return byte == '\n' || byte == '\r' || byte == '\f';
}

// A phrase: a quote, one byte at least, and the first quote after it that no
// backslash escapes; a backslash escapes whatever byte follows it. A quote
// followed by another ("") opens no phrase: both become part of a word, as
// does an opening quote that is never closed.
inline constexpr char kQuote = '"';
inline constexpr char kEscape = '\\';

inline bool OpensPhrase(char byteAfterQuote) {
    return byteAfterQuote != kQuote;
}

// A phrase opens at a term's front or right after its target: `termBeforeQuote`
// is what the term holds before the quote.
inline bool PhraseMayOpen(std::string_view termBeforeQuote) {
    if (termBeforeQuote.empty())
        return true;
    for (const TargetRow& row : TargetTable) {
        if (row.prefix == termBeforeQuote)
            return true;
    }
    return false;
}

// The closing quote of the phrase whose opening quote is at `quote`, or `end`
// when none closes it. `next` steps from one position to the following one
// (giving `end` past the last), `byteAt` reads a position.
template <typename Position, typename Next, typename ByteAt>
Position PhraseEnd(Position quote, Position end, Next next, ByteAt byteAt) {
    for (Position at = next(quote); at != end; at = next(at)) {
        const char byte = byteAt(at);
        if (byte == kQuote)
            return at;
        if (byte == kEscape && (at = next(at)) == end)
            return end;
    }
    return end;
}

// The target of the term at a query's front: none (the default one) for a
// quote, else the first row whose prefix the query begins with.
// `startsWith(prefix)` tells whether the query begins with `prefix`.
template <typename StartsWith>
int FindTarget(bool frontIsQuote, StartsWith startsWith) {
    if (frontIsQuote)
        return kDefaultTarget;
    for (int row = 0; row < kTargetCount; ++row) {
        if (startsWith(TargetTable[row].prefix))
            return row;
    }
    return kDefaultTarget;
}

int FindTarget(const std::string& query);

// Removes the leading and trailing runs of separators, at every line start
// and end should the text hold line breaks: every run that follows the
// start or a line separator, or precedes the end or a line separator.
void TrimSpaces(std::string& text, Separators separators = Separators::Space);

// Whether `text` begins with `prefix`, byte for byte.
bool StartsWith(const std::string& text, std::string_view prefix);

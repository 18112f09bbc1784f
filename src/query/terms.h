// The query language: targets, trimming and cutting a query into terms.
// Portable: byte strings in the ANSI code page, no Win32.
#pragma once

#include <string>

struct TargetRow {
    const char* targetName;    // the mail client's keyword, written after "target="
    const char* prefix;        // what the user types: targetName followed by a colon
    const char* prefixPattern; // prefix as a regex fragment
};

constexpr int kTargetCount = 12;
constexpr int kAttachRow = 10;
constexpr int kFlagRow = 11;

// Row 0 is the default target.
extern const TargetRow TargetTable[kTargetCount];

enum class TermKind { Phrase, Word, AttachAll, Flag, NoTerm };

struct Term {
    TermKind kind;
    std::string value; // Phrase: with its quotes; Word; Flag name; empty otherwise
};

// Removes the leading and trailing runs of space bytes, at every line start
// and end should the text hold line breaks: every run of spaces that follows
// the start or a separator, or precedes the end or a separator.
void TrimSpaces(std::string& text);

// The row of the target prefix at the front of the query; 0 when none.
int FindTarget(const std::string& query);

// Whether `text` begins with `prefix`, byte for byte.
bool StartsWith(const std::string& text, const char* prefix);

// The separators of lines, at whose ends TrimSpaces trims too.
inline bool IsLineSeparator(char byte) {
    return byte == '\n' || byte == '\r' || byte == '\f';
}

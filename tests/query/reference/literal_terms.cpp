#include "literal_terms.h"

#include "query/word_escape.h"

#include <boost/regex.hpp>

#include <cstring>
#include <map>
#include <stdexcept>
#include <vector>

namespace {

// The C traits match the same bytes as the C++ ones for these case-sensitive,
// class-free patterns, without pulling the locale machinery into the DLL.
using Regex = boost::basic_regex<char, boost::c_regex_traits<char>>;
using Match = boost::match_results<std::string::const_iterator>;

// A non-capturing group: the capturing one runs out of backtracking stack on
// phrases of some tens of kilobytes, and its capture is never used.
const char kPhraseSuffix[] = "(?<!\\\\)\"(?:\\\\.|[^\\\\\"])+\"";
// The rows with rules of their own, by name: a row added to the table
// before them moves them.
int RowNamed(std::string_view name) {
    for (int row = 0; row < kTargetCount; ++row) {
        if (TargetTable[row].targetName == name)
            return row;
    }
    throw std::logic_error("no target row named " + std::string(name));
}
const int kAttachRow = RowNamed("attach");
const int kFlagRow = RowNamed("flag");

// The full-width space is taken as a separator through a stand-in byte:
// each one that is a whole character becomes a byte the query does not hold
// otherwise (and no prefix does), which the patterns then treat as they
// treat the space; what comes out gets the full-width space back. 0: the
// space alone separates.
const char kStandInCandidates[] = "\x01\x02\x03\x04\x05\x06\x07\x08\x0e\x0f\x10\x11\x12\x13\x14\x15\x16\x17\x18";

char ChooseStandIn(const std::string& query, Separators separators) {
    if (separators == Separators::Space)
        return 0;
    for (const char* candidate = kStandInCandidates; *candidate; ++candidate) {
        if (query.find(*candidate) == std::string::npos)
            return *candidate;
    }
    throw std::runtime_error("no byte left to stand in for the full-width space");
}

// The separator bytes, as they stand in a character class.
std::string SeparatorSet(char standIn) {
    return standIn ? std::string(" ") + standIn : std::string(" ");
}

std::string WithStandIn(const std::string& text, char standIn) {
    if (!standIn)
        return text;
    const std::vector<bool> fullWidth = FullWidthSpaceBytes(text);
    std::string replaced;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (fullWidth[at]) {
            replaced += standIn; // for both of its bytes
            ++at;
        } else {
            replaced += text[at];
        }
    }
    return replaced;
}

std::string WithoutStandIn(const std::string& text, char standIn) {
    std::string restored;
    for (const char byte : text) {
        if (standIn && byte == standIn)
            restored += kFullWidthSpace;
        else
            restored += byte;
    }
    return restored;
}

struct TermPatterns {
    Regex phrase[kTargetCount];
    Regex word[kTargetCount];
    Regex leadingSpaces;
    Regex trailingSpaces;
    std::string separators;

    explicit TermPatterns(char standIn) : separators(SeparatorSet(standIn)) {
        const std::string wordSuffix = "([^\"" + separators + "]{0,1}[^" + separators + "]+)";
        for (int row = 0; row < kTargetCount; ++row) {
            phrase[row].assign(std::string(TargetTable[row].prefixPattern) + kPhraseSuffix);
            word[row].assign(std::string(TargetTable[row].prefixPattern) + wordSuffix);
        }
        leadingSpaces.assign("^[" + separators + "]+");
        trailingSpaces.assign("[" + separators + "]+$");
    }
};

// Compiled once per process and stand-in, on first use.
const TermPatterns& Patterns(char standIn = 0) {
    static std::map<char, TermPatterns> patterns;
    auto found = patterns.find(standIn);
    if (found == patterns.end())
        found = patterns.emplace(standIn, TermPatterns(standIn)).first;
    return found->second;
}

bool HasLineSeparator(const std::string& text) {
    return text.find_first_of("\n\r\f") != std::string::npos;
}

void RemoveAllMatches(std::string& text, const Regex& pattern) {
    text = boost::regex_replace(text, pattern, "", boost::format_all);
}

void TrimWith(std::string& text, const TermPatterns& patterns) {
    // The anchors also hold at line starts and ends; without a line break a
    // match can only stand at the very front or back, which is cheap to see.
    const bool multiLine = HasLineSeparator(text);
    if (multiLine || (!text.empty() && patterns.separators.find(text.front()) != std::string::npos))
        RemoveAllMatches(text, patterns.leadingSpaces);
    if (multiLine || (!text.empty() && patterns.separators.find(text.back()) != std::string::npos))
        RemoveAllMatches(text, patterns.trailingSpaces);
}

Term TakeTermWith(std::string& query, int row, const TermPatterns& patterns) {
    if (row == 0 && !StartsWith(query, kDefaultPrefix))
        query.insert(0, kDefaultPrefix);

    if (row == kAttachRow) {
        const std::string::size_type at = query.find(kAttachAll);
        if (at != std::string::npos) {
            query.erase(at, kAttachAll.size());
            return {TermKind::AttachAll, {}};
        }
    }

    if (row == kFlagRow) {
        query.erase(0, TargetTable[kFlagRow].prefix.size());
        const std::string::size_type space = query.find_first_of(patterns.separators);
        std::string name;
        if (space == std::string::npos) {
            name.swap(query);
        } else {
            name = query.substr(0, space);
            query.erase(0, space);
        }
        return {TermKind::Flag, name};
    }

    Match match;
    TermKind kind = TermKind::Phrase;
    if (!boost::regex_search(query, match, patterns.phrase[row])) {
        kind = TermKind::Word;
        if (!boost::regex_search(query, match, patterns.word[row])) {
            query.insert(0, kDefaultPrefix);
            return {TermKind::NoTerm, {}};
        }
    }

    const std::string matched = match.str(0);
    const std::string::size_type prefixLength = TargetTable[row].targetName.size() + 1;
    // The first occurrence of the matched text is the match itself.
    query.erase(query.find(matched), matched.size());
    return {kind, matched.substr(prefixLength)};
}

void AppendTarget(std::string& expression, int row) {
    expression += row == kAttachRow ? ",target=\"X-Attach\")" : ",target=" + std::string(TargetTable[row].targetName) + ")";
}

} // namespace

void ReferenceTrimSpaces(std::string& text, Separators separators) {
    const char standIn = ChooseStandIn(text, separators);
    text = WithStandIn(text, standIn);
    TrimWith(text, Patterns(standIn));
    text = WithoutStandIn(text, standIn);
}

Term ReferenceTakeTerm(std::string& query, int row) {
    return TakeTermWith(query, row, Patterns());
}

std::string ReferenceTranslateQuery(const std::string& original, int scope, WordEncoder encodeWord,
                                    Separators separators) {
    const char standIn = ChooseStandIn(original, separators);
    const TermPatterns& patterns = Patterns(standIn);
    std::string query = WithStandIn(original, standIn);
    std::string expression;
    std::string flagClause;
    while (!query.empty()) {
        const int row = FindTarget(query);
        const Term term = TakeTermWith(query, row, patterns);
        if (term.kind == TermKind::Phrase || term.kind == TermKind::Word) {
            if (!expression.empty() && expression.back() == ')')
                expression += "and";
            if (term.kind == TermKind::Phrase) {
                expression += "(" + WithoutStandIn(term.value, standIn) + ",regular";
            } else {
                const char* encoded = encodeWord ? encodeWord(term.value.c_str()) : nullptr;
                expression += "(\"" + (encoded ? std::string(encoded) : EscapeWord(term.value)) + "\"";
            }
            AppendTarget(expression, row);
        } else if (term.kind == TermKind::AttachAll || term.kind == TermKind::Flag) {
            flagClause += flagClause.empty() ? "flag=" : "&";
            flagClause += term.kind == TermKind::AttachAll ? "attach" : term.value;
        }
        TrimWith(query, patterns);
    }
    if (!flagClause.empty())
        expression += (expression.empty() ? "" : ",") + flagClause;
    expression += scope == kScopeWithSubfolders ? ",subfolder=1" : ",subfolder=0";
    return expression + ",hilight=1";
}

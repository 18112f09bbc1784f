#include "literal_terms.h"

#include "query/word_escape.h"

#include <boost/regex.hpp>

#include <cstring>

namespace {

// The C traits match the same bytes as the C++ ones for these case-sensitive,
// class-free patterns, without pulling the locale machinery into the DLL.
using Regex = boost::basic_regex<char, boost::c_regex_traits<char>>;
using Match = boost::match_results<std::string::const_iterator>;

// A non-capturing group: the capturing one runs out of backtracking stack on
// phrases of some tens of kilobytes, and its capture is never used.
const char kPhraseSuffix[] = "(?<!\\\\)\"(?:\\\\.|[^\\\\\"])+\"";
const char kWordSuffix[] = "([^\" ]{0,1}[^ ]+)";
const int kAttachRow = 10;
const int kFlagRow = 11;

struct TermPatterns {
    Regex phrase[kTargetCount];
    Regex word[kTargetCount];
    Regex leadingSpaces{"^ +"};
    Regex trailingSpaces{" +$"};

    TermPatterns() {
        for (int row = 0; row < kTargetCount; ++row) {
            phrase[row].assign(std::string(TargetTable[row].prefixPattern) + kPhraseSuffix);
            word[row].assign(std::string(TargetTable[row].prefixPattern) + kWordSuffix);
        }
    }
};

// Compiled once per process, on first use.
const TermPatterns& Patterns() {
    static const TermPatterns patterns;
    return patterns;
}

bool HasLineSeparator(const std::string& text) {
    return text.find_first_of("\n\r\f") != std::string::npos;
}

void RemoveAllMatches(std::string& text, const Regex& pattern) {
    text = boost::regex_replace(text, pattern, "", boost::format_all);
}

} // namespace

void ReferenceTrimSpaces(std::string& text) {
    // The anchors also hold at line starts and ends; without a line break a
    // match can only stand at the very front or back, which is cheap to see.
    const bool multiLine = HasLineSeparator(text);
    if (multiLine || (!text.empty() && text.front() == ' '))
        RemoveAllMatches(text, Patterns().leadingSpaces);
    if (multiLine || (!text.empty() && text.back() == ' '))
        RemoveAllMatches(text, Patterns().trailingSpaces);
}

Term ReferenceTakeTerm(std::string& query, int row) {
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
        const std::string::size_type space = query.find(' ');
        std::string name;
        if (space == std::string::npos) {
            name.swap(query);
        } else {
            name = query.substr(0, space);
            query.erase(0, space);
        }
        return {TermKind::Flag, name};
    }

    const TermPatterns& patterns = Patterns();
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

namespace {

void AppendTarget(std::string& expression, int row) {
    expression += row == kAttachRow ? ",target=\"X-Attach\")" : ",target=" + std::string(TargetTable[row].targetName) + ")";
}

} // namespace

std::string ReferenceTranslateQuery(const std::string& original, int scope, WordEncoder encodeWord) {
    std::string query = original;
    std::string expression;
    std::string flagClause;
    while (!query.empty()) {
        const int row = FindTarget(query);
        const Term term = ReferenceTakeTerm(query, row);
        if (term.kind == TermKind::Phrase || term.kind == TermKind::Word) {
            if (!expression.empty() && expression.back() == ')')
                expression += "and";
            if (term.kind == TermKind::Phrase) {
                expression += "(" + term.value + ",regular";
            } else {
                const char* encoded = encodeWord ? encodeWord(term.value.c_str()) : nullptr;
                expression += "(\"" + (encoded ? std::string(encoded) : EscapeWord(term.value)) + "\"";
            }
            AppendTarget(expression, row);
        } else if (term.kind == TermKind::AttachAll || term.kind == TermKind::Flag) {
            flagClause += flagClause.empty() ? "flag=" : "&";
            flagClause += term.kind == TermKind::AttachAll ? "attach" : term.value;
        }
        ReferenceTrimSpaces(query);
    }
    if (!flagClause.empty())
        expression += (expression.empty() ? "" : ",") + flagClause;
    expression += scope == kScopeWithSubfolders ? ",subfolder=1" : ",subfolder=0";
    return expression + ",hilight=1";
}

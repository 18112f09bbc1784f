#include "query/expression.h"

#include "query/scope.h"

#include <string_view>

namespace {

constexpr std::string_view kPhraseOpening = "(";
constexpr std::string_view kPhraseClosing = ",regular";
constexpr std::string_view kWordOpening = "(\"";
constexpr std::string_view kWordClosing = "\"";
constexpr std::string_view kJoin = "and";
constexpr std::string_view kFlagsAfterConditions = ",";
constexpr std::string_view kFlagClauseOpening = "flag=";
constexpr std::string_view kFlagSeparator = "&";
constexpr std::string_view kHighlight = ",hilight=1";

std::string_view SubfolderOption(int scope) {
    return scope == kScopeWithSubfolders ? ",subfolder=1" : ",subfolder=0";
}

bool IsCondition(TermKind kind) {
    return kind == TermKind::Phrase || kind == TermKind::Word;
}

// The expression's layout, fragment by fragment, to `out`: one function,
// so that counting its length and writing it cannot disagree.
template <typename Out>
void LayOut(const TermRecords& terms, int scope, Out& out) {
    bool anyCondition = false;
    bool anyFlag = false;
    terms.ForEach([&](TermKind kind, int row, std::string_view text) {
        if (!IsCondition(kind)) {
            anyFlag = true;
            return;
        }
        if (anyCondition)
            out(kJoin);
        anyCondition = true;
        const bool phrase = kind == TermKind::Phrase;
        out(phrase ? kPhraseOpening : kWordOpening);
        out(text);
        out(phrase ? kPhraseClosing : kWordClosing);
        out(TargetTable[row].targetPart);
    });
    // The flags, wherever they stood, after every condition.
    bool firstFlag = true;
    if (anyFlag) {
        terms.ForEach([&](TermKind kind, int, std::string_view name) {
            if (IsCondition(kind))
                return;
            if (firstFlag && anyCondition)
                out(kFlagsAfterConditions);
            out(firstFlag ? kFlagClauseOpening : kFlagSeparator);
            out(name);
            firstFlag = false;
        });
    }
    out(SubfolderOption(scope));
    out(kHighlight);
}

} // namespace

// The length is counted first, so that the expression is allocated once.
std::string WriteExpression(const TermRecords& terms, int scope) {
    std::size_t length = 0;
    auto count = [&](std::string_view fragment) { length += fragment.size(); };
    LayOut(terms, scope, count);
    std::string expression;
    expression.reserve(length);
    auto write = [&](std::string_view fragment) { expression += fragment; };
    LayOut(terms, scope, write);
    return expression;
}

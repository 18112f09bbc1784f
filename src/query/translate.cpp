#include "query/translate.h"

#include "query/terms.h"
#include "query/word_escape.h"

namespace {

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

    while (!query.empty()) {
        const int row = FindTarget(query);
        const Term term = TakeTerm(query, row);
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
        TrimSpaces(query);
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

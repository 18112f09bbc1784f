// The query language's operations exactly as defined, step by step, with the
// Boost.Regex patterns: the reference the fast translation must agree with,
// byte for byte, on every input.
#pragma once

#include "query/language.h"
#include "query/translate.h"

#include <string>

// What ReferenceTakeTerm takes: its kind, and its value (a phrase with its
// quotes, a word, a flag's name; empty otherwise).
struct Term {
    TermKind kind;
    std::string value;
};

void ReferenceTrimSpaces(std::string& text, Separators separators = Separators::Space);
Term ReferenceTakeTerm(std::string& query, int row);
std::string ReferenceTranslateQuery(const std::string& query, int scope, WordEncoder encodeWord,
                                    Separators separators = Separators::Space);

// Turns a confirmed query and the selected scope into the mail client's
// search-condition expression.
#pragma once

#include "query/language.h"
#include "query/scope.h"

#include <string>

// The form of the host's word encoder: takes a zero-terminated byte string and
// returns one that the encoder owns (copied at once, never freed).
using WordEncoder = const char* (*)(const char* word);

class TermRecords;

// Every term of the query, in the order taken, as the expression is written
// from them: phrases as typed, words as `encodeWord` gives them (a missing
// encoder, or one that gives no text, escapes them itself), flag names.
TermRecords TakeQueryTerms(const std::string& query, WordEncoder encodeWord, Separators separators);

// Full-width spaces separate terms only when `separators` says so.
std::string TranslateQuery(const std::string& query, int scope, WordEncoder encodeWord,
                           Separators separators = Separators::Space);

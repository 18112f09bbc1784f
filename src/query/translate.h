// Turns a confirmed query and the selected scope into the mail client's
// search-condition expression.
#pragma once

#include <string>

// The form of the host's word encoder: takes a zero-terminated byte string and
// returns one that the encoder owns (copied at once, never freed).
using WordEncoder = const char* (*)(const char* word);

constexpr int kScopeCurrentFolder = 1001;
constexpr int kScopeWithSubfolders = 1002;
constexpr int kScopeCurrentAccount = 1003;
constexpr int kScopeAllAccounts = 1004;

std::string TranslateQuery(std::string query, int scope, WordEncoder encodeWord);

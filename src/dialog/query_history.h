// The list of past queries, newest first. Unbounded in memory; its first 20
// positions are what the settings file keeps. Portable.
#pragma once

#include <string>
#include <vector>

using QueryHistory = std::vector<std::string>;

constexpr std::size_t kSavedHistoryEntries = 20;

// "history" followed by the number in decimal: the settings key of a position.
std::string HistoryKey(std::size_t number);

// Puts a confirmed query at the front and blanks every later entry equal to an
// earlier one; blanked entries keep their positions.
void InsertQuery(QueryHistory& history, const std::string& query);

// The texts to save under history0, history1, ... in that order: the entries
// among the first 20 positions that are neither blank nor too long for the
// settings file. Those are left out before the rest are numbered, so that no
// key keeps an older text in a place the next process would load it.
std::vector<std::string> EntriesToSave(const QueryHistory& history);

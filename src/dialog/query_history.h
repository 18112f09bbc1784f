// The list of past queries, newest first, each query once. Portable.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

using QueryHistory = std::vector<std::string>;

// Puts a confirmed query at the front, taking it from where it stood if it
// was there already, and keeps the newest `kept` entries.
void InsertQuery(QueryHistory& history, const std::string& query, std::size_t kept);

// Each query once, at its first place, and no empty entries: a file written
// by an earlier version may hold a query twice.
void KeepFirstOfEach(QueryHistory& history);

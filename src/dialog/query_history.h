// The list of past queries, newest first. Unbounded in memory; the settings
// file keeps its first positions. Portable.
#pragma once

#include <string>
#include <vector>

using QueryHistory = std::vector<std::string>;

// Puts a confirmed query at the front and blanks every later entry equal to an
// earlier one; blanked entries keep their positions.
void InsertQuery(QueryHistory& history, const std::string& query);

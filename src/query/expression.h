// The mail client's search-condition expression, written from the terms.
#pragma once

#include "query/term_records.h"

#include <string>

// The conditions joined by "and", the flag clause, the subfolder option of
// the scope and the highlight option.
std::string WriteExpression(const TermRecords& terms, int scope);

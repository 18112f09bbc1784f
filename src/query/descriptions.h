// What the targets search, in the words the help uses (src/query/texts.txt),
// row for row with TargetTable: for the suggestion list and the reading of
// a query alike.
#pragma once

#include "query/language.h"
#include "query/texts.h"

#include <iterator>

static_assert(std::size(kTargetDescriptions) == static_cast<std::size_t>(kTargetCount),
              "a description for every target");

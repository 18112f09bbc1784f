// The queries the plug-in answers itself, read from a query's text: "fav:"
// (favourites), "help:" (the help file) and "debug:" (a raw expression).
#pragma once

#include "query/language.h"

#include <optional>
#include <string>

// What a confirmed query asks for.
struct QueryRequest {
    enum Kind {
        Search,         // translate `text` and search
        RawExpression,  // search with `text` as the expression, untranslated
        OpenHelp,       // open the help file
        RecallFavorite, // search the favourite named `text`
        StoreFavorite,  // store `value` under the name `text`; no value deletes it
        Done,           // nothing more
    } kind;
    std::string text;
    std::optional<std::string> value;
};

// What the trimmed query asks for, by its text: "fav:name" recalls the
// favourite, "fav:name text" stores it and "fav:name \"\"" deletes it (the name
// ends at the first separator; with the separator right after the colon it
// is an ordinary query), "help:" alone opens the help, "debug:expression"
// passes the expression on. Anything else is searched.
QueryRequest ReadQueryRequest(const std::string& query, Separators separators);

// "help:" and "debug:" of a query that is no favourite's (a typed query's,
// or a recalled favourite's text); anything else is searched.
QueryRequest ReadOtherCommands(std::string query);

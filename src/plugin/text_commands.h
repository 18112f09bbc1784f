// The queries the plug-in answers itself: "fav:" (favourites), "help:" (the
// help file) and "debug:" (a raw expression).
#pragma once

#include "query/language.h"

#include <string>

struct SearchSession;

// What a confirmed query asks for once the text commands have had their turn.
struct QueryRequest {
    enum Kind {
        Search,        // translate `text` and search
        RawExpression, // search with `text` as the expression, untranslated
        OpenHelp,      // open the help file
        Done,          // nothing more (a favourite was stored or deleted)
    } kind;
    std::string text;
};

// For the trimmed query: "fav:name" recalls the favourite (its text is then
// searched, trimmed as a typed query is; a name never stored searches
// nothing and says which names are), "fav:name text" stores it and
// "fav:name """ deletes it (each saying so where the file cannot take it),
// "help:" alone opens the help, "debug:expression" passes the expression
// on. Anything else is searched. The name ends at the first separator.
QueryRequest RunTextCommands(SearchSession& session, std::string query, Separators separators);

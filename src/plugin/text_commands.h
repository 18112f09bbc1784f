// What the queries the plug-in answers itself do: "fav:" (favourites),
// "help:" (the help file) and "debug:" (a raw expression).
#pragma once

#include "query/commands.h"
#include "query/language.h"
#include "settings/profile_text.h"

#include <optional>
#include <string>

struct SaveResult;
struct SearchSession;

// For a favourite to store: whether it is refused, which says why (a name
// the file cannot hold as a key, a text too long to come back whole).
bool RefuseFavorite(SearchSession& session, const QueryRequest& request);

// The change that stores the favourite, or deletes it; saved so that it asks
// first (it never replaces another text the name holds).
ProfileChange FavoriteChange(const QueryRequest& request);

// Once the favourite's change is saved: tells that it is stored, or deleted
// (with what it held), or that there was nothing to delete; where the name
// holds another text, asks whether to replace it and, on Yes, does.
void AnswerFavoriteSaved(SearchSession& session, const QueryRequest& request, const SaveResult& saved);

// That the favourite could not be saved, and why. Memory running out throws
// instead.
void TellFavoriteNotSaved(SearchSession& session, const SaveResult& saved);

// The favourite named `name`: its text, trimmed as a typed query is, and
// what that asks for ("help:" and "debug:" too). A name never stored (or
// none) searches nothing and says which names are. Memory running out
// throws: "fav:name" is never searched as it stands.
QueryRequest RecallFavorite(SearchSession& session, const std::string& name, Separators separators);

#include "plugin/text_commands.h"

#include "plugin/messages.h"
#include "plugin/session.h"
#include "query/language.h"
#include "settings/schema.h"
#include "settings/settings_file.h"
#include "settings/stored_value.h"

#include <optional>

namespace {

const std::string kFavoritePrefix = "fav:";
const std::string kHelpQuery = "help:";
const std::string kDebugPrefix = "debug:";
const std::string kDeleteFavorite = "\"\"";

// "fav:name" recalls, "fav:name text" stores, "fav:name """ deletes; with the
// space right after the colon it is an ordinary query.
QueryRequest RunFavoriteCommand(SearchSession& session, std::string query) {
    const std::string::size_type space = query.find(' ');
    const std::string::size_type nameStart = kFavoritePrefix.size();
    if (space == std::string::npos) {
        // Only a value that cannot be read at all (no memory) leaves the
        // query as it is.
        if (session.settings) {
            if (std::optional<std::string> stored = RecallFavorite(*session.settings, query.substr(nameStart)))
                query = std::move(*stored);
        }
        return {QueryRequest::Search, query};
    }
    if (space == nameStart)
        return {QueryRequest::Search, query};
    const std::string name = query.substr(nameStart, space - nameStart);
    const std::string text = query.substr(space + 1);
    const std::optional<std::string> value = text == kDeleteFavorite ? std::nullopt : std::optional<std::string>(text);
    if (!CanStoreKeyName(name))
        ShowMessage(kBadFavoriteNameMessage);
    else if (value && !CanStoreValue(text))
        ShowMessage(kFavoriteTooLongMessage);
    else if (!session.settings || !StoreFavorite(*session.settings, name, value))
        ShowMessage(std::string(kFavoriteNotSavedMessage) + "\n" + (session.settings ? session.settings->Path() : ""));
    return {QueryRequest::Done, {}};
}

} // namespace

QueryRequest RunTextCommands(SearchSession& session, std::string query) {
    if (StartsWith(query, kFavoritePrefix)) {
        const QueryRequest request = RunFavoriteCommand(session, std::move(query));
        if (request.kind == QueryRequest::Done)
            return request;
        query = request.text;
    }
    if (query == kHelpQuery)
        return {QueryRequest::OpenHelp, {}};
    if (StartsWith(query, kDebugPrefix))
        return {QueryRequest::RawExpression, query.substr(kDebugPrefix.size())};
    return {QueryRequest::Search, std::move(query)};
}

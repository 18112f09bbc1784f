#include "plugin/text_commands.h"

#include "plugin/messages.h"
#include "plugin/session.h"
#include "query/language.h"
#include "settings/schema.h"
#include "settings/settings_file.h"
#include "settings/stored_value.h"

#include <optional>
#include <vector>

namespace {

const std::string kFavoritePrefix = "fav:";
const std::string kHelpQuery = "help:";
const std::string kDebugPrefix = "debug:";
const std::string kDeleteFavorite = "\"\"";

// "fav:name" recalls, "fav:name text" stores, "fav:name """ deletes; with the
// separator right after the colon it is an ordinary query.
QueryRequest RunFavoriteCommand(SearchSession& session, const std::string& query, Separators separators) {
    const SeparatorAt separator = FindSeparator(query, separators);
    const std::string::size_type nameStart = kFavoritePrefix.size();
    if (separator.at == std::string::npos) {
        const std::string name = query.substr(nameStart);
        const std::optional<std::string> stored =
            session.settings && !name.empty() ? RecallFavorite(*session.settings, name) : std::string();
        // Only a value that cannot be read at all (no memory) leaves the
        // query as it is.
        if (!stored)
            return {QueryRequest::Search, query};
        if (stored->empty()) {
            ShowMessage(session,
                        UnknownFavoriteMessage(
                            name, session.settings ? FavoriteNames(*session.settings) : std::vector<std::string>()),
                        MessageKind::Answer);
            return {QueryRequest::Done, {}};
        }
        std::string recalled = *stored;
        TrimSpaces(recalled, separators);
        return {QueryRequest::Search, recalled};
    }
    if (separator.at == nameStart)
        return {QueryRequest::Search, query};
    const std::string name = query.substr(nameStart, separator.at - nameStart);
    const std::string text = query.substr(separator.at + separator.length);
    const std::optional<std::string> value = text == kDeleteFavorite ? std::nullopt : std::optional<std::string>(text);
    if (!CanStoreKeyName(name)) {
        ShowMessage(session, kBadFavoriteNameMessage, MessageKind::Warning);
    } else if (value && !CanStoreValue(text)) {
        ShowMessage(session, kFavoriteTooLongMessage, MessageKind::Warning);
    } else if (!session.settings) {
        ShowMessage(session, kFavoriteNotSavedMessage, MessageKind::Warning);
    } else if (const SaveResult saved = StoreFavorite(*session.settings, name, value); !saved) {
        ShowMessage(session, std::string(kFavoriteNotSavedMessage) + "\n" + SaveFailureText(saved, session.settings->Path()),
                    MessageKind::Warning);
    }
    return {QueryRequest::Done, {}};
}

} // namespace

QueryRequest RunTextCommands(SearchSession& session, std::string query, Separators separators) {
    if (StartsWith(query, kFavoritePrefix)) {
        const QueryRequest request = RunFavoriteCommand(session, query, separators);
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

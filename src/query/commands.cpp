#include "query/commands.h"

namespace {

const std::string kDeleteFavorite = "\"\"";

} // namespace

QueryRequest ReadOtherCommands(std::string query) {
    if (query == kHelpQuery)
        return {QueryRequest::OpenHelp, {}, {}};
    if (StartsWith(query, kDebugPrefix))
        return {QueryRequest::RawExpression, query.substr(kDebugPrefix.size()), {}};
    return {QueryRequest::Search, std::move(query), {}};
}

QueryRequest ReadQueryRequest(const std::string& query, Separators separators) {
    if (!StartsWith(query, kFavoritePrefix))
        return ReadOtherCommands(query);
    const SeparatorAt separator = FindSeparator(query, separators);
    const std::string::size_type nameStart = kFavoritePrefix.size();
    if (separator.at == std::string::npos)
        return {QueryRequest::RecallFavorite, query.substr(nameStart), {}};
    if (separator.at == nameStart)
        return ReadOtherCommands(query);
    const std::string text = query.substr(separator.at + separator.length);
    return {QueryRequest::StoreFavorite, query.substr(nameStart, separator.at - nameStart),
            text == kDeleteFavorite ? std::nullopt : std::optional<std::string>(text)};
}

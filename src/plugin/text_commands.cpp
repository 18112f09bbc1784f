#include "plugin/text_commands.h"

#include "plugin/messages.h"
#include "plugin/session.h"
#include "query/language.h"
#include "settings/schema.h"
#include "settings/settings_file.h"
#include "settings/stored_value.h"

#include <new>
#include <optional>
#include <vector>

namespace {

std::vector<std::string> StoredNames(const SearchSession& session) {
    return session.settings ? FavoriteNames(*session.settings) : std::vector<std::string>();
}

std::string SettingsPath(const SearchSession& session) {
    return session.settings ? session.settings->Path() : std::string();
}

} // namespace

bool RefuseFavorite(SearchSession& session, const QueryRequest& request) {
    if (!CanStoreKeyName(request.text))
        ShowMessage(session, kBadFavoriteNameMessage, MessageKind::Warning);
    else if (request.value && !CanStoreValue(*request.value))
        ShowMessage(session, kFavoriteTooLongMessage, MessageKind::Warning);
    else
        return false;
    return true;
}

ProfileChange FavoriteChange(const QueryRequest& request) {
    return FavoriteStored(request.text, request.value);
}

void AnswerFavoriteSaved(SearchSession& session, const QueryRequest& request, const SaveResult& saved) {
    const std::string& name = request.text;
    if (!request.value) {
        if (saved.previous && !saved.previous->empty())
            ShowMessage(session, FavoriteDeletedMessage(name, *saved.previous), MessageKind::Answer);
        else
            ShowMessage(session, NothingToDeleteMessage(name, StoredNames(session), SettingsPath(session)),
                        MessageKind::Answer);
        return;
    }
    if (!saved.keptPrevious) {
        ShowMessage(session, FavoriteStoredMessage(name, *request.value), MessageKind::Answer);
        return;
    }
    if (!saved.previous || !AskToReplace(session, FavoriteReplaceQuestion(name, *saved.previous, *request.value)))
        return;
    SettingsFile& settings = *session.settings;
    if (const SaveResult replaced = StoreFavorite(settings, name, request.value); !replaced)
        TellFavoriteNotSaved(session, replaced);
}

void TellFavoriteNotSaved(SearchSession& session, const SaveResult& saved) {
    if (saved.failure == SaveFailure::OutOfMemory)
        throw std::bad_alloc();
    const std::string path = SettingsPath(session);
    ShowMessage(session, std::string(kFavoriteNotSavedMessage) + "\n" + SaveFailureText(saved, path),
                MessageKind::Warning);
}

QueryRequest RecallFavorite(SearchSession& session, const std::string& name, Separators separators) {
    const std::optional<std::string> stored =
        session.settings && !name.empty() ? RecallFavorite(*session.settings, name) : std::string();
    if (!stored)
        throw std::bad_alloc();
    if (stored->empty()) {
        ShowMessage(session, UnknownFavoriteMessage(name, StoredNames(session), SettingsPath(session)),
                    MessageKind::Answer);
        return {QueryRequest::Done, {}, {}};
    }
    std::string recalled = *stored;
    TrimSpaces(recalled, separators);
    return ReadOtherCommands(std::move(recalled));
}

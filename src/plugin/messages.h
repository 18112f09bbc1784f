// What the user is told, in message boxes: the texts, in Shift_JIS, and
// the boxes.
#pragma once

#include <string>
#include <vector>

struct SaveResult;
struct SearchSession;

extern const char kNotInMailClientMessage[];
extern const char kMainWindowMissingMessage[];
extern const char kHostFolderNotRegisteredMessage[];
extern const char kHostLibraryNotLoadedMessage[];
extern const char kHostFunctionMissingMessage[];
extern const char kHostNotBoundMessage[];
extern const char kHostFolderSourceNote[];
extern const char kBadFavoriteNameMessage[];
extern const char kFavoriteTooLongMessage[];
extern const char kFavoriteNotSavedMessage[];
extern const char kSettingsInMemoryOnlyMessage[];
extern const char kSettingsNotSavedMessage[];
extern const char kOutOfMemoryMessage[];

// The folders searched across accounts when unsent mail, drafts and the trash
// are left out: the received, the sent and the user's own.
extern const char kAllAccountsFolders[];

// Why a save failed and what to do about it, then the file's path.
std::string SaveFailureText(const SaveResult& result, const std::string& path);

// That no favourite is stored under `name` (empty: none given), and which
// are: the first few, and how many more.
std::string UnknownFavoriteMessage(const std::string& name, const std::vector<std::string>& stored);

// A message box with no owner, the default caption and an OK button.
void ShowMessage(const char* text);
void ShowMessage(const std::string& text);

// Why the host functions cannot be used: the registry value, the library's
// path or the missing function.
void ShowHostProblem(const SearchSession& session);

// Once per process: that the settings stay in memory only, as there is no
// folder for them.
void TellIfSettingsInMemoryOnly(SearchSession& session);

// Once per process: that a save of the history and the scope failed, and why.
void TellSettingsNotSaved(SearchSession& session, const SaveResult& result);

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
// are: the first few, and how many more; then where the settings file is
// (empty: in memory only).
std::string UnknownFavoriteMessage(const std::string& name, const std::vector<std::string>& stored,
                                   const std::string& settingsPath);

// That the favourite is stored, what it holds and how to search with it.
std::string FavoriteStoredMessage(const std::string& name, const std::string& text);

// Whether the favourite stored with another text is to be replaced: both
// texts shown.
std::string FavoriteReplaceQuestion(const std::string& name, const std::string& stored, const std::string& text);

// That the favourite is deleted, what it held, and the line that stores it
// again.
std::string FavoriteDeletedMessage(const std::string& name, const std::string& text);

// That no favourite of that name was there to delete, which are, and where
// the settings file is.
std::string NothingToDeleteMessage(const std::string& name, const std::vector<std::string>& stored,
                                   const std::string& settingsPath);

// That the help file is not where it belongs (`helpFile`, its full path;
// empty: no folder is known for it), and what to do.
std::string HelpFileMissingMessage(const std::string& helpFile);

// What a message is, shown by its icon: an answer (information), something
// not done or not kept (warning), a host library that cannot be used (error).
enum class MessageKind { Answer, Warning, Error };

// A message box with an OK button, the plug-in's name as its caption and the
// icon of its kind, owned by the run's dialog while it is open, else by the
// mail client's main window once the run knows it. While it is open, it is
// the run's open window.
void ShowMessage(SearchSession& session, const std::string& text, MessageKind kind);
// The same for a fixed text: it takes no memory, so it can say that memory
// ran out.
void ShowMessage(SearchSession& session, const char* text, MessageKind kind) noexcept;

// A question with Yes and No, No the default (Enter never loses what is
// stored), owned and captioned as the messages are: whether Yes was chosen.
bool AskToReplace(SearchSession& session, const std::string& question);

// The two refusals (not inside the mail client, its main program not
// running), as they always were: no owner, the default caption, no icon.
void ShowRefusal(SearchSession& session, const char* text);

// Why the host functions cannot be used: the registry value, the library's
// path or the missing function, and what to do.
void ShowHostProblem(SearchSession& session);

// Once per process: that the settings stay in memory only, as there is no
// folder for them.
void TellIfSettingsInMemoryOnly(SearchSession& session);

// Once per process: that a save of the history and the scope failed, and why.
// One that failed for lack of memory throws std::bad_alloc instead: the run
// ends as it does wherever memory runs out.
void TellSettingsNotSaved(SearchSession& session, const SaveResult& result);

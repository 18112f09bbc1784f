// The texts the user sees in message boxes, in Shift_JIS.
#pragma once

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

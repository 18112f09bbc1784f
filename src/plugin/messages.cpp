// Compiled with the execution character set CP932, so that these literals,
// written here in UTF-8, reach the ANSI functions as Shift_JIS.
#include "plugin/messages.h"

const char kNotInMailClientMessage[] = "このマクロはVelmoroからは起動できません。";
const char kMainWindowMissingMessage[] = "Velmoroメール本体が起動してなければなりません。";
const char kHostFolderNotRegisteredMessage[] =
    "PellInfo.dll を読み込めません。Velmoroメールのフォルダがレジストリ "
    "HKEY_CURRENT_USER\\Software\\Ostravik\\Pellarin\\Config\\PellarinDir に登録されていません。";
const char kHostLibraryNotLoadedMessage[] = "PellInfo.dll を読み込めませんでした。";
const char kHostFunctionMissingMessage[] = "PellInfo.dll に次の関数がありません: ";
const char kHostFolderSourceNote[] =
    "(フォルダはレジストリ HKEY_CURRENT_USER\\Software\\Ostravik\\Pellarin\\Config\\PellarinDir から取得しています)";
const char kBadFavoriteNameMessage[] =
    "このお気に入りの名前は保存できません。「=」を含む名前、「[」か「;」で始まる名前、"
    "前後に空白のある名前は、設定ファイルに正しく記録できないためです。";

const char kAllAccountsFolders[] = "受信+送信済み+ユーザー";

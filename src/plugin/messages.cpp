// Compiled with the execution character set CP932, so that these literals,
// written here in UTF-8, reach the ANSI functions as Shift_JIS.
#include "plugin/messages.h"

#include "plugin/session.h"
#include "settings/settings_file.h"

#include <windows.h>

const char kNotInMailClientMessage[] = "このマクロはVelmoroからは起動できません。";
const char kMainWindowMissingMessage[] = "Velmoroメール本体が起動してなければなりません。";
const char kHostFolderNotRegisteredMessage[] =
    "PellInfo.dll を読み込めません。Velmoroメールのフォルダがレジストリ "
    "HKEY_CURRENT_USER\\Software\\Ostravik\\Pellarin\\Config\\PellarinDir に登録されていません。";
const char kHostLibraryNotLoadedMessage[] = "PellInfo.dll を読み込めませんでした。";
const char kHostFunctionMissingMessage[] = "PellInfo.dll に次の関数がありません: ";
const char kHostNotBoundMessage[] =
    "メモリが足りず、プラグインの準備 (PellInfo.dll の読み込み) が終わっていません。Velmoroメールを起動し直してください。";
const char kHostFolderSourceNote[] =
    "(フォルダはレジストリ HKEY_CURRENT_USER\\Software\\Ostravik\\Pellarin\\Config\\PellarinDir から取得しています)";
const char kBadFavoriteNameMessage[] =
    "このお気に入りの名前は保存できません。「=」を含む名前、「[」か「;」で始まる名前、"
    "前後に空白のある名前は、設定ファイルに正しく記録できないためです。";

const char kFavoriteTooLongMessage[] =
    "お気に入りの内容が長すぎるため、設定ファイルに保存できません。";
const char kFavoriteNotSavedMessage[] =
    "お気に入りを保存できませんでした。次の設定ファイルに書き込めません (読み取り専用か、ほかのプログラムが使用中です):";
const char kSettingsInMemoryOnlyMessage[] =
    "設定ファイルを置くフォルダが分からないため、検索の履歴・検索範囲・お気に入りはファイルに保存されず、"
    "Velmoroメールを終了するまでの間だけ保持されます。";
const char kSettingsNotSavedMessage[] =
    "設定ファイルに書き込めないため、検索の履歴と設定 (検索範囲・チェック) は保存されません。"
    "Velmoroメールを終了するまでの間だけ保持されます。設定ファイル:";
const char kOutOfMemoryMessage[] =
    "メモリが足りないため、この検索を実行できませんでした。検索する語句を短くしてください。";

const char kAllAccountsFolders[] = "受信+送信済み+ユーザー";

void ShowMessage(const char* text) {
    MessageBoxA(nullptr, text, nullptr, MB_OK);
}

void ShowMessage(const std::string& text) {
    ShowMessage(text.c_str());
}

void ShowHostProblem(const SearchSession& session) {
    switch (session.hostProblem) {
    case HostProblem::NotBound:
        ShowMessage(kHostNotBoundMessage);
        break;
    case HostProblem::FolderNotRegistered:
        ShowMessage(kHostFolderNotRegisteredMessage);
        break;
    case HostProblem::LibraryNotLoaded:
        ShowMessage(std::string(kHostLibraryNotLoadedMessage) + "\n" + session.hostLibraryPath + "\n" +
                    kHostFolderSourceNote);
        break;
    case HostProblem::FunctionMissing:
        ShowMessage(std::string(kHostFunctionMissingMessage) + session.missingHostFunction + "\n" +
                    session.hostLibraryPath + "\n" + kHostFolderSourceNote);
        break;
    case HostProblem::None:
        break;
    }
}

void TellIfSettingsInMemoryOnly(SearchSession& session) {
    if (session.settingsInMemoryOnly && !session.toldSettingsInMemoryOnly) {
        session.toldSettingsInMemoryOnly = true;
        ShowMessage(kSettingsInMemoryOnlyMessage);
    }
}

void TellSettingsNotSaved(SearchSession& session) {
    if (!session.toldSettingsNotSaved && session.settings) {
        session.toldSettingsNotSaved = true;
        ShowMessage(std::string(kSettingsNotSavedMessage) + "\n" + session.settings->Path());
    }
}

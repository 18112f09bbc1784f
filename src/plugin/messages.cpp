// Compiled with the execution character set CP932, so that these literals,
// written here in UTF-8, reach the ANSI functions as Shift_JIS.
#include "plugin/messages.h"

#include "plugin/session.h"
#include "query/language.h"
#include "query/shift_jis.h"
#include "settings/settings_file.h"

#include <windows.h>

#include <new>

const char kNotInMailClientMessage[] = "このマクロはVelmoroからは起動できません。";
const char kMainWindowMissingMessage[] = "Velmoroメール本体が起動してなければなりません。";
const char kHostFolderNotRegisteredMessage[] =
    "PellInfo.dll を読み込めません。Velmoroメールのフォルダがレジストリ "
    "HKEY_CURRENT_USER\\Software\\Ostravik\\Pellarin\\Config\\PellarinDir に登録されていません。"
    "Velmoroメールをインストールし直してください。";
const char kHostLibraryNotLoadedMessage[] =
    "PellInfo.dll を読み込めませんでした。Velmoroメールのフォルダに PellInfo.dll があるか確かめてください。";
const char kHostFunctionMissingMessage[] = "PellInfo.dll に次の関数がありません: ";
const char kHostFunctionMissingRemedy[] = "Velmoroメールを新しい版に更新してください。";
const char kHostFolderSourceNote[] =
    "(フォルダはレジストリ HKEY_CURRENT_USER\\Software\\Ostravik\\Pellarin\\Config\\PellarinDir から取得しています)";
const char kBadFavoriteNameMessage[] =
    "このお気に入りの名前は保存できません。「=」を含む名前、「[」か「;」で始まる名前、"
    "前後に空白のある名前は、設定ファイルに正しく記録できないためです。ほかの名前にしてください。";

const char kFavoriteTooLongMessage[] =
    "お気に入りの内容が長すぎるため、設定ファイルに保存できません。検索語を 32000 バイト以内にしてください。";
const char kFavoriteNotSavedMessage[] = "お気に入りを保存できませんでした。設定ファイルの中身は変わっていません。";
const char kFavoriteNameMissingMessage[] = "「fav:」のあとに、お気に入りの名前を書いてください。";
const char kFavoriteUnknownMessage[] = "お気に入り「%」は登録されていません。";
const char kFavoritesStoredHeading[] = "登録されているお気に入り: ";
const char kFavoriteNameSeparator[] = "、";
const char kMoreFavorites[] = " ほか % 件";
const char kNoFavoritesStored[] = "お気に入りはまだ 1 つも登録されていません。";
const char kCutShort[] = "…";
const char kFavoriteStoredMessage[] = "お気に入り「%」を登録しました。";
const char kFavoriteTextLabel[] = "内容: ";
const char kFavoriteRecallHint[] = "検索するときは、検索欄に「fav:%」と入力してください。";
const char kFavoriteReplaceQuestion[] = "お気に入り「%」はすでに登録されています。";
const char kFavoriteStoredTextLabel[] = "登録されている内容: ";
const char kFavoriteNewTextLabel[] = "新しい内容: ";
const char kFavoriteReplaceAsk[] =
    "新しい内容で置き換えますか?\n「いいえ」を選ぶと、登録されている内容がそのまま残ります。";
const char kFavoriteDeletedMessage[] = "お気に入り「%」を削除しました。";
const char kFavoriteDeletedTextLabel[] = "削除した内容: ";
const char kFavoriteRestoreHint[] =
    "元に戻すには、次の 1 行を検索欄に入力してください (Ctrl+C でこのメッセージをコピーできます):";
const char kFavoriteTextCut[] = "(内容が長いため、途中までを表示しています)";
const char kFavoriteNothingToDelete[] = "お気に入り「%」は登録されていないため、何も削除しませんでした。";
const char kSettingsInMemoryOnlyLabel[] = "設定ファイル: なし (設定は Velmoroメールを終了するまでメモリに保持されます)";
const char kHelpFileMissingMessage[] =
    "ヘルプファイルが見つからないため、ヘルプを開けませんでした。\n"
    "配布の zip に入っている VelmoroMailSearch.txt を、次の場所に置いてください:";
const char kHelpFolderUnknownMessage[] =
    "ヘルプファイルを置くフォルダが分からないため、ヘルプを開けませんでした。"
    "エディタのマクロのフォルダも Velmoroメールのフォルダもレジストリに登録されていません。"
    "INSTALL.txt の「ファイルを置くフォルダ」のとおりに DLL とヘルプファイルを置いてください。";
const char kSettingsInMemoryOnlyMessage[] =
    "設定ファイルを置くフォルダが分からないため、検索の履歴・検索範囲・お気に入りはファイルに保存されず、"
    "Velmoroメールを終了するまでの間だけ保持されます。"
    "INSTALL.txt の「ファイルを置くフォルダ」のとおりに DLL を置き、Velmoroメールを起動し直してください。";
const char kSettingsNotSavedMessage[] =
    "設定ファイルに書き込めないため、検索の履歴と設定 (検索範囲・チェック) は保存されません。"
    "Velmoroメールを終了するまでの間だけ保持されます。";
const char kSettingsFileLabel[] = "設定ファイル: ";

// Why a save failed, and what to do about it, by the failure.
const char* const kSaveFailureCauses[] = {
    "",
    "保存する内容を設定ファイルに記録できません。",
    "設定ファイルが読み取り専用になっています。ファイルのプロパティで「読み取り専用」を外してください。",
    "設定ファイルかそのフォルダに書き込む権限がありません。フォルダに書き込めるようにしてください。",
    "ほかのプログラムが設定ファイルを開いています。そのプログラムを閉じてからやり直してください。",
    "ほかの Velmoroメールのウィンドウの保存が終わりませんでした。しばらくしてからやり直してください。",
    "ディスクの空きが足りません。不要なファイルを削除して空きを作ってください。",
    "設定ファイルのパスが長すぎます。もっと短いパスのフォルダを使ってください。",
    "設定ファイルのフォルダがありません。フォルダがあるか確かめてください。",
    "メモリが足りません。Velmoroメールを起動し直してください。",
    "Windows がエラー (コード %) を返しました。",
};
static_assert(sizeof kSaveFailureCauses / sizeof *kSaveFailureCauses == static_cast<int>(SaveFailure::Other) + 1,
              "a cause for every failure");
const char kOutOfMemoryMessage[] =
    "メモリが足りないため、この検索を実行できませんでした。検索する語句を短くするか、Velmoroメールを起動し直してください。";

const char kAllAccountsFolders[] = "受信+送信済み+ユーザー";

const char kMessageCaption[] = "VelmoroMailSearch";

namespace {

// How much of the favourites the message shows: a message box that runs off
// the screen tells nothing.
const std::size_t kFavoritesListed = 10;
const std::size_t kNameShown = 40;
const std::size_t kFavoriteTextShown = 1000;

// `text` with "%" replaced by `value`.
std::string Fill(const char* text, const std::string& value) {
    std::string filled = text;
    filled.replace(filled.find('%'), 1, value);
    return filled;
}

// The text, cut at a character's end when it is longer than `shown`.
std::string Shown(const std::string& text, std::size_t shown = kNameShown) {
    if (text.size() <= shown)
        return text;
    std::size_t end = 0;
    while (end < shown)
        end += ShiftJisCharLength(text.data(), end, text.size());
    return text.substr(0, end) + kCutShort;
}

// A path as the user reads it: one separator between its parts, whatever
// a registry value ends with ("C:\\Pellarin\\" + "\\VelmoroMailSearch.ini").
// A network path keeps its leading pair; a backslash that is the second
// byte of a character is no separator.
std::string PathShown(const std::string& path) {
    std::string shown;
    shown.reserve(path.size());
    bool afterSeparator = false;
    for (std::size_t at = 0; at < path.size();) {
        const std::size_t length = ShiftJisCharLength(path.data(), at, path.size());
        const bool separator = length == 1 && path[at] == '\\';
        if (!(separator && afterSeparator && at > 1))
            shown.append(path, at, length);
        afterSeparator = separator;
        at += length;
    }
    return shown;
}

// A favourite's text on a line of its own after its label.
std::string TextLine(const char* label, const std::string& text) {
    return "\n" + std::string(label) + Shown(text, kFavoriteTextShown);
}

// Which favourites are stored (the first few, and how many more), then
// where the settings file is, so that the user can always find it.
std::string StoredFavoritesText(const std::vector<std::string>& stored, const std::string& settingsPath) {
    std::string text;
    if (stored.empty()) {
        text = kNoFavoritesStored;
    } else {
        text = kFavoritesStoredHeading;
        for (std::size_t i = 0; i < stored.size() && i < kFavoritesListed; ++i)
            text += (i ? kFavoriteNameSeparator : "") + Shown(stored[i]);
        if (stored.size() > kFavoritesListed)
            text += Fill(kMoreFavorites, std::to_string(stored.size() - kFavoritesListed));
    }
    return text + "\n" +
           (settingsPath.empty() ? std::string(kSettingsInMemoryOnlyLabel) : kSettingsFileLabel + PathShown(settingsPath));
}

} // namespace

std::string SaveFailureText(const SaveResult& result, const std::string& path) {
    const std::string cause = kSaveFailureCauses[static_cast<int>(result.failure)];
    return (result.failure == SaveFailure::Other ? Fill(cause.c_str(), std::to_string(result.error)) : cause) + "\n" +
           kSettingsFileLabel + PathShown(path);
}

std::string UnknownFavoriteMessage(const std::string& name, const std::vector<std::string>& stored,
                                   const std::string& settingsPath) {
    const std::string message =
        name.empty() ? std::string(kFavoriteNameMissingMessage) : Fill(kFavoriteUnknownMessage, Shown(name));
    return message + "\n" + StoredFavoritesText(stored, settingsPath);
}

std::string FavoriteStoredMessage(const std::string& name, const std::string& text) {
    return Fill(kFavoriteStoredMessage, Shown(name)) + TextLine(kFavoriteTextLabel, text) + "\n" +
           Fill(kFavoriteRecallHint, name);
}

std::string FavoriteReplaceQuestion(const std::string& name, const std::string& stored, const std::string& text) {
    return Fill(kFavoriteReplaceQuestion, Shown(name)) + TextLine(kFavoriteStoredTextLabel, stored) +
           TextLine(kFavoriteNewTextLabel, text) + "\n\n" + kFavoriteReplaceAsk;
}

std::string FavoriteDeletedMessage(const std::string& name, const std::string& text) {
    std::string message = Fill(kFavoriteDeletedMessage, Shown(name)) + TextLine(kFavoriteDeletedTextLabel, text) +
                          "\n\n" + kFavoriteRestoreHint + "\n" + std::string(kFavoritePrefix) + name + " " +
                          Shown(text, kFavoriteTextShown);
    if (text.size() > kFavoriteTextShown)
        message += std::string("\n") + kFavoriteTextCut;
    return message;
}

std::string NothingToDeleteMessage(const std::string& name, const std::vector<std::string>& stored,
                                   const std::string& settingsPath) {
    return Fill(kFavoriteNothingToDelete, Shown(name)) + "\n" + StoredFavoritesText(stored, settingsPath);
}

std::string HelpFileMissingMessage(const std::string& helpFile) {
    return helpFile.empty() ? std::string(kHelpFolderUnknownMessage) : kHelpFileMissingMessage + ("\n" + PathShown(helpFile));
}

namespace {

// The message box of this thread being made, for the run to bring forward
// while it is open: the hook sees it activated.
HWND* g_seenMessageBox = nullptr;

LRESULT CALLBACK SeeMessageBox(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && g_seenMessageBox && !*g_seenMessageBox)
        *g_seenMessageBox = reinterpret_cast<HWND>(wParam);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// While it is open, the box is the run's open window; the one open before
// (the dialog) is again after. The button pressed.
int ShowBox(SearchSession& session, HWND owner, const char* text, const char* caption, UINT style) noexcept {
    const HWND before = session.openWindow;
    session.openWindow = nullptr;
    g_seenMessageBox = &session.openWindow;
    const HHOOK hook = SetWindowsHookExA(WH_CBT, SeeMessageBox, nullptr, GetCurrentThreadId());
    const int pressed = MessageBoxA(owner, text, caption, style);
    if (hook)
        UnhookWindowsHookEx(hook);
    g_seenMessageBox = nullptr;
    session.openWindow = before;
    return pressed;
}

// The run's dialog while it is open (the main window is disabled then, and
// a box it owned would leave the dialog working behind it); else the mail
// client's main window, while it is there: a window gone meanwhile would
// keep the box from showing at all.
HWND OwnerOf(const SearchSession& session) noexcept {
    if (IsWindow(session.openWindow))
        return session.openWindow;
    return IsWindow(session.mainWindow) ? session.mainWindow : nullptr;
}

} // namespace

void ShowMessage(SearchSession& session, const std::string& text, MessageKind kind) {
    ShowMessage(session, text.c_str(), kind);
}

void ShowMessage(SearchSession& session, const char* text, MessageKind kind) noexcept {
    const UINT icons[] = {MB_ICONINFORMATION, MB_ICONWARNING, MB_ICONERROR};
    ShowBox(session, OwnerOf(session), text, kMessageCaption, MB_OK | icons[static_cast<int>(kind)]);
}

bool AskToReplace(SearchSession& session, const std::string& question) {
    // What may be lost is warned of, and Enter keeps it.
    return ShowBox(session, OwnerOf(session), question.c_str(), kMessageCaption,
                   MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void ShowRefusal(SearchSession& session, const char* text) {
    ShowBox(session, nullptr, text, nullptr, MB_OK);
}

void ShowHostProblem(SearchSession& session) {
    const std::string source = "\n" + session.hostLibraryPath + "\n" + kHostFolderSourceNote;
    switch (session.hostProblem) {
    case HostProblem::FolderNotRegistered:
        ShowMessage(session, kHostFolderNotRegisteredMessage, MessageKind::Error);
        break;
    case HostProblem::LibraryNotLoaded:
        ShowMessage(session, kHostLibraryNotLoadedMessage + source, MessageKind::Error);
        break;
    case HostProblem::FunctionMissing:
        ShowMessage(session,
                    kHostFunctionMissingMessage + session.missingHostFunction + "\n" + kHostFunctionMissingRemedy +
                        source,
                    MessageKind::Error);
        break;
    case HostProblem::NotBound: // bound by the run before it asks
    case HostProblem::None:
        break;
    }
}

void TellIfSettingsInMemoryOnly(SearchSession& session) {
    if (session.settingsInMemoryOnly && !session.toldSettingsInMemoryOnly) {
        session.toldSettingsInMemoryOnly = true;
        ShowMessage(session, kSettingsInMemoryOnlyMessage, MessageKind::Warning);
    }
}

void TellSettingsNotSaved(SearchSession& session, const SaveResult& result) {
    // Memory running out ends the run, with the one message that says so.
    if (result.failure == SaveFailure::OutOfMemory)
        throw std::bad_alloc();
    if (!session.toldSettingsNotSaved && session.settings) {
        const std::string text =
            std::string(kSettingsNotSavedMessage) + "\n" + SaveFailureText(result, session.settings->Path());
        session.toldSettingsNotSaved = true;
        ShowMessage(session, text, MessageKind::Warning);
    }
}

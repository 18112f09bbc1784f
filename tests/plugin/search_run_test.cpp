// Whole search runs through the real DLL: the stand-in host library records
// what the mail client would receive, the dialog is answered from a second
// thread, and stand-in programs record how the help file is opened.
#include "dialog_driver.h"
#include "pellinfo.h"
#include "settings/settings_file.h"
#include "win_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;
using SearchFunction = int(__cdecl*)(const char*);
using CallLogFunction = const char*(__cdecl*)();
using ConfigureFunction = void(__cdecl*)(const char*, const char*);
using ResetFunction = void(__cdecl*)();

const std::string kAllFolders = "\x8e\xf3\x90\x4d+\x91\x97\x90\x4d\x8d\xcf\x82\xdd+\x83\x86\x81\x5b\x83\x55\x81\x5b";
const std::string kCurrentFolder = "\x8e\xf3\x90\x4d";
const std::string kAccount = "user@example.jp";

std::string Join(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

class SearchRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = MakeScratchFolder("run");
        editorFolder_ = MakeScratchFolder("editor");
        CopyFileA((ProgramFolder() + "\\Velmoro.exe").c_str(), (editorFolder_ + "\\Velmoro.exe").c_str(), FALSE);
        commandLog_ = folder_ + "\\command-lines.txt";
        SetEnvironmentVariableA("VELMORO_COMMAND_LINE_LOG", commandLog_.c_str());
        SetEditorInstallLocation(editorFolder_.c_str());
        SetEditorMacroPath(folder_.c_str());
        SetMailClientFolder((ProgramFolder() + "\\").c_str());
        iniPath_ = folder_ + "\\VelmoroMailSearch.ini";
    }
    void TearDown() override {
        Unload();
        SetEditorInstallLocation(nullptr);
        SetEditorMacroPath(nullptr);
        SetMailClientFolder(nullptr);
    }
    // Loading is the process attach: the registry and the settings file as
    // they are now count.
    void Load() {
        plugin_ = LoadLibraryA((ProgramFolder() + "\\VelmoroMailSearch.dll").c_str());
        ASSERT_NE(plugin_, nullptr);
        search_ = Export<SearchFunction>(plugin_, "search");
        ASSERT_NE(search_, nullptr);
        // By its path: a test may have had the plug-in load another one.
        const HMODULE host = GetModuleHandleA((ProgramFolder() + "\\PellInfo.dll").c_str());
        ASSERT_NE(host, nullptr);
        const auto reset = Export<ResetFunction>(host, "StandInReset");
        configure_ = Export<ConfigureFunction>(host, "StandInConfigure");
        callLog_ = Export<CallLogFunction>(host, "StandInCallLog");
        ASSERT_TRUE(reset && configure_ && callLog_);
        reset();
    }
    void Unload() {
        if (plugin_)
            FreeLibrary(plugin_);
        plugin_ = nullptr;
    }
    // Runs `search`, answering whatever it shows; returns the texts of the
    // message boxes shown, of which there must be `expectedMessages`.
    Lines Search(const char* initialText, const DialogAnswer& answer, std::size_t expectedMessages = 0,
                 std::string* shownText = nullptr) {
        Lines messages;
        looks_.clear();
        const size_t logged = std::strlen(callLog_());
        DriveDialog([&] { return static_cast<INT_PTR>(search_(initialText)); },
                  [&](HWND window) {
                      if (shownText && !IsMessageBox(window))
                          *shownText = QueryText(window);
                      if (IsMessageBox(window))
                          looks_.push_back(LookOf(window));
                      AnswerSearchRun(window, answer, messages);
                  });
        lastCalls_ = callLog_() + logged;
        EXPECT_EQ(messages.size(), expectedMessages) << "message boxes shown:\n" << Join(messages);
        return messages;
    }
    Lines Search(const std::string& initialText, const DialogAnswer& answer, std::size_t expectedMessages = 0,
                 std::string* shownText = nullptr) {
        return Search(initialText.c_str(), answer, expectedMessages, shownText);
    }
    // The hand-over calls of the last run, in order.
    Lines HandOver() const {
        Lines calls;
        std::istringstream lines(lastCalls_);
        for (std::string line; std::getline(lines, line);) {
            for (const char* name : {"SetFindPack", "StartDoGrep", "PushFindPack", "ExecAtMain|SetFindPack",
                                     "ExecAtMain|StartDoGrep", "ExecAtMain|PushFindPack"}) {
                if (line.compare(0, std::string(name).size(), name) == 0 && (line.size() == std::string(name).size() || line[std::string(name).size()] == '|'))
                    calls.push_back(line);
            }
        }
        return calls;
    }
    // The history list a run's dialog shows; the dialog is then cancelled.
    Lines ListedHistory() {
        Lines items;
        DriveDialog([&] { return static_cast<INT_PTR>(search_("")); },
                    [&](HWND dialog) {
                        items = ListItems(dialog);
                        PressKey(dialog, VK_ESCAPE);
                    });
        return items;
    }
    std::string Setting(const char* section, const char* key) {
        char value[4096] = {};
        GetPrivateProfileStringA(section, key, "", value, sizeof value, iniPath_.c_str());
        return value;
    }
    // The command lines the stand-in programs were started with.
    Lines StartedCommandLines(size_t expected) {
        for (int waited = 0; waited < 10000; waited += 20) {
            Lines lines;
            std::istringstream text(ReadWholeFile(commandLog_).value_or(std::string()));
            for (std::string line; std::getline(text, line);)
                lines.push_back(line);
            if (lines.size() >= expected)
                return lines;
            Sleep(20);
        }
        return {};
    }

    // The stand-in host's main window, which owns the run's windows.
    HWND MainWindow() const {
        return Export<HWND(__cdecl*)()>(GetModuleHandleA((ProgramFolder() + "\\PellInfo.dll").c_str()), "MainWnd")();
    }

    HMODULE plugin_ = nullptr;
    SearchFunction search_ = nullptr;
    std::vector<MessageBoxLook> looks_; // of the last run's message boxes
    ConfigureFunction configure_ = nullptr;
    CallLogFunction callLog_ = nullptr;
    std::string lastCalls_;
    std::string folder_;
    std::string editorFolder_;
    std::string commandLog_;
    std::string iniPath_;
};

std::string Hands(const std::string& expression, const std::string& account, const std::string& folder) {
    return "SetFindPack|" + expression + "\nStartDoGrep|" + account + "|" + folder + "\nPushFindPack";
}

TEST_F(SearchRunTest, TranslatesAndHandsOverWithTheScopesAccountAndFolder) {
    struct Case {
        const char* name;
        const char* window;
        DialogAnswer answer;
        std::string handOver;
    };
    const std::string word = "(\"w\",target=smallheaderbody)";
    const Case cases[] = {
        {"current folder", "main", {"w", 1001}, Hands(word + ",subfolder=0,hilight=1", kAccount, kCurrentFolder)},
        {"with subfolders", "grep", {"subject:\"a b\" from:bob", 1002},
         Hands("(\"a b\",regular,target=subject)and(\"bob\",target=from),subfolder=1,hilight=1", kAccount,
               kCurrentFolder)},
        {"current account", "main", {"w", 1003}, Hands(word + ",subfolder=0,hilight=1", kAccount, kAllFolders)},
        {"current account, everything", "main", {"w", 1003, true},
         Hands(word + ",subfolder=0,hilight=1", kAccount, "")},
        {"all accounts", "main", {"w", 1004}, Hands(word + ",subfolder=0,hilight=1", "", kAllFolders)},
        {"all accounts, everything", "main", {"w", 1004, true}, Hands(word + ",subfolder=0,hilight=1", "", "")},
        {"through the main window", "other", {"w", 1001},
         "ExecAtMain|SetFindPack|" + word + ",subfolder=0,hilight=1\nExecAtMain|StartDoGrep|" + kAccount + "|" +
             kCurrentFolder + "\nExecAtMain|PushFindPack"},
        {"raw expression", "main", {"  debug:abc  ", 1002}, Hands("abc", kAccount, kCurrentFolder)},
        {"empty raw expression", "main", {"debug:", 1001}, Hands("", kAccount, kCurrentFolder)},
        {"help with more", "main", {"help:x", 1001},
         Hands("(\"help:x\",target=smallheaderbody),subfolder=0,hilight=1", kAccount, kCurrentFolder)},
        {"favourite with a space first", "main", {"fav: x", 1001},
         Hands("(\"fav:\",target=smallheaderbody)and(\"x\",target=smallheaderbody),subfolder=0,hilight=1", kAccount,
               kCurrentFolder)},
    };
    ASSERT_NO_FATAL_FAILURE(Load());
    for (const Case& c : cases) {
        configure_("window", c.window);
        SCOPED_TRACE(c.name);
        Search("", c.answer);
        EXPECT_EQ(Join(HandOver()), c.handOver) << c.name;
        // The current folder comes from the main window when the macro runs
        // elsewhere.
        const bool throughMainWindow = std::string(c.window) == "other";
        EXPECT_EQ(lastCalls_.find("ExecAtMain|CurrentFolder") != std::string::npos, throughMainWindow) << c.name;
    }
}

TEST_F(SearchRunTest, TheInitialTextIsTheMacrosFirstLineEncoded) {
    struct Case {
        std::string argument;
        std::string shown;
    };
    const Case cases[] = {
        {"abc", "abc"},
        {"a b", "\"a b\""},
        {"word\r\nnext line", "word"},
        {"a b\r\nc", "\"a b\""},
        {"x\ny z", "x"},
        {"x\ry", "x"},
        {"q\"x", "q\\\"x"},
        {"", "q\\\"x"}, // an empty argument keeps the last one
    };
    ASSERT_NO_FATAL_FAILURE(Load());
    for (const Case& c : cases) {
        std::string shown;
        Search(c.argument, {"", 0, false, true}, 0, &shown);
        EXPECT_EQ(shown, c.shown) << c.argument;
        EXPECT_TRUE(HandOver().empty());
    }
}

// A text the field opens with, the macro's or the one carried over from an
// earlier call, is selected whole: a character typed replaces it.
TEST_F(SearchRunTest, TypingReplacesTheTextTheFieldOpensWith) {
    ASSERT_NO_FATAL_FAILURE(Load());
    for (const char* argument : {"abc", ""}) {
        const std::size_t logged = std::strlen(callLog_());
        DriveDialog([&] { return static_cast<INT_PTR>(search_(argument)); },
                    [&](HWND dialog) {
                        PostMessageA(QueryEdit(dialog), WM_CHAR, 'x', 1);
                        WaitUntil([&] { return QueryText(dialog) != "abc"; });
                        Click(dialog, IDOK);
                    });
        lastCalls_ = callLog_() + logged;
        EXPECT_EQ(Join(HandOver()), Hands("(\"x\",target=smallheaderbody),subfolder=0,hilight=1", kAccount, kCurrentFolder))
            << argument;
    }
}

TEST_F(SearchRunTest, OutsideTheMailClientOnlyAMessageIsShown) {
    struct Case {
        const char* setting;
        const char* value;
        const wchar_t* message;
    };
    const Case cases[] = {
        {"mail", "0", L"このマクロはVelmoroからは起動できません。"},
        {"mainwnd", "none", L"Velmoroメール本体が起動してなければなりません。"},
    };
    ASSERT_NO_FATAL_FAILURE(Load());
    for (const Case& c : cases) {
        Export<ResetFunction>(GetModuleHandleA("PellInfo.dll"), "StandInReset")();
        configure_(c.setting, c.value);
        const Lines messages = Search("abc", {"w"}, 1);
        ASSERT_EQ(messages.size(), 1u) << c.setting;
        EXPECT_TRUE(Wide(messages[0]) == c.message) << c.setting;
        // As they always were: no owner, the default caption, no icon.
        EXPECT_EQ(looks_[0].owner, nullptr) << c.setting;
        EXPECT_NE(looks_[0].caption, "VelmoroMailSearch") << c.setting;
        EXPECT_EQ(looks_[0].icon, "") << c.setting;
        EXPECT_TRUE(HandOver().empty());
        EXPECT_EQ(lastCalls_.find("YenEncode"), std::string::npos);
    }
}

// Each store says what it did. A name that holds another text (in any case
// of its ASCII letters) is replaced only on Yes, and Enter answers No; a
// delete shows what it held; deleting a name never stored touches no
// favourite.
TEST_F(SearchRunTest, FavouritesSayWhatTheyDid) {
    ASSERT_NO_FATAL_FAILURE(Load());
    struct Step {
        const char* query;
        bool replace;           // the question answered Yes, else with Enter
        std::wstring told;      // the message, whole; empty: none
        bool asked;             // the message is a question, No its default
        const char* fileHolds;  // the favourite's line afterwards; null: none
    };
    const std::wstring path = L"\n設定ファイル: " + Wide(iniPath_);
    const Step steps[] = {
        {"fav:work from:alice", false,
         L"お気に入り「work」を登録しました。\n内容: from:alice\n検索するときは、検索欄に「fav:work」と入力してください。",
         false, "work=from:alice"},
        // The same text again: nothing to ask.
        {"fav:work from:alice", false, L"お気に入り「work」を登録しました。\n内容: from:alice\n検索するときは、検索欄に「fav:work」と入力してください。",
         false, "work=from:alice"},
        {"fav:WORK from:bob", false,
         L"お気に入り「WORK」はすでに登録されています。\n登録されている内容: from:alice\n新しい内容: from:bob\n\n"
         L"新しい内容で置き換えますか?\n「いいえ」を選ぶと、登録されている内容がそのまま残ります。",
         true, "work=from:alice"},
        // Replaced under the name as the file spells it.
        {"fav:Work from:bob", true,
         L"お気に入り「Work」はすでに登録されています。\n登録されている内容: from:alice\n新しい内容: from:bob\n\n"
         L"新しい内容で置き換えますか?\n「いいえ」を選ぶと、登録されている内容がそのまま残ります。",
         true, "work=from:bob"},
        {"fav:other x", false, L"お気に入り「other」を登録しました。\n内容: x\n検索するときは、検索欄に「fav:other」と入力してください。",
         false, "work=from:bob"},
        {"fav:work \"\"", false,
         L"お気に入り「work」を削除しました。\n削除した内容: from:bob\n\n元に戻すには、次の 1 行を検索欄に入力してください "
         L"(Ctrl+C でこのメッセージをコピーできます):\nfav:work from:bob",
         false, nullptr},
        {"fav:work \"\"", false,
         L"お気に入り「work」は登録されていないため、何も削除しませんでした。\n登録されているお気に入り: other" + path, false,
         nullptr},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.query);
        char before[256] = {};
        GetPrivateProfileSectionA("Favorite", before, sizeof before, iniPath_.c_str());
        DialogAnswer answer{step.query, 1001};
        answer.replace = step.replace;
        const Lines told = Search("", answer, step.told.empty() ? 0 : 1);
        EXPECT_TRUE(HandOver().empty());
        if (!told.empty()) {
            EXPECT_EQ(Wide(told.front()), step.told);
            EXPECT_EQ(looks_.front().question, step.asked);
            EXPECT_EQ(looks_.front().defaultButton, step.asked ? IDNO : IDOK);
            EXPECT_EQ(looks_.front().icon, step.asked ? "warning" : "information");
        }
        const std::string file = ExistingFileText(iniPath_);
        if (step.fileHolds)
            EXPECT_NE(file.find(std::string("\r\n") + step.fileHolds + "\r\n"), std::string::npos) << file;
        else
            EXPECT_EQ(file.find("work="), std::string::npos) << file;
        if (step.told.find(L"何も削除") != std::wstring::npos) {
            char after[256] = {};
            GetPrivateProfileSectionA("Favorite", after, sizeof after, iniPath_.c_str());
            EXPECT_EQ(std::string(before, sizeof before), std::string(after, sizeof after));
        }
    }
    // What is stored is searched; a phrase stays one.
    Search("", {"fav:other", 1001});
    EXPECT_EQ(Join(HandOver()), Hands("(\"x\",target=smallheaderbody),subfolder=0,hilight=1", kAccount, kCurrentFolder));
    Search("", {"fav:phrase \"a b\"", 1001}, 1);
    Search("", {"fav:phrase", 1001});
    EXPECT_EQ(HandOver().front(), "SetFindPack|(\"a b\",regular,target=smallheaderbody),subfolder=0,hilight=1");
}

// A favourite is searched as it would be typed: trimmed. A name never stored
// (or none) searches nothing and says so, with the names that are stored,
// however many.
TEST_F(SearchRunTest, FavouritesAnswerWhatTheyHold) {
    std::string favourites = "[Favorite]\r\nw=\"  from:alice \"\r\n";
    for (int i = 1; i <= 24; ++i)
        favourites += "f" + std::to_string(i) + "=x\r\n";
    WriteWholeFile(iniPath_, favourites);
    ASSERT_NO_FATAL_FAILURE(Load());
    struct Case {
        const char* query;
        std::string handOver; // the expression; empty: nothing handed over
        const wchar_t* told;   // the message; null: none
    };
    const wchar_t* listed = L"登録されているお気に入り: w、f1、f2、f3、f4、f5、f6、f7、f8、f9 ほか 16 件";
    const Case cases[] = {
        {"fav:w", "SetFindPack|(\"alice\",target=from),subfolder=0,hilight=1", nullptr},
        // Stored with the spaces typed after the name.
        {"fav:v   from:bob", "", nullptr}, // told stored
        {"fav:v", "SetFindPack|(\"bob\",target=from),subfolder=0,hilight=1", nullptr},
        {"fav:weekyl", "", L"お気に入り「weekyl」は登録されていません。\n"},
        {"fav:", "", L"「fav:」のあとに、お気に入りの名前を書いてください。\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        const bool stores = std::strchr(c.query, ' ') != nullptr;
        const Lines told = Search("", {c.query, 1001}, c.told || stores ? 1 : 0);
        EXPECT_EQ(HandOver().empty() ? "" : HandOver().front(), c.handOver);
        // Where the settings live, for the user to find the file.
        if (c.told && !told.empty()) {
            EXPECT_EQ(Wide(told.front()), std::wstring(c.told) + listed + L"\n設定ファイル: " + Wide(iniPath_));
        }
    }
}

// With "fullwidthspace=1", a full-width space (as the input method types the
// space bar) separates terms as a space does: outside phrases, as a whole
// character only. Any other value keeps it part of the word. The history
// keeps the query as typed.
TEST_F(SearchRunTest, TheFullWidthSpaceSeparatesWhenAskedTo) {
    struct Case {
        const char* setting; // null: no key
        std::string typed;
        std::string expression;
    };
    const std::string meeting = "\x89\xef\x8b\x63";   // 会議
    const std::string papers = "\x8e\x91\x97\xbf";    // 資料
    const std::string space = "\x81\x40";              // the full-width space
    const std::string kaji = "\x8a\x81";               // 梶, whose second byte is 0x81
    const std::string tail = ",subfolder=0,hilight=1";
    const std::string oneWord = "(\"" + meeting + space + papers + "\",target=smallheaderbody)" + tail;
    const std::string twoWords = "(\"" + meeting + "\",target=smallheaderbody)and(\"" + papers +
                                 "\",target=smallheaderbody)" + tail;
    const Case cases[] = {
        {nullptr, meeting + space + papers, oneWord},
        {"1", meeting + space + papers, twoWords},
        {"1", space + space + meeting + space + space + papers + space, twoWords},
        {"01", meeting + space + papers, oneWord},
        {"true", meeting + space + papers, oneWord},
        {"1", "subject:" + space + "x", "(\"subject:\",target=smallheaderbody)and(\"x\",target=smallheaderbody)" + tail},
        {"1", "\"" + meeting + space + papers + "\"", "(\"" + meeting + space + papers + "\",regular,target=smallheaderbody)" + tail},
        {"1", kaji + "@", "(\"" + kaji + "@\",target=smallheaderbody)" + tail},
        {"1", space + "debug:raw" + space, "raw"},
    };
    ASSERT_NO_FATAL_FAILURE(Load());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        WritePrivateProfileStringA("Config", "fullwidthspace", c.setting, iniPath_.c_str());
        Search("", {c.typed, 1001});
        EXPECT_EQ(HandOver().front(), "SetFindPack|" + c.expression);
        EXPECT_EQ(Setting("History", "history0"), c.typed);
    }
}

// Names the file cannot hold as keys, and texts too long to come back whole.
TEST_F(SearchRunTest, FavouritesTheFileCannotHoldAreRefused) {
    ASSERT_NO_FATAL_FAILURE(Load());
    const std::string tooLong = "fav:long " + std::string(40000, 'x');
    for (const std::string& query : {std::string("fav:a=b from:x"), std::string("fav:[x from:x"),
                                     std::string("fav:;x from:x"), std::string("fav:\tx from:x"), tooLong}) {
        const std::string shown = query.substr(0, 20);
        SCOPED_TRACE(shown);
        Search("", {query, 1001}, 1);
        EXPECT_TRUE(HandOver().empty()) << shown;
        // Only the history changed.
        EXPECT_EQ(ExistingFileText(iniPath_).find("Favorite"), std::string::npos) << shown;
    }
}

// A folder registered with its trailing separator (as the mail client's own
// value is) is shown with one separator before the file's name.
TEST_F(SearchRunTest, PathsAreShownWithOneSeparator) {
    const struct {
        const char* name;
        bool macroPath, installLocation; // else the mail client's folder
    } cases[] = {
        {"the macro folder", true, true},
        {"the editor's folder", false, true},
        {"the mail client's folder", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = c.macroPath || c.installLocation ? folder_ : ProgramFolder();
        SetEditorMacroPath(c.macroPath ? (folder_ + "\\").c_str() : nullptr);
        SetEditorInstallLocation(c.installLocation ? (c.macroPath ? editorFolder_ : folder_ + "\\").c_str() : nullptr);
        ASSERT_NO_FATAL_FAILURE(Load());
        const Lines told = Search("", {"fav:", 1001}, 1);
        ASSERT_EQ(told.size(), 1u);
        const std::string ini = folder + "\\VelmoroMailSearch.ini";
        EXPECT_EQ(told[0].substr(told[0].size() - ini.size()), ini);
        if (c.installLocation) { // the help file is not in the mail client's folder
            const Lines missing = Search("", {"help:", 1001}, 1);
            ASSERT_EQ(missing.size(), 1u);
            const std::string help = folder + "\\VelmoroMailSearch.txt";
            EXPECT_EQ(missing[0].substr(missing[0].size() - help.size()), help);
        }
        Unload();
    }
}

TEST_F(SearchRunTest, HelpOpensTheHelpFileOnceBuiltCommandLine) {
    ASSERT_NO_FATAL_FAILURE(Load());
    // Not there yet: the message says where it belongs, and nothing starts.
    const std::string helpFile = folder_ + "\\VelmoroMailSearch.txt";
    const Lines told = Search("", {"help:", 1001}, 1);
    EXPECT_EQ(Wide(told.front()), L"ヘルプファイルが見つからないため、ヘルプを開けませんでした。\n"
                                  L"配布の zip に入っている VelmoroMailSearch.txt を、次の場所に置いてください:\n" +
                                      Wide(helpFile));
    EXPECT_EQ(looks_.front().icon, "warning");
    EXPECT_FALSE(ReadWholeFile(commandLog_));
    // Put in place, it opens in the same process.
    WriteWholeFile(helpFile, "help");
    Search("", {"help:", 1001});
    SetEditorMacroPath(nullptr); // read once per process: no effect now
    Search("", {"  help:  ", 1001});
    EXPECT_TRUE(HandOver().empty());
    const std::string editor = editorFolder_ + "\\Velmoro.exe";
    const std::string expected = editor + "|\"" + editor + "\" \"/j70 " + folder_ + "\\VelmoroMailSearch.txt\"";
    EXPECT_EQ(StartedCommandLines(2), (Lines{expected, expected}));
}

// For one test, the system folder's Notepad is the recording stand-in (the
// test prefix runs a notepad.exe found there instead of Wine's own).
class SystemNotepadStandIn {
public:
    SystemNotepadStandIn() {
        char folder[MAX_PATH] = {};
        GetSystemDirectoryA(folder, MAX_PATH);
        path_ = std::string(folder) + "\\notepad.exe";
        if (GetFileAttributesA(saved().c_str()) == INVALID_FILE_ATTRIBUTES)
            MoveFileA(path_.c_str(), saved().c_str());
        EXPECT_TRUE(CopyFileA((ProgramFolder() + "\\notepad.exe").c_str(), path_.c_str(), FALSE));
    }
    ~SystemNotepadStandIn() {
        DeleteFileA(path_.c_str());
        MoveFileA(saved().c_str(), path_.c_str());
    }
    // Where it runs from, as it sees itself: a 32-bit program on 64-bit
    // Windows is redirected to the 32-bit system folder.
    std::string StartedFrom() const {
        BOOL redirected = FALSE;
        char folder[MAX_PATH] = {};
        if (IsWow64Process(GetCurrentProcess(), &redirected) && redirected &&
            GetSystemWow64DirectoryA(folder, MAX_PATH))
            return std::string(folder) + "\\notepad.exe";
        return path_;
    }

private:
    std::string saved() const { return path_ + ".velmoro-saved"; }
    std::string path_;
};

// Notepad is the system folder's, never one planted in the current folder
// or the host's; an editor registered by a relative folder is not started.
TEST_F(SearchRunTest, HelpFallsBackToTheSystemNotepad) {
    const SystemNotepadStandIn notepad;
    const std::string planted = MakeScratchFolder("planted");
    CreateDirectoryA((planted + "\\Velmoro").c_str(), nullptr);
    for (const char* program : {"\\notepad.exe", "\\Velmoro\\Velmoro.exe"})
        ASSERT_TRUE(CopyFileA((ProgramFolder() + "\\notepad.exe").c_str(), (planted + program).c_str(), FALSE));
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    SetCurrentDirectoryA(planted.c_str());
    struct Case {
        const char* name;
        const char* installLocation;
        bool macroFolder;
        std::string started;
    };
    const std::string editor = editorFolder_ + "\\Velmoro.exe";
    const std::string notepadOpens = notepad.StartedFrom() + "|notepad.exe \"";
    // The mail client's folder is the test program's, which holds the help
    // file as built: it is left as it is.
    const std::string builtHelp = ProgramFolder() + "\\VelmoroMailSearch.txt";
    const bool built = GetFileAttributesA(builtHelp.c_str()) != INVALID_FILE_ATTRIBUTES;
    for (const std::string& folder : {editorFolder_, folder_})
        WriteWholeFile(folder + "\\VelmoroMailSearch.txt", "help");
    if (!built)
        WriteWholeFile(builtHelp, "help");
    const Case cases[] = {
        {"editor without macro folder", editorFolder_.c_str(), false,
         editor + "|\"" + editor + "\" \"/j70 " + editorFolder_ + "\\VelmoroMailSearch.txt\""},
        {"no editor", nullptr, true, notepadOpens + ProgramFolder() + "\\\\VelmoroMailSearch.txt\""},
        // The help file is still the macro folder's.
        {"an editor in a relative folder", "Velmoro", true, notepadOpens + folder_ + "\\VelmoroMailSearch.txt\""},
    };
    for (const Case& c : cases) {
        DeleteFileA(commandLog_.c_str());
        SetEditorInstallLocation(c.installLocation);
        SetEditorMacroPath(c.macroFolder ? folder_.c_str() : nullptr);
        ASSERT_NO_FATAL_FAILURE(Load());
        Search("", {"help:", 1001});
        EXPECT_EQ(StartedCommandLines(1), (Lines{c.started})) << c.name;
        Unload();
    }
    if (!built)
        DeleteFileA(builtHelp.c_str());
    SetCurrentDirectoryA(current);
}

TEST_F(SearchRunTest, AnUnusableHostLibraryIsNamedNotCalled) {
    SetMailClientFolder((ProgramFolder() + "\\partial\\").c_str());
    plugin_ = LoadLibraryA((ProgramFolder() + "\\VelmoroMailSearch.dll").c_str());
    ASSERT_NE(plugin_, nullptr);
    search_ = Export<SearchFunction>(plugin_, "search");
    Lines messages;
    MessageBoxLook look;
    DriveDialog([&] { return static_cast<INT_PTR>(search_("abc")); },
              [&](HWND box) {
                  messages.push_back(MessageBoxText(box));
                  look = LookOf(box);
                  PostMessageA(box, WM_COMMAND, IDOK, 0);
              });
    ASSERT_EQ(messages.size(), 1u);
    // Before the host is bound there is no main window to own it.
    EXPECT_EQ(look.owner, nullptr);
    EXPECT_EQ(look.caption, "VelmoroMailSearch");
    EXPECT_EQ(look.icon, "error");
    EXPECT_NE(messages[0].find("PellInfo.dll"), std::string::npos);
    EXPECT_NE(messages[0].find("StartDoGrep"), std::string::npos);
    EXPECT_NE(messages[0].find("PellarinDir"), std::string::npos);
}

// A message of a run is owned by the mail client's main window and bears
// the plug-in's name and the icon of its kind: information for answers,
// warning for what was not done or not kept.
TEST_F(SearchRunTest, EachMessageIsOwnedCaptionedAndMarkedByItsKind) {
    struct Case {
        const char* name;
        std::string query;
        bool fileHeldOpen;
        Lines icons; // of the messages, in order
    };
    const Case cases[] = {
        {"the stored favourites", "fav:", false, {"information"}},
        {"an unknown favourite", "fav:nosuch", false, {"information"}},
        {"a name the file cannot hold", "fav:a=b x", false, {"warning"}},
        {"a text the file cannot hold", "fav:long " + std::string(40000, 'x'), false, {"warning"}},
        {"the settings, then a favourite, not saved", "fav:w x", true, {"warning", "warning"}},
        {"a favourite stored", "fav:w x", false, {"information"}},
        {"a favourite that would replace another", "fav:stored y", false, {"warning"}},
        {"a favourite deleted", "fav:stored \"\"", false, {"information"}},
        {"the help file missing", "help:", false, {"warning"}},
    };
    WriteWholeFile(iniPath_, "[Favorite]\r\nstored=x\r\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(Load());
        const HANDLE held = c.fileHeldOpen ? CreateFileA(iniPath_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                                         nullptr)
                                           : INVALID_HANDLE_VALUE;
        Search("", {c.query, 1001}, c.icons.size());
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        Lines icons;
        for (const MessageBoxLook& look : looks_) {
            icons.push_back(look.icon);
            EXPECT_EQ(look.caption, "VelmoroMailSearch");
            EXPECT_EQ(look.owner, MainWindow());
        }
        EXPECT_EQ(icons, c.icons);
        Unload();
    }
}

TEST_F(SearchRunTest, OkKeepsTheScopeEvenWithoutAQueryAndEscapeKeepsNothing) {
    WriteWholeFile(iniPath_, "[History]\r\nhistory0=old\r\n");
    ASSERT_NO_FATAL_FAILURE(Load());
    Search("abc", {"", 1004, true, true});
    EXPECT_TRUE(HandOver().empty());
    EXPECT_EQ(ReadWholeFile(iniPath_), "[History]\r\nhistory0=old\r\n");
    Search("", {"", 1004, true});
    EXPECT_TRUE(HandOver().empty());
    EXPECT_EQ(Setting("Config", "radio"), "4");
    EXPECT_EQ(Setting("Config", "check"), "TRUE");
    EXPECT_EQ(Setting("History", "history0"), "old");
    // The next run opens with them, and the history unchanged.
    Search("", {"w", 0, true});
    EXPECT_EQ(Join(HandOver()), Hands("(\"w\",target=smallheaderbody),subfolder=0,hilight=1", "", ""));
    EXPECT_EQ(Setting("History", "history0"), "w");
    EXPECT_EQ(Setting("History", "history1"), "old");
}

TEST_F(SearchRunTest, ANullTextIsAnEmptyOne) {
    ASSERT_NO_FATAL_FAILURE(Load());
    std::string shown;
    Search("abc", {"", 0, false, true});
    Search(nullptr, {"", 0, false, true}, 0, &shown);
    EXPECT_EQ(shown, "abc");
    Search(nullptr, {"w", 1001});
    EXPECT_EQ(HandOver().front(), "SetFindPack|(\"w\",target=smallheaderbody),subfolder=0,hilight=1");
}

// The host's main window, whose procedure calls `search` again on WM_APP, as
// a macro on a timer would while a run's dialog is open.
SearchFunction g_searchAgain = nullptr;
int g_searchedAgain = -1;

LRESULT CALLBACK HostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_APP)
        return DefWindowProcA(window, message, wParam, lParam);
    g_searchedAgain = g_searchAgain("again");
    return 0;
}

BOOL CALLBACK AddOpenDialog(HWND window, LPARAM found) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "#32770" && IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

// The dialogs open on a thread.
std::vector<HWND> OpenDialogsOf(DWORD thread) {
    std::vector<HWND> dialogs;
    EnumThreadWindows(thread, AddOpenDialog, reinterpret_cast<LPARAM>(&dialogs));
    return dialogs;
}

// The second call returns at once: it opens no window, hands nothing over
// and changes nothing saved; it brings the run's open window forward (the
// dialog, or a message box), and the run in progress ends as if nothing had
// happened.
TEST_F(SearchRunTest, ASecondSearchDuringARunOnlyBringsItsWindowForward) {
    WNDCLASSA hostClass{};
    hostClass.lpfnWndProc = HostWindowProcedure;
    hostClass.hInstance = GetModuleHandleA(nullptr);
    hostClass.lpszClassName = "VelmoroTestHost";
    RegisterClassA(&hostClass);
    const HWND mainWindow = CreateWindowExA(0, hostClass.lpszClassName, "host", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                            nullptr, nullptr, hostClass.hInstance, nullptr);
    ASSERT_NE(mainWindow, nullptr);
    ASSERT_NO_FATAL_FAILURE(Load());
    const auto setMainWindow = Export<void(__cdecl*)(HWND)>(GetModuleHandleA("PellInfo.dll"), "StandInSetMainWnd");
    setMainWindow(mainWindow);
    // The stand-in keeps its main window from test to test: its own again.
    const std::unique_ptr<void, std::function<void(void*)>> ownMainWindowAgain(
        mainWindow, [=](void*) { setMainWindow(nullptr); DestroyWindow(mainWindow); });
    struct Case {
        const char* name;
        const char* query;
        bool atMessageBox; // else at the dialog
        std::string handOver;
    };
    const Case cases[] = {
        {"the dialog open", "w", false,
         Hands("(\"w\",target=smallheaderbody),subfolder=0,hilight=1", kAccount, kCurrentFolder)},
        {"a message box open", "fav:", true, ""},
    };
    for (const Case& c : cases) {
        g_searchAgain = search_;
        g_searchedAgain = -1;
        std::size_t windowsOpen = 0;
        bool broughtForward = false;
        Lines messages;
        const std::size_t logged = std::strlen(callLog_());
        DriveDialog([&] { return static_cast<INT_PTR>(search_("first")); },
                    [&](HWND window) {
                        if (IsMessageBox(window) == c.atMessageBox) {
                            SetForegroundWindow(mainWindow);
                            DWORD_PTR answer = 0;
                            SendMessageTimeoutA(mainWindow, WM_APP, 0, 0, SMTO_NORMAL, 3000, &answer);
                            broughtForward = GetForegroundWindow() == window;
                            // A second window is the fault: it is closed, so that the test ends.
                            const std::vector<HWND> open = OpenDialogsOf(GetWindowThreadProcessId(window, nullptr));
                            windowsOpen = open.size();
                            for (const HWND other : open) {
                                if (other != window)
                                    PostMessageA(other, WM_COMMAND, IDCANCEL, 0);
                            }
                        }
                        AnswerSearchRun(window, {c.query, 1001}, messages);
                    });
        lastCalls_ = callLog_() + logged;
        EXPECT_EQ(g_searchedAgain, 0) << c.name;
        EXPECT_EQ(windowsOpen, 1u) << c.name;
        EXPECT_TRUE(broughtForward) << c.name;
        EXPECT_EQ(Join(HandOver()), c.handOver) << c.name;
        EXPECT_EQ(lastCalls_.find("again"), std::string::npos) << c.name << ": the second call encoded its text";
        std::string shown;
        Search("", {"", 0, false, true}, 0, &shown);
        EXPECT_EQ(shown, "first") << c.name;
    }
}

// A real host may hand out every string in one buffer that its next call
// overwrites, or give null or empty strings: the plug-in copies each at once
// and hands over exactly what it was given.
TEST_F(SearchRunTest, HostileHostsGetWhatAWellBehavedOneGets) {
    struct Case {
        const char* name;
        const char* strings;
        const char* window;
        const char* account; // null: the host returns null
        const char* folder;
        const char* yen;
        DialogAnswer answer;
        std::string handOver;
    };
    const std::string expression = "(\"bob\",target=from)and(\"x\",target=subject),subfolder=0,hilight=1";
    const std::string throughMain = "ExecAtMain|SetFindPack|" + expression + "\nExecAtMain|StartDoGrep|" + kAccount +
                                    "|" + kCurrentFolder + "\nExecAtMain|PushFindPack";
    const std::string longEncoding(kStandInLongPadding, '~');
    const Case cases[] = {
        {"own strings", "own", "main", kAccount.c_str(), kCurrentFolder.c_str(), "", {"from:bob subject:x", 1001},
         Hands(expression, kAccount, kCurrentFolder)},
        {"one shared buffer", "shared", "main", kAccount.c_str(), kCurrentFolder.c_str(), "",
         {"from:bob subject:x", 1001}, Hands(expression, kAccount, kCurrentFolder)},
        {"one shared buffer, through the main window", "shared", "other", kAccount.c_str(), kCurrentFolder.c_str(),
         "", {"from:bob subject:x", 1001}, throughMain},
        {"one shared buffer, current account", "shared", "other", kAccount.c_str(), kCurrentFolder.c_str(), "",
         {"from:bob subject:x", 1003},
         "ExecAtMain|SetFindPack|" + expression + "\nExecAtMain|StartDoGrep|" + kAccount + "|" + kAllFolders +
             "\nExecAtMain|PushFindPack"},
        {"null account and folder", "own", "main", nullptr, nullptr, "", {"from:bob subject:x", 1001},
         Hands(expression, "(null)", "(null)")},
        {"null account and folder, shared", "shared", "other", nullptr, nullptr, "", {"from:bob subject:x", 1001},
         "ExecAtMain|SetFindPack|" + expression +
             "\nExecAtMain|StartDoGrep|(null)|(null)\nExecAtMain|PushFindPack"},
        {"empty account and folder", "shared", "main", "", "", "", {"from:bob subject:x", 1002},
         Hands("(\"bob\",target=from)and(\"x\",target=subject),subfolder=1,hilight=1", "", "")},
        {"no encoding", "shared", "main", kAccount.c_str(), kCurrentFolder.c_str(), "null",
         {"from:b\"o\\b subject:x", 1001},
         Hands("(\"b\\\"o\\\\b\",target=from)and(\"x\",target=subject),subfolder=0,hilight=1", kAccount,
               kCurrentFolder)},
        {"a very long encoding", "shared", "main", kAccount.c_str(), kCurrentFolder.c_str(), "long",
         {"from:bob subject:x", 1001},
         Hands("(\"bob" + longEncoding + "\",target=from)and(\"x" + longEncoding +
                   "\",target=subject),subfolder=0,hilight=1",
               kAccount, kCurrentFolder)},
    };
    ASSERT_NO_FATAL_FAILURE(Load());
    for (const Case& c : cases) {
        configure_("strings", c.strings);
        configure_("window", c.window);
        configure_("account", c.account);
        configure_("folder", c.folder);
        configure_("yen", c.yen);
        SCOPED_TRACE(c.name);
        Search("", c.answer);
        EXPECT_TRUE(Join(HandOver()) == c.handOver) << c.name << ":\n" << Join(HandOver()).substr(0, 400);
    }
}

// The initial text's encoding is copied too, before the next host call.
TEST_F(SearchRunTest, TheEncodedInitialTextSurvivesASharedBuffer) {
    ASSERT_NO_FATAL_FAILURE(Load());
    configure_("strings", "shared");
    std::string shown;
    Search("q\"x", {"", 0, false, true}, 0, &shown);
    EXPECT_EQ(shown, "q\\\"x");
    Search("", {"", 0, false, true}, 0, &shown);
    EXPECT_EQ(shown, "q\\\"x");
}

TEST_F(SearchRunTest, AFavouriteThatCannotBeWrittenIsReportedAndNothingIsLost) {
    const std::string content = "[Favorite]\r\nwork=from:alice\r\n";
    WriteWholeFile(iniPath_, content);
    ASSERT_NO_FATAL_FAILURE(Load());
    // Held open without sharing by another program.
    const HANDLE held = CreateFileA(iniPath_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    // One for each favourite, and once in the process: the history and the
    // scope are not kept either.
    Lines messages;
    for (const auto& [query, told] : {std::pair<const char*, std::size_t>{"fav:home from:bob", 2},
                                      {"fav:work \"\"", 1}, {"fav:work from:carol", 1}}) {
        const Lines shown = Search("", {query, 1001}, told);
        messages.insert(messages.end(), shown.begin(), shown.end());
        EXPECT_TRUE(HandOver().empty()) << query;
    }
    CloseHandle(held);
    // Read-only: the same, and nothing is said stored or asked.
    SetFileAttributesA(iniPath_.c_str(), FILE_ATTRIBUTE_READONLY);
    for (const char* query : {"fav:home from:bob", "fav:work from:carol"})
        messages.push_back(Search("", {query, 1001}, 1).front());
    SetFileAttributesA(iniPath_.c_str(), FILE_ATTRIBUTE_NORMAL);
    for (const std::string& message : messages)
        EXPECT_EQ(Wide(message).find(L"登録しました"), std::wstring::npos) << message;
    for (const std::string& message : messages)
        EXPECT_NE(message.find(iniPath_), std::string::npos) << message;
    EXPECT_EQ(ReadWholeFile(iniPath_), content);
    Search("", {"fav:work", 1001});
    EXPECT_EQ(HandOver().front(), "SetFindPack|(\"alice\",target=from),subfolder=0,hilight=1");
}

// An entry too long for the file is left out before the others are
// numbered: no key keeps an older text where the next process loads it.
TEST_F(SearchRunTest, AQueryTooLongToSaveLeavesTheHistoryInOrder) {
    WriteWholeFile(iniPath_, "[History]\r\nhistory0=old0\r\nhistory1=old1\r\nhistory2=old2\r\n");
    ASSERT_NO_FATAL_FAILURE(Load());
    Search("", {std::string(40000, 'q'), 1001});
    EXPECT_EQ(HandOver().size(), 3u);
    Unload();
    ASSERT_NO_FATAL_FAILURE(Load());
    EXPECT_EQ(ListedHistory(), (Lines{"old0", "old1", "old2"}));
}

// The file in an encoding the reader knows by its mark.
std::string WithMark(const std::string& ansi, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const wchar_t unit : Wide(ansi)) {
        bytes += static_cast<char>(bigEndian ? unit >> 8 : unit & 0xFF);
        bytes += static_cast<char>(bigEndian ? unit & 0xFF : unit >> 8);
    }
    return bytes;
}

// Files as users' editors leave them, and a folder as deep as the system
// allows: a confirmation and a favourite are read back as they were meant,
// by this process and the next, and the lines not changed stay.
TEST_F(SearchRunTest, SavesReadBackFromFilesAsEditorsLeaveThem) {
    struct Case {
        const char* name;
        std::string before;
        std::size_t pathLength; // of the settings file; 0: as it is
        std::string kept;        // the key in [Config] that must keep the value 1
    };
    const std::string plain = "[Config]\r\nradio=2\r\n[History]\r\nhistory0=old\r\n";
    const Case cases[] = {
        {"saved as Unicode", WithMark(plain, false), 0, ""},
        {"saved as Unicode, big-endian", WithMark(plain, true), 0, ""},
        {"saved as UTF-8 with a mark", "\xEF\xBB\xBF" + plain, 0, ""},
        {"lone CRs", "[Config]\rradio=2\r[History]\rhistory0=old\r", 0, ""},
        {"a stray CR in the line changed", "[Config]\r\nradio=2\rfullwidthspace=1\r\n[History]\r\nhistory0=old\r\n", 0,
         "fullwidthspace"},
        {"a comment whose last byte is ]", "[Config] ;\x83\x5d\r\nradio=2\r\nmine=1\r\n[History]\r\nhistory0=old\r\n", 0,
         "mine"},
        {"a path of MAX_PATH - 1 characters", plain, MAX_PATH - 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.pathLength) {
            const std::string deep = MakeDeepFolder(folder_, c.pathLength - std::strlen("\\VelmoroMailSearch.ini"));
            SetEditorMacroPath(deep.c_str());
            iniPath_ = deep + "\\VelmoroMailSearch.ini";
        }
        WriteWholeFile(iniPath_, c.before);
        ASSERT_NO_FATAL_FAILURE(Load());
        Search("", {"new", 1003});
        Search("", {"fav:f from:x", 1003}, 1);
        Search("", {"fav:f", 1003});
        EXPECT_EQ(Join(HandOver()), Hands("(\"x\",target=from),subfolder=0,hilight=1", kAccount, kAllFolders));
        EXPECT_EQ(Setting("Config", "radio"), "3");
        EXPECT_EQ(Setting("History", "history2"), "new");
        EXPECT_EQ(Setting("History", "history3"), "old");
        if (!c.kept.empty()) {
            EXPECT_EQ(Setting("Config", c.kept.c_str()), "1");
        }
        const std::string after = ExistingFileText(iniPath_);
        EXPECT_EQ(after.substr(0, 2), c.before.substr(0, 2)) << "the mark";
        EXPECT_EQ(after.find("[Config]", after.find("[Config]") + 1), std::string::npos) << "a second [Config]";
        Unload();
        ASSERT_NO_FATAL_FAILURE(Load());
        Lines items;
        bool scopeKept = false;
        DriveDialog([&] { return static_cast<INT_PTR>(search_("")); },
                    [&](HWND dialog) {
                        items = ListItems(dialog);
                        scopeKept = IsChecked(dialog, 1003);
                        PressKey(dialog, VK_ESCAPE);
                    });
        EXPECT_EQ(items, (Lines{"fav:f", "fav:f from:x", "new", "old"}));
        EXPECT_TRUE(scopeKept);
        Unload();
        iniPath_ = folder_ + "\\VelmoroMailSearch.ini";
        SetEditorMacroPath(folder_.c_str());
    }
}

// Another process in the middle of its save holds the lock: the save waits
// its turn, then ends as not done, told to the user, the file unchanged; the
// search goes on.
TEST_F(SearchRunTest, ASaveThatWaitsTooLongForItsTurnIsToldAndChangesNothing) {
    const std::string before = "[History]\r\nhistory0=old\r\n";
    WriteWholeFile(iniPath_, before);
    ASSERT_NO_FATAL_FAILURE(Load());
    const HANDLE held = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const std::string lock = SaveLockName(iniPath_);
    const HANDLE holder = StartThread([&] {
        const HANDLE mutex = CreateMutexA(nullptr, FALSE, lock.c_str());
        WaitForSingleObject(mutex, INFINITE);
        SetEvent(held);
        WaitForSingleObject(release, 30000);
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    });
    ASSERT_EQ(WaitForSingleObject(held, 10000), WAIT_OBJECT_0);
    const DWORD start = GetTickCount();
    const Lines told = Search("", {"new", 1001}, 1);
    const DWORD waited = GetTickCount() - start;
    SetEvent(release);
    JoinThread(holder);
    CloseHandle(held);
    CloseHandle(release);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(Wide(told[0]).find(L"ほかの Velmoroメールのウィンドウの保存が終わりませんでした"), std::wstring::npos);
    EXPECT_GE(waited, kSaveTurnWaitMs);
    EXPECT_EQ(HandOver().size(), 3u);
    EXPECT_EQ(ExistingFileText(iniPath_), before);
}

// A settings file deeper than the system allows cannot be written, and the
// message says so; the search goes on.
TEST_F(SearchRunTest, ASettingsPathTooLongIsToldAsSuch) {
    const std::string deep = MakeDeepFolder(folder_, MAX_PATH + 1 - std::strlen("\\VelmoroMailSearch.ini"));
    SetEditorMacroPath(deep.c_str());
    ASSERT_NO_FATAL_FAILURE(Load());
    const Lines told = Search("", {"w", 1001}, 1);
    EXPECT_EQ(HandOver().size(), 3u);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(Wide(told[0]).find(L"パスが長すぎます"), std::wstring::npos);
}

// Each query once, newest first, twenty at most: the list shows what the
// file holds and what the next start shows. Keys past history19, and keys
// of other names, stay as they were.
TEST_F(SearchRunTest, TheHistoryHoldsEachQueryOnceNewestFirst) {
    struct Case {
        const char* name;
        Lines loaded;
        Lines confirmed;
        Lines after;
    };
    Lines aToT;
    for (char letter = 'A'; letter <= 'T'; ++letter)
        aToT.push_back(std::string(1, letter));
    Lines tThenAToS = aToT;
    std::rotate(tThenAToS.begin(), tThenAToS.end() - 1, tThenAToS.end());
    Lines tenTwice;
    for (int i = 0; i < 20; ++i)
        tenTwice.push_back("q" + std::to_string(i % 10));
    const Case cases[] = {
        {"a repeated query moves to the front", {"A", "B", "C"}, {"B"}, {"B", "A", "C"}},
        {"a file with a query twice", {"A", "B", "A", "C"}, {"D"}, {"D", "A", "B", "C"}},
        {"twenty entries with repeats", tenTwice, {"q5"}, {"q5", "q0", "q1", "q2", "q3", "q4", "q6", "q7", "q8", "q9"}},
        {"A to T, then A and T", aToT, {"A", "T"}, tThenAToS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = "[History]\r\n";
        for (std::size_t i = 0; i < c.loaded.size(); ++i)
            file += "history" + std::to_string(i) + "=" + c.loaded[i] + "\r\n";
        WriteWholeFile(iniPath_, file + "history25=kept\r\nother=kept\r\n");
        ASSERT_NO_FATAL_FAILURE(Load());
        for (const std::string& query : c.confirmed)
            Search("", {query, 1001});
        EXPECT_EQ(ListedHistory(), c.after);
        for (std::size_t k = 0; k < 20; ++k)
            EXPECT_EQ(Setting("History", ("history" + std::to_string(k)).c_str()), k < c.after.size() ? c.after[k] : "") << k;
        EXPECT_EQ(Setting("History", "history25"), "kept");
        EXPECT_EQ(Setting("History", "other"), "kept");
        Unload();
        ASSERT_NO_FATAL_FAILURE(Load());
        EXPECT_EQ(ListedHistory(), c.after) << "the next start";
        Unload();
    }
}

// Every message posted to the field so far has been handled: a marker posted
// after them has taken effect.
void Settle(HWND dialog) {
    static WPARAM marker = 0x7FFF0000;
    ++marker;
    PostMessageA(QueryEdit(dialog), EM_SETLIMITTEXT, marker, 0);
    WaitUntil([&] { return static_cast<WPARAM>(SendMessageA(QueryEdit(dialog), EM_GETLIMITTEXT, 0, 0)) == marker; });
}

// The suggestion list, typed at as a user types: the rows, nothing
// highlighted, the keys it takes and the ones it leaves to the dialog.
TEST_F(SearchRunTest, TheSuggestionListOffersCompletionsAndTakesItsKeys) {
    std::string twelve = "[Favorite]\r\n";
    for (int i = 0; i < 12; ++i)
        twelve += "n" + std::to_string(i) + "=from:x" + std::to_string(i) + "\r\n";
    // Stand for the input method's messages, and for characters typed.
    const WPARAM kCompose = 1, kEndCompose = 2, kTyped = 0x10000;
    const struct {
        const char* name;
        std::string file, typed;
        Lines rows;             // shown after typing
        std::vector<WPARAM> keys; // then pressed
        std::string field;      // the field afterwards, with the dialog still open
        bool listAfter;         // still shown then
    } cases[] = {
        {"targets", "", "s", {"smallheaderbody:", "subject:", "smallheader:"}, {}, "s", true},
        {"after a term", "", "x f", {"from+to:", "from:", "flag:"}, {}, "x f", true},
        {"every favourite", twelve, "fav:",
         {"fav:n0", "fav:n1", "fav:n2", "fav:n3", "fav:n4", "fav:n5", "fav:n6", "fav:n7", "fav:n8", "fav:n9", "fav:n10",
          "fav:n11"}, {VK_DOWN, VK_DOWN, VK_RETURN}, "fav:n1", false},
        {"down and enter, case taught", "", "x Sub", {"subject:"}, {VK_DOWN, VK_RETURN}, "x subject:", false},
        {"tab", "", "fr", {"from+to:", "from:"}, {VK_DOWN, VK_DOWN, VK_UP, VK_TAB}, "from+to:", false},
        // The fixes, with Japanese text before the caret (which the field may
        // count in characters): the prefix as spelt, the space taken out.
        // Before "|": put in whole, as an input method does.
        {"a prefix mistyped", "", "\x93\x63\x92\x86 |subjet:", {"subject:"}, {VK_DOWN, VK_RETURN},
         "\x93\x63\x92\x86 subject:", false},
        {"a space after the colon", "", "\x93\x63\x92\x86 |from: ", {"from:"}, {VK_DOWN, VK_TAB},
         "\x93\x63\x92\x86 from:", false},
        {"a target after Japanese text", "", "\x93\x63\x92\x86 |fr", {"from+to:", "from:"}, {}, "\x93\x63\x92\x86 fr",
         true},
        // After "^": put in by an input method's replacement of the selection.
        {"a full-width prefix from an input method", "", "^\x82\x93\x82\x95\x82\x82\x82\x8a\x82\x85\x82\x83\x82\x94\x81\x46",
         {"subject:"}, {}, "\x82\x93\x82\x95\x82\x82\x82\x8a\x82\x85\x82\x83\x82\x94\x81\x46", true},
        {"a favourite's name from an input method", "[Favorite]\r\n\x8f\x54\x95\xf1=x\r\nother=y\r\n\x8f\x54\x8e\x9f=z\r\n",
         "fav:^\x8f\x54", {"fav:\x8f\x54\x95\xf1", "fav:\x8f\x54\x8e\x9f"}, {}, "fav:\x8f\x54", true},
        {"esc closes the list alone", "", "s", {"smallheaderbody:", "subject:", "smallheader:"}, {VK_ESCAPE}, "s", false},
        {"a phrase", "", "\"a s", {}, {}, "\"a s", false},
        {"a value", "", "subject:s", {}, {}, "subject:s", false},
        {"in a composition", "", "", {}, {kCompose, kTyped + 's'}, "s", false},
        {"after a composition", "", "", {}, {kCompose, kTyped + 's', kEndCompose, kTyped + 'u'}, "su", true},
        {"switched off", "[Config]\r\nsuggest=0\r\n", "s", {}, {}, "s", false},
        {"the history drops", "[History]\r\nhistory0=old\r\n", "s", {"smallheaderbody:", "subject:", "smallheader:"},
         {VK_F4}, "s", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteWholeFile(iniPath_, c.file);
        ASSERT_NO_FATAL_FAILURE(Load());
        Lines rows;
        LRESULT highlighted = 0;
        std::string field;
        bool listAfter = true, dropped = false;
        HWND list = nullptr;
        DriveDialog([&] { return static_cast<INT_PTR>(search_("")); },
                    [&](HWND dialog) {
                        WaitForQueryFocus(dialog);
                        const std::size_t replacedAt = std::min(c.typed.find('^'), c.typed.size());
                        const std::string typed = c.typed.substr(0, replacedAt);
                        const std::size_t put = typed.find('|');
                        if (put != std::string::npos)
                            PutText(dialog, typed.substr(0, put));
                        TypeKeys(dialog, put == std::string::npos ? typed : typed.substr(put + 1));
                        Settle(dialog);
                        if (replacedAt < c.typed.size()) {
                            const std::wstring replaced = Wide(c.typed.substr(replacedAt + 1));
                            SendMessageW(QueryEdit(dialog), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(replaced.c_str()));
                            Settle(dialog);
                        }
                        rows = SuggestionRows(dialog);
                        list = SuggestionListOf(dialog);
                        highlighted = list ? SendMessageA(list, LB_GETCURSEL, 0, 0) : LB_ERR;
                        GUITHREADINFO thread{};
                        thread.cbSize = sizeof thread;
                        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread);
                        EXPECT_TRUE(thread.hwndActive == dialog && thread.hwndFocus == QueryEdit(dialog))
                            << "the list took the activation or the focus";
                        for (const WPARAM key : c.keys) {
                            if (key == kCompose || key == kEndCompose)
                                PostMessageA(QueryEdit(dialog), key == kCompose ? WM_IME_STARTCOMPOSITION
                                                                                : WM_IME_ENDCOMPOSITION, 0, 0);
                            else if (key > kTyped)
                                TypeKeys(dialog, std::string(1, static_cast<char>(key - kTyped)));
                            else
                                PressKey(dialog, key);
                        }
                        Settle(dialog);
                        field = QueryText(dialog);
                        listAfter = SuggestionListOf(dialog) != nullptr;
                        list = list ? list : SuggestionListOf(dialog);
                        dropped = SendMessageA(GetDlgItem(dialog, 1000), CB_GETDROPPEDSTATE, 0, 0) != 0;
                        SendMessageA(GetDlgItem(dialog, 1000), CB_SHOWDROPDOWN, FALSE, 0);
                        // Esc once more for an open list, then for the dialog.
                        if (listAfter) {
                            PressKey(dialog, VK_ESCAPE);
                            Settle(dialog);
                            EXPECT_EQ(SuggestionListOf(dialog), nullptr);
                        }
                        PressKey(dialog, VK_ESCAPE);
                    });
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(highlighted, LB_ERR) << "nothing highlighted as the list appears";
        EXPECT_EQ(field, c.field);
        EXPECT_EQ(listAfter, c.listAfter);
        EXPECT_EQ(dropped, c.keys == std::vector<WPARAM>{VK_F4});
        EXPECT_FALSE(list && IsWindow(list)) << "the list outlived the dialog";
        EXPECT_EQ(std::string(callLog_()).find("SetFindPack"), std::string::npos);
        Unload();
    }
}

// Any program reads the list as list boxes are read, in ANSI or in Unicode,
// and gets each row whole with nothing written past its buffer; past the
// rows listed, a last line says how many more match.
TEST_F(SearchRunTest, TheSuggestionListIsReadAsListBoxesAre) {
    std::string file = "[Favorite]\r\n\x8f\x54\x95\xf1=subject:\x8f\x54\x95\xf1\r\n"; // 週報
    for (int i = 0; i < 149; ++i)
        file += "n" + std::to_string(i) + "=from:x\r\n";
    WriteWholeFile(iniPath_, file);
    ASSERT_NO_FATAL_FAILURE(Load());
    Lines ansi;
    std::vector<std::wstring> unicode;
    DriveDialog([&] { return static_cast<INT_PTR>(search_("")); },
                [&](HWND dialog) {
                    WaitForQueryFocus(dialog);
                    TypeKeys(dialog, "fav:");
                    Settle(dialog);
                    const HWND list = SuggestionListOf(dialog);
                    const LRESULT count = list ? SendMessageW(list, LB_GETCOUNT, 0, 0) : 0;
                    for (LRESULT i = 0; i < count; ++i) {
                        const LRESULT bytes = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
                        const LRESULT units = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
                        ASSERT_GE(bytes, 0);
                        ASSERT_GE(units, 0);
                        std::string a(static_cast<std::size_t>(bytes) + 1 + 8, '#');
                        std::wstring w(static_cast<std::size_t>(units) + 1 + 8, L'#');
                        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&a[0]));
                        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&w[0]));
                        EXPECT_EQ(a.substr(a.size() - 8), std::string(8, '#')) << "row " << i;
                        EXPECT_EQ(w.substr(w.size() - 8), std::wstring(8, L'#')) << "row " << i;
                        ansi.push_back(a.c_str());
                        unicode.push_back(w.c_str());
                    }
                    PressKey(dialog, VK_ESCAPE);
                    PressKey(dialog, VK_ESCAPE);
                });
    ASSERT_EQ(ansi.size(), 21u);
    EXPECT_EQ(ansi[0], "fav:\x8f\x54\x95\xf1\tsubject:\x8f\x54\x95\xf1");
    EXPECT_EQ(unicode[0], L"fav:週報\tsubject:週報");
    EXPECT_EQ(ansi[19], "fav:n18\tfrom:x");
    EXPECT_EQ(unicode[20], L"ほか 130 件あります。続けて入力すると絞り込めます");
}

// The field is a Unicode window and keeps every character as it came (an
// input method's replacement, a paste from a Unicode clipboard); the
// reading names the first one the mail client cannot receive; the run,
// the history and the hand-over take what the code page makes of them.
TEST_F(SearchRunTest, TheFieldKeepsEveryCharacterAndSaysWhichCannotReachTheMailClient) {
    const std::wstring typed = L"from:\U00020BB7\u7530 "; // 𠮷田
    const std::wstring pasted = L"\uD55C\uAE00"; // 한글
    ASSERT_NO_FATAL_FAILURE(Load());
    bool unicode = false;
    std::wstring field, reading;
    Lines rows;
    const std::size_t logged = std::strlen(callLog_());
    DriveDialog([&] { return static_cast<INT_PTR>(search_("")); },
                [&](HWND dialog) {
                    WaitForQueryFocus(dialog);
                    const HWND edit = QueryEdit(dialog);
                    unicode = IsWindowUnicode(dialog) && IsWindowUnicode(edit);
                    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(typed.c_str()));
                    if (OpenClipboard(nullptr)) {
                        EmptyClipboard();
                        const HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, (pasted.size() + 1) * sizeof(wchar_t));
                        std::memcpy(GlobalLock(copy), pasted.c_str(), (pasted.size() + 1) * sizeof(wchar_t));
                        GlobalUnlock(copy);
                        SetClipboardData(CF_UNICODETEXT, copy);
                        CloseClipboard();
                    }
                    SendMessageW(edit, WM_PASTE, 0, 0);
                    TypeKeys(dialog, " fr");
                    Settle(dialog);
                    rows = SuggestionRows(dialog);
                    wchar_t text[256] = {};
                    GetWindowTextW(edit, text, 256);
                    field = text;
                    GetWindowTextW(GetDlgItem(dialog, 1007), text, 256);
                    reading = text;
                    PressKey(dialog, VK_ESCAPE);
                    Click(dialog, IDOK);
                });
    const std::string calls = callLog_() + logged;
    EXPECT_TRUE(unicode);
    EXPECT_EQ(field, typed + pasted + L" fr");
    EXPECT_EQ(rows, (Lines{"from+to:", "from:"})) << "the term at the caret after a character of two units";
    EXPECT_EQ(reading.substr(0, 5), L"※「\U00020BB7」") << "the first named as typed";
    EXPECT_NE(reading.find(L"(ほか 2 件)"), std::wstring::npos) << "the others counted";
    char ansi[256] = {};
    WideCharToMultiByte(CP_ACP, 0, field.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
    const Lines history = ListedHistory();
    ASSERT_FALSE(history.empty());
    EXPECT_EQ(history.front(), ansi);
    EXPECT_EQ(Setting("History", "history0"), ansi);
    char value[16] = {};
    WideCharToMultiByte(CP_ACP, 0, L"\U00020BB7\u7530", -1, value, sizeof value, nullptr, nullptr);
    EXPECT_NE(calls.find(std::string("SetFindPack|(\"") + value + "\",target=from)"), std::string::npos) << calls;
}

// Enter with nothing highlighted confirms exactly what was typed.
TEST_F(SearchRunTest, EnterWithNothingHighlightedSearchesTheTypedText) {
    ASSERT_NO_FATAL_FAILURE(Load());
    DriveDialog([&] { return static_cast<INT_PTR>(search_("")); },
                [&](HWND dialog) {
                    WaitForQueryFocus(dialog);
                    TypeKeys(dialog, "sub");
                    Settle(dialog);
                    EXPECT_EQ(SuggestionRows(dialog), Lines{"subject:"});
                    PressKey(dialog, VK_RETURN);
                });
    EXPECT_EQ(ListedHistory(), Lines{"sub"});
}

// Delete on the highlighted entry of the dropped list removes it from the
// list and the file at once, though the dialog is then cancelled; the entry
// taking its place is highlighted and shown, and nothing is searched. A favourite of the same text
// stays. With the list closed, Delete edits the text.
TEST_F(SearchRunTest, DeleteRemovesTheHighlightedEntryOfTheDroppedList) {
    WriteWholeFile(iniPath_, "[History]\r\nhistory0=A\r\nhistory1=fav:w from:x\r\nhistory2=C\r\n[Favorite]\r\nw=from:x\r\n");
    ASSERT_NO_FATAL_FAILURE(Load());
    const std::size_t logged = std::strlen(callLog_());
    Lines items;
    std::string field;
    bool highlighted = false;
    DriveDialog([&] { return static_cast<INT_PTR>(search_("")); },
                [&](HWND dialog) {
                    const HWND box = GetDlgItem(dialog, 1000);
                    // Activation would close a list dropped before it.
                    WaitForQueryFocus(dialog);
                    TypeQuery(dialog, "typed");
                    SendMessageA(box, CB_SHOWDROPDOWN, TRUE, 0);
                    PressKey(dialog, VK_DOWN);
                    PressKey(dialog, VK_DOWN);
                    highlighted = WaitUntil([&] {
                        return SendMessageA(box, CB_GETDROPPEDSTATE, 0, 0) && SendMessageA(box, CB_GETCURSEL, 0, 0) == 1;
                    });
                    PressKey(dialog, VK_DELETE);
                    WaitUntil([&] { return ListItems(dialog).size() == 2; });
                    items = ListItems(dialog);
                    field = QueryText(dialog);
                    SendMessageA(box, CB_SHOWDROPDOWN, FALSE, 0);
                    PressKey(dialog, VK_ESCAPE);
                });
    EXPECT_TRUE(highlighted);
    EXPECT_EQ(items, (Lines{"A", "C"}));
    EXPECT_EQ(field, "C");
    EXPECT_EQ(std::string(callLog_() + logged).find("SetFindPack"), std::string::npos);
    EXPECT_EQ(Setting("History", "history0"), "A");
    EXPECT_EQ(Setting("History", "history1"), "C");
    EXPECT_EQ(Setting("History", "history2"), "");
    EXPECT_EQ(Setting("Favorite", "w"), "from:x");
    Unload();
    ASSERT_NO_FATAL_FAILURE(Load());
    EXPECT_EQ(ListedHistory(), (Lines{"A", "C"}));
    DriveDialog([&] { return static_cast<INT_PTR>(search_("")); },
                [&](HWND dialog) {
                    TypeQuery(dialog, "xabc");
                    SendMessageA(QueryEdit(dialog), EM_SETSEL, 0, 0);
                    PressKey(dialog, VK_DELETE);
                    WaitUntil([&] { return QueryText(dialog) == "abc"; });
                    Click(dialog, IDOK);
                });
    EXPECT_EQ(ListedHistory(), (Lines{"abc", "A", "C"}));
}

// Another process's saves while the dialog is open stay: a query confirmed
// here, or an entry deleted here, changes the history as the file holds it.
// A warning while the dialog is open is the dialog's, which waits behind it.
TEST_F(SearchRunTest, TheHistoryKeepsWhatAnotherProcessSavedMeanwhile) {
    WriteWholeFile(iniPath_, "[History]\r\nhistory0=A\r\nhistory1=B\r\n");
    ASSERT_NO_FATAL_FAILURE(Load());
    const auto deleteThird = [](HWND dialog) {
        const HWND box = GetDlgItem(dialog, 1000);
        WaitForQueryFocus(dialog);
        SendMessageA(box, CB_SHOWDROPDOWN, TRUE, 0);
        for (int i = 0; i < 3; ++i)
            PressKey(dialog, VK_DOWN);
        EXPECT_TRUE(WaitUntil([&] { return SendMessageA(box, CB_GETCURSEL, 0, 0) == 2; }));
        PressKey(dialog, VK_DELETE);
    };
    DriveDialog([&] { return static_cast<INT_PTR>(search_("")); },
                [&](HWND dialog) {
                    WriteWholeFile(iniPath_, "[History]\r\nhistory0=other\r\nhistory1=A\r\nhistory2=B\r\n");
                    TypeQuery(dialog, "mine");
                    Click(dialog, IDOK);
                });
    EXPECT_EQ(ListedHistory(), (Lines{"mine", "other", "A", "B"}));
    DriveDialog([&] { return static_cast<INT_PTR>(search_("")); },
                [&](HWND dialog) {
                    WriteWholeFile(iniPath_, "[History]\r\nhistory0=later\r\nhistory1=mine\r\nhistory2=other\r\n"
                                             "history3=A\r\nhistory4=B\r\n");
                    deleteThird(dialog); // A
                    EXPECT_TRUE(WaitUntil([&] { return ListItems(dialog).size() == 3; }));
                    SendMessageA(GetDlgItem(dialog, 1000), CB_SHOWDROPDOWN, FALSE, 0);
                    PressKey(dialog, VK_ESCAPE);
                });
    EXPECT_EQ(Setting("History", "history3"), "B");
    EXPECT_EQ(ListedHistory(), (Lines{"later", "mine", "other", "B"}));
    // A Delete that cannot be saved: the warning is the dialog's.
    ASSERT_TRUE(SetFileAttributesA(iniPath_.c_str(), FILE_ATTRIBUTE_READONLY));
    HWND dialogShown = nullptr;
    MessageBoxLook look;
    bool enabledBehind = true;
    Lines messages;
    DriveDialog([&] { return static_cast<INT_PTR>(search_("")); },
                [&](HWND window) {
                    if (IsMessageBox(window)) {
                        look = LookOf(window);
                        enabledBehind = IsWindowEnabled(dialogShown);
                        AnswerSearchRun(window, {}, messages);
                    } else if (!dialogShown) {
                        dialogShown = window;
                        deleteThird(window); // other
                    } else {
                        EXPECT_TRUE(IsWindowEnabled(window)) << "once the warning is answered";
                        SendMessageA(GetDlgItem(window, 1000), CB_SHOWDROPDOWN, FALSE, 0);
                        PressKey(window, VK_ESCAPE);
                    }
                });
    SetFileAttributesA(iniPath_.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(look.owner, dialogShown);
    EXPECT_FALSE(enabledBehind);
    EXPECT_EQ(ListedHistory(), (Lines{"later", "mine", "B"})) << "the change kept in memory";
}

// Sixteen megabytes typed, or pasted by a macro, fit a 32-bit host: they are
// searched in full, with no message, and the settings stay usable. (Running
// out of memory instead is the limits tests' part. The dialog's edit control
// takes most of the time: it lays out the whole line.)
TEST_F(SearchRunTest, SixteenMegabytesAreSearched) {
    const std::string words = [] {
        std::string text;
        while (text.size() < 16u * 1024 * 1024)
            text += "w" + std::to_string(text.size() % 97) + " ";
        return text;
    }();
    ASSERT_NO_FATAL_FAILURE(Load());
    for (const bool pasted : {false, true}) {
        DialogAnswer confirm{words, 1001};
        confirm.keepShownText = pasted;
        Search(pasted ? words : "", confirm);
        const Lines calls = HandOver();
        ASSERT_EQ(calls.size(), 3u) << pasted;
        // Pasted, the text holds spaces, so it arrives quoted: one phrase.
        const std::string start = pasted ? "SetFindPack|(\"w0 w3 " : "SetFindPack|(\"w0\",target=smallheaderbody)and(\"w3\"";
        const std::string end = pasted ? " \",regular,target=smallheaderbody),subfolder=0,hilight=1"
                                       : "\",target=smallheaderbody),subfolder=0,hilight=1";
        EXPECT_EQ(calls[0].rfind(start, 0), 0u) << pasted;
        EXPECT_EQ(calls[0].compare(calls[0].size() - end.size(), end.size(), end), 0) << pasted;
    }
    // A small text replaces the pasted one for the next dialog.
    Search("x", {"after", 1002});
    EXPECT_EQ(HandOver().front(), "SetFindPack|(\"after\",target=smallheaderbody),subfolder=1,hilight=1");
    EXPECT_EQ(Setting("Config", "radio"), "2");
    EXPECT_EQ(Setting("History", "history0"), "after");
}

} // namespace

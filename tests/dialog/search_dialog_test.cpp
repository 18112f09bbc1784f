// The search dialog, shown from the real DLL's resource and driven from a
// second thread.
#include "dialog/search_dialog.h"

#include "dialog/placement.h"
#include "dialog_driver.h"
#include "plugin/session.h"
#include "settings/settings_file.h"
#include "win_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

class SearchDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExA((ProgramFolder() + "\\VelmoroMailSearch.dll").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr);
        owner_ = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        Fresh();
    }
    void TearDown() override {
        DestroyWindow(owner_);
        delete g_session.settings;
        g_session = SearchSession();
        if (module_)
            FreeLibrary(module_);
        module_ = nullptr;
    }
    // A new session over a new, empty settings file.
    void Fresh() {
        delete g_session.settings;
        g_session = SearchSession();
        g_session.module = module_;
        folder_ = MakeScratchFolder("dialog");
        iniPath_ = folder_ + "\\VelmoroMailSearch.ini";
        g_session.settings = new SettingsFile(iniPath_.c_str());
    }
    INT_PTR Run(const std::function<void(HWND)>& script) {
        return RunDialog([this] { return ShowSearchDialog(owner_); }, script);
    }
    std::string Setting(const char* section, const char* key) {
        char* value = g_session.settings->ReadValue(section, key);
        const std::string text = value ? value : "<null>";
        std::free(value);
        return text;
    }
    HMODULE module_ = nullptr;
    HWND owner_ = nullptr;
    std::string folder_;
    std::string iniPath_;
};

TEST_F(SearchDialogTest, OpensWithHistoryScopeCheckBoxAndInitialText) {
    g_session.history = {"a", "b", "", "c"};
    g_session.scope = 1002;
    g_session.includeAll = true;
    g_session.initialText = "\"a b\"";
    Texts items;
    std::string caption;
    std::string text;
    LRESULT selection = 0;
    bool scopeChecked = false;
    bool otherScopeChecked = true;
    bool includeAllChecked = false;
    bool includeAllEnabled = true;
    RECT placed{};
    RECT desktop{};
    HWND focus = nullptr;
    const INT_PTR result = Run([&](HWND dialog) {
        items = ListItems(dialog);
        char buffer[64] = {};
        GetWindowTextA(dialog, buffer, sizeof buffer);
        caption = buffer;
        text = QueryText(dialog);
        selection = SendMessageA(GetDlgItem(dialog, 1000), CB_GETCURSEL, 0, 0);
        scopeChecked = IsChecked(dialog, 1002);
        otherScopeChecked = IsChecked(dialog, 1001) || IsChecked(dialog, 1003) || IsChecked(dialog, 1004);
        includeAllChecked = IsChecked(dialog, 1005);
        includeAllEnabled = IsEnabled(dialog, 1005);
        GetWindowRect(dialog, &placed);
        GetWindowRect(GetDesktopWindow(), &desktop);
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
        focus = info.hwndFocus;
        PressKey(dialog, VK_ESCAPE);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(items, (Texts{"a", "b", "", "c"}));
    EXPECT_EQ(caption, "\x8c\x9f\x8d\xf5"); // 検索
    EXPECT_EQ(text, "\"a b\"");
    EXPECT_EQ(selection, CB_ERR);
    EXPECT_TRUE(scopeChecked);
    EXPECT_FALSE(otherScopeChecked);
    EXPECT_TRUE(includeAllChecked);
    EXPECT_FALSE(includeAllEnabled);
    const ScreenPoint centred = CentredPosition({desktop.left, desktop.top, desktop.right, desktop.bottom},
                                                {placed.left, placed.top, placed.right, placed.bottom});
    EXPECT_EQ(placed.left, centred.x);
    EXPECT_EQ(placed.top, centred.y);
    EXPECT_TRUE(focus != nullptr && GetParent(focus) == GetDlgItem(GetParent(GetParent(focus)), 1000));
}

TEST_F(SearchDialogTest, ScopeButtonsEnableTheCheckBoxOnlyForAccounts) {
    g_session.scope = 1001;
    std::vector<bool> enabled;
    std::vector<bool> checked;
    const INT_PTR result = Run([&](HWND dialog) {
        enabled.push_back(IsEnabled(dialog, 1005));
        for (int id : {1003, 1004, 1002, 1001}) {
            Click(dialog, id);
            enabled.push_back(IsEnabled(dialog, 1005));
            checked.push_back(IsChecked(dialog, id));
            if (id == 1004)
                Click(dialog, 1005); // mark it while it can be marked
        }
        checked.push_back(IsChecked(dialog, 1005));
        PressKey(dialog, VK_ESCAPE);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(enabled, (std::vector<bool>{false, true, true, false, false}));
    EXPECT_EQ(checked, (std::vector<bool>{true, true, true, true, true}));
    // Escape forgets everything clicked.
    EXPECT_EQ(g_session.scope, 1001);
    EXPECT_FALSE(g_session.includeAll);
    EXPECT_EQ(ReadWholeFile(iniPath_), "");
}

struct OkCase {
    const char* name;
    std::string typed;
    int scopeClicked;
    bool markIncludeAll;
    INT_PTR result;
    const char* radio;
    const char* check;
    Texts history;
};

TEST_F(SearchDialogTest, OkStoresScopeAndCheckBoxThenTheQuery) {
    const OkCase cases[] = {
        {"query", "from:alice", 1004, true, IDOK, "4", "TRUE", {"from:alice", "old"}},
        {"spaces kept", "  spaced  ", 1003, false, IDOK, "3", "FALSE", {"  spaced  ", "old"}},
        {"spaces only", "   ", 1002, false, IDOK, "2", "FALSE", {"   ", "old"}},
        {"empty is a cancel", "", 1004, true, IDCANCEL, "4", "TRUE", {"old"}},
        {"repeat blanks the old one", "old", 1001, false, IDOK, "1", "FALSE", {"old", ""}},
    };
    for (const OkCase& c : cases) {
        Fresh();
        g_session.history = {"old"};
        const INT_PTR result = Run([&](HWND dialog) {
            Click(dialog, c.scopeClicked);
            if (c.markIncludeAll)
                Click(dialog, 1005);
            TypeQuery(dialog, c.typed);
            Click(dialog, IDOK);
        });
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(g_session.scope, c.scopeClicked) << c.name;
        EXPECT_EQ(g_session.includeAll, c.markIncludeAll) << c.name;
        EXPECT_EQ(Setting("Config", "radio"), c.radio) << c.name;
        EXPECT_EQ(Setting("Config", "check"), c.check) << c.name;
        EXPECT_EQ(g_session.history, c.history) << c.name;
        EXPECT_EQ(Setting("History", "history0"), c.result == IDOK ? c.typed : "") << c.name;
    }
}

TEST_F(SearchDialogTest, EnterConfirmsAndAPickedEntryMovesToTheFront) {
    g_session.history = {"a", "b", "c"};
    const INT_PTR result = Run([&](HWND dialog) {
        SendMessageA(GetDlgItem(dialog, 1000), CB_SETCURSEL, 2, 0);
        PressKey(dialog, VK_RETURN);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(g_session.history, (Texts{"c", "a", "b", ""}));
    EXPECT_EQ(Setting("History", "history2"), "b");
}

TEST_F(SearchDialogTest, TheCloseBoxEndsWithSixteenAndStoresNothing) {
    g_session.scope = 1003;
    const INT_PTR result = Run([&](HWND dialog) {
        Click(dialog, 1004);
        Click(dialog, 1005);
        TypeQuery(dialog, "x");
        SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 16);
    EXPECT_EQ(g_session.scope, 1003);
    EXPECT_FALSE(g_session.includeAll);
    EXPECT_TRUE(g_session.history.empty());
    EXPECT_EQ(ReadWholeFile(iniPath_), "");
}

TEST_F(SearchDialogTest, HugeTextsAndLongHistoriesOpenAndConfirm) {
    const std::string huge(1024 * 1024, 'q');
    for (int i = 0; i < 3000; ++i)
        g_session.history.push_back("entry " + std::to_string(i) + " \x81\x40\x95\x5c\t\"'");
    g_session.history.push_back(huge);
    g_session.initialText = huge;
    size_t count = 0;
    size_t length = 0;
    const INT_PTR result = Run([&](HWND dialog) {
        count = ListItems(dialog).size();
        length = QueryText(dialog).size();
        Click(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(count, 3001u);
    EXPECT_EQ(length, huge.size());
    ASSERT_EQ(g_session.history.size(), 3002u);
    EXPECT_TRUE(g_session.history.front() == huge);
    EXPECT_TRUE(g_session.history.back().empty());
    // Too long to store whole: the file keeps what it had rather than a cut.
    EXPECT_EQ(Setting("History", "history0"), "");
    EXPECT_EQ(Setting("History", "history1"), g_session.history[1]);
}

// Wine without an input method cannot open one (ImmSetOpenStatus does not
// stick), so only this much can be seen here: every value of the switch,
// and none, leaves the dialog working.
TEST_F(SearchDialogTest, TheInputMethodSwitchNeverDisturbsTheDialog) {
    for (const char* control : {"1", "1 ", "01", "", "x", static_cast<const char*>(nullptr)}) {
        Fresh();
        g_session.settings->WriteValue("IME", "control", control);
        const INT_PTR result = Run([](HWND dialog) {
            TypeQuery(dialog, "q");
            PressKey(dialog, VK_RETURN);
        });
        EXPECT_EQ(result, IDOK) << (control ? control : "(none)");
        EXPECT_EQ(Setting("IME", "control"), control ? control : "");
    }
}

} // namespace

// The search dialog, shown from the real DLL's resource with the state it is
// given, driven from a second thread, and judged by the choice it hands back.
#include "dialog/search_dialog.h"

#include "allocation_limit.h"
#include "dialog_driver.h"
#include "win_test_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

// What the dialog is opened with; the tests change what they need.
struct Opening {
    std::string initialText;
    QueryHistory history;
    int scope = 1001;
    bool includeAll = false;
    bool closeInputMethod = false;
};

class SearchDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExA((ProgramFolder() + "\\VelmoroMailSearch.dll").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr);
        owner_ = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    }
    void TearDown() override {
        DestroyWindow(owner_);
        if (module_)
            FreeLibrary(module_);
    }
    SearchDialogChoice Run(const Opening& opening, const std::function<void(HWND)>& script) {
        const SearchDialogState state{opening.initialText, opening.history, opening.scope, opening.includeAll,
                                      opening.closeInputMethod, nullptr};
        SearchDialogChoice choice;
        DriveDialog(
            [&] {
                choice = ShowSearchDialog(module_, owner_, state);
                return choice.result;
            },
            script);
        return choice;
    }
    HMODULE module_ = nullptr;
    HWND owner_ = nullptr;
};

TEST_F(SearchDialogTest, OpensWithHistoryScopeCheckBoxAndInitialText) {
    Opening opening;
    opening.history = {"a", "b", "c"};
    opening.scope = 1002;
    opening.includeAll = true;
    opening.initialText = "\"a b\"";
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
    const SearchDialogChoice choice = Run(opening, [&](HWND dialog) {
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
        focus = WaitForQueryFocus(dialog);
        PressKey(dialog, VK_ESCAPE);
    });
    EXPECT_EQ(choice.result, IDCANCEL);
    EXPECT_FALSE(choice.confirmed);
    EXPECT_EQ(items, (Texts{"a", "b", "c"}));
    EXPECT_EQ(caption, "\x8c\x9f\x8d\xf5"); // 検索
    EXPECT_EQ(text, "\"a b\"");
    EXPECT_EQ(selection, CB_ERR);
    EXPECT_TRUE(scopeChecked);
    EXPECT_FALSE(otherScopeChecked);
    EXPECT_TRUE(includeAllChecked);
    EXPECT_FALSE(includeAllEnabled);
    // Centred: the same room on either side, to a pixel (the desktop is
    // larger than the dialog, so nothing is clamped).
    const long leftRoom = placed.left - desktop.left;
    const long rightRoom = desktop.right - placed.right;
    const long topRoom = placed.top - desktop.top;
    const long bottomRoom = desktop.bottom - placed.bottom;
    EXPECT_LE(std::abs(leftRoom - rightRoom), 1) << leftRoom << " left, " << rightRoom << " right";
    EXPECT_LE(std::abs(topRoom - bottomRoom), 1) << topRoom << " above, " << bottomRoom << " below";
    EXPECT_GT(leftRoom, 0);
    EXPECT_GT(topRoom, 0);
    EXPECT_TRUE(focus != nullptr && GetParent(focus) == GetDlgItem(GetParent(GetParent(focus)), 1000))
        << "the focus is not in the query box";
}

// Common controls of version 6 for the dialogs this thread shows while it
// lives, as a host with that manifest would have them.
class CommonControls6 {
public:
    CommonControls6() {
        const std::string manifest = MakeScratchFolder("manifest") + "\\host.manifest";
        WriteWholeFile(manifest,
                       "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                       "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\"><dependency>"
                       "<dependentAssembly><assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" "
                       "version=\"6.0.0.0\" processorArchitecture=\"*\" publicKeyToken=\"6595b64144ccf1df\" "
                       "language=\"*\"/></dependentAssembly></dependency></assembly>");
        ACTCTXA description{};
        description.cbSize = sizeof description;
        description.lpSource = manifest.c_str();
        context_ = CreateActCtxA(&description);
        EXPECT_NE(context_, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(ActivateActCtx(context_, &cookie_));
    }
    ~CommonControls6() {
        DeactivateActCtx(0, cookie_);
        ReleaseActCtx(context_);
    }

private:
    HANDLE context_ = INVALID_HANDLE_VALUE;
    ULONG_PTR cookie_ = 0;
};

// The dropped-down history shows every entry up to the 20 saved ones, and
// scrolls beyond, with the system's controls of either version.
// The rows the dropped list has room for.
LRESULT DroppedRows(HWND box) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    GetComboBoxInfo(box, &info);
    RECT list{};
    GetClientRect(info.hwndList, &list);
    return list.bottom / SendMessageA(box, CB_GETITEMHEIGHT, 0, 0);
}

// A row for each entry it is given, and one row fewer for each entry Delete
// takes: no blank row. The field shows the entry highlighted
// then; with none left, the list closes and the field has its typed text.
TEST_F(SearchDialogTest, TheDroppedListShowsEveryEntryAndShrinksOnDelete) {
    for (const bool version6 : {false, true}) {
        std::unique_ptr<CommonControls6> controls(version6 ? new CommonControls6 : nullptr);
        for (const std::size_t entries : {2u, 20u, 25u}) {
            SCOPED_TRACE(std::to_string(entries) + " entries, version " + (version6 ? "6" : "5"));
            Opening opening;
            for (std::size_t i = 0; i < entries; ++i)
                opening.history.push_back("query " + std::to_string(i));
            std::vector<std::size_t> removed;
            LRESULT rows = 0, rowsAfterDelete = 0;
            std::string fieldAfterDelete, fieldAtEnd;
            const std::size_t last = entries - 1;
            SearchDialogState state{opening.initialText, opening.history, 1001, false, false, nullptr,
                                    [&](std::size_t place) { removed.push_back(place); }};
            DriveDialog([&] { return ShowSearchDialog(module_, owner_, state).result; },
                        [&](HWND dialog) {
                            const HWND box = GetDlgItem(dialog, 1000);
                            WaitForQueryFocus(dialog);
                            TypeQuery(dialog, "typed");
                            SendMessageA(box, CB_SHOWDROPDOWN, TRUE, 0);
                            rows = DroppedRows(box);
                            SendMessageA(box, CB_SETCURSEL, last, 0);
                            PressKey(dialog, VK_DELETE);
                            WaitUntil([&] { return SendMessageA(box, CB_GETCOUNT, 0, 0) == LRESULT(last); });
                            rowsAfterDelete = DroppedRows(box);
                            fieldAfterDelete = QueryText(dialog);
                            if (entries == 2) {
                                PressKey(dialog, VK_DELETE);
                                WaitUntil([&] { return !SendMessageA(box, CB_GETDROPPEDSTATE, 0, 0); });
                            }
                            fieldAtEnd = QueryText(dialog);
                            SendMessageA(box, CB_SHOWDROPDOWN, FALSE, 0);
                            PressKey(dialog, VK_ESCAPE);
                        });
            EXPECT_EQ(rows, static_cast<LRESULT>(entries));
            EXPECT_EQ(rowsAfterDelete, static_cast<LRESULT>(last));
            EXPECT_EQ(fieldAfterDelete, "query " + std::to_string(last - 1));
            const std::vector<std::size_t> expectRemoved =
                entries == 2 ? std::vector<std::size_t>{1, 0} : std::vector<std::size_t>{last};
            EXPECT_EQ(removed, expectRemoved);
            EXPECT_EQ(fieldAtEnd, entries == 2 ? "typed" : fieldAfterDelete);
        }
    }
}

TEST_F(SearchDialogTest, ScopeButtonsEnableTheCheckBoxOnlyForAccounts) {
    std::vector<bool> enabled;
    std::vector<bool> checked;
    const SearchDialogChoice choice = Run(Opening(), [&](HWND dialog) {
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
    EXPECT_EQ(choice.result, IDCANCEL);
    EXPECT_EQ(enabled, (std::vector<bool>{false, true, true, false, false}));
    EXPECT_EQ(checked, (std::vector<bool>{true, true, true, true, true}));
    EXPECT_FALSE(choice.confirmed) << "Escape forgets everything clicked";
}

TEST_F(SearchDialogTest, OkHandsBackTheScopeTheCheckBoxAndTheQueryAsTyped) {
    struct Case {
        const char* name;
        std::string typed;
        int scopeClicked;
        bool markIncludeAll;
        INT_PTR result;
    };
    const Case cases[] = {
        {"query", "from:alice", 1004, true, IDOK},
        {"spaces kept", "  spaced  ", 1003, false, IDOK},
        {"spaces only", "   ", 1002, false, IDOK},
        {"Shift_JIS", "\x8c\x9f\x8d\xf5 \x95\x5c", 1001, false, IDOK},
        {"empty is a cancel, but keeps the scope", "", 1004, true, IDCANCEL},
    };
    for (const Case& c : cases) {
        Opening opening;
        opening.history = {"old"};
        const SearchDialogChoice choice = Run(opening, [&](HWND dialog) {
            Click(dialog, c.scopeClicked);
            if (c.markIncludeAll)
                Click(dialog, 1005);
            TypeQuery(dialog, c.typed);
            Click(dialog, IDOK);
        });
        EXPECT_EQ(choice.result, c.result) << c.name;
        EXPECT_TRUE(choice.confirmed) << c.name;
        EXPECT_EQ(choice.scope, c.scopeClicked) << c.name;
        EXPECT_EQ(choice.includeAll, c.markIncludeAll) << c.name;
        EXPECT_EQ(choice.query, c.result == IDOK ? c.typed : "") << c.name;
        EXPECT_FALSE(choice.ranOutOfMemory) << c.name;
    }
}

// The line under the field reads the query back as it opens, as the user
// types (Japanese text before the caret, which an ANSI field counts in
// characters under Wine) and as an entry of the history is picked. It stands
// between the field and the group box, with classic and version 6 controls:
// the dialog grows by it and stays on the screen.
TEST_F(SearchDialogTest, TheReadingLineFollowsTheField) {
    const std::string endsInFrom = "\x81ufrom:\x81v"; // 「from:」
    const std::string misread = "\x81\xa6";           // ※
    for (const bool version6 : {false, true}) {
        SCOPED_TRACE(version6 ? "version 6" : "classic");
        const std::unique_ptr<CommonControls6> controls = version6 ? std::make_unique<CommonControls6>() : nullptr;
        Opening opening;
        opening.history = {"from:bob"};
        opening.initialText = "subject:\"a b\"";
        Texts lines;
        RECT box{}, line{}, group{}, scopes{}, frame{}, desktop{};
        RECT lineMisread{}, lineAfter{}; // the reading's place below a misreading, and once it is gone
        bool misreadingHidden = false;
        char kind[32] = {};
        Run(opening, [&](HWND dialog) {
            lines.push_back(ReadingLine(dialog));
            GetWindowRect(GetDlgItem(dialog, 1000), &box);
            GetWindowRect(ReadingLineOf(dialog), &line);
            GetWindowRect(GetDlgItem(dialog, -1), &group);
            GetWindowRect(GetDlgItem(dialog, 1001), &scopes);
            GetWindowRect(dialog, &frame);
            GetWindowRect(GetDesktopWindow(), &desktop);
            GetClassNameA(ReadingLineOf(dialog), kind, sizeof kind);
            WaitForQueryFocus(dialog);
            PutText(dialog, "x \x93\x63\x92\x86 "); // x 田中, as the input method puts it in
            TypeKeys(dialog, "from:");
            EXPECT_TRUE(WaitUntil([&] { return QueryText(dialog) == "x \x93\x63\x92\x86 from:"; }));
            lines.push_back(ReadingLine(dialog));
            TypeKeys(dialog, " ");
            EXPECT_TRUE(WaitUntil([&] { return ReadingLine(dialog).compare(0, 2, misread) == 0; }));
            lines.push_back(ReadingLine(dialog));
            GetWindowRect(ReadingLineOf(dialog), &lineMisread);
            PressKey(dialog, VK_DOWN);
            EXPECT_TRUE(WaitUntil([&] { return QueryText(dialog) == "from:bob" && ReadingLine(dialog) != lines.back(); }));
            lines.push_back(ReadingLine(dialog));
            GetWindowRect(ReadingLineOf(dialog), &lineAfter);
            misreadingHidden = !IsWindowVisible(GetDlgItem(dialog, 1007));
            PressKey(dialog, VK_ESCAPE);
        });
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_GT(lineMisread.top, line.top) << "below the misreading";
        EXPECT_TRUE(EqualRect(&lineAfter, &line)) << "back in its place, whole, once the misreading is gone";
        EXPECT_TRUE(misreadingHidden);
        EXPECT_EQ(lines[0], "\x8c\x9f\x8d\xf5: \x8c\x8f\x96\xbc\x81ua b\x81v"); // 検索: 件名「a b」
        // The value about to be typed: nothing flagged yet.
        EXPECT_NE(lines[1].compare(0, 2, misread), 0) << lines[1];
        EXPECT_EQ(lines[1].substr(lines[1].size() - endsInFrom.size()), endsInFrom) << lines[1];
        EXPECT_EQ(lines[2].compare(0, 2, misread), 0) << lines[2];
        EXPECT_EQ(lines[3], "\x8c\x9f\x8d\xf5: \x8d\xb7\x8fo\x90l\x81ubob\x81v"); // 検索: 差出人「bob」
        EXPECT_STREQ(kind, "Static");
        EXPECT_GE(line.top, box.bottom);
        EXPECT_LE(line.bottom, group.top);
        EXPECT_GT(scopes.top, line.bottom);
        EXPECT_GT(line.bottom - line.top, 8);
        EXPECT_LE(line.right, frame.right);
        EXPECT_TRUE(frame.left >= desktop.left && frame.right <= desktop.right && frame.top >= desktop.top &&
                    frame.bottom <= desktop.bottom);
    }
}

// Whether a Static under the field draws all of its text: laid out as the
// control lays it out (its font, its style), within its client rectangle.
std::string DrawnWhole(HWND control) {
    wchar_t text[4096] = {};
    GetWindowTextW(control, text, 4096);
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    if ((style & SS_TYPEMASK) != SS_LEFT)
        return "not a text Static (drawn cut)";
    const UINT format = DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
    RECT client;
    GetClientRect(control, &client);
    const HDC dc = GetDC(control);
    const HGDIOBJ before = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT needed = {0, 0, client.right, 0};
    DrawTextW(dc, text, -1, &needed, format | DT_CALCRECT);
    SelectObject(dc, before);
    ReleaseDC(control, dc);
    if (needed.bottom <= client.bottom && needed.right <= client.right)
        return "";
    return "needs " + std::to_string(needed.right) + "x" + std::to_string(needed.bottom) + ", has " +
           std::to_string(client.right) + "x" + std::to_string(client.bottom);
}

// Every misreading with its fix, two at once, and the reading of everyday
// queries of three conditions are drawn whole, whatever the DPI (this runs
// at 96, and again in a prefix at 144); a query of many conditions is cut,
// its whole text in the Static and in a tooltip over it, made for it.
TEST_F(SearchDialogTest, TheReadingIsDrawnWhole) {
    if (const char* expected = std::getenv("VELMORO_LOG_PIXELS")) {
        const HDC screen = GetDC(nullptr);
        EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), std::atoi(expected));
        ReleaseDC(nullptr, screen);
    }
    std::string many;
    for (int i = 0; i < 30; ++i)
        many += "subject:\x89\xef\x8b\x63" + std::to_string(i) + " ";
    const struct {
        const char* name;
        std::string text;
        bool caretAtStart; // the caret elsewhere: nothing is still being typed
        bool misread;
        bool cut;
    } cases[] = {
        {"the longest target name mistyped", "Smallheaderbody:\x89\xef\x8b\x63", false, true, false},
        {"a space after the colon", "from: \x93\x63\x92\x86", false, true, false},
        {"nothing after the prefix", "from:", true, true, false},
        {"no flag name", "flag:", true, true, false},
        {"a quote taken as escaped", "subject:\"\x97\\\x92\xe8\x95\\\"", false, true, false},
        {"a phrase left unclosed", "subject:\"a b", true, true, false},
        {"an empty phrase", "subject:\"\"", false, true, false},
        {"two at once", "Smallheaderbody:\x89\xef\x8b\x63 from: \x93\x63\x92\x86", false, true, false},
        {"everyday, a phrase first", "subject:\"\x92\xe8\x97\xe1 \x89\xef\x8b\x63\" from:tanaka \x8b\x63\x8e\x96\x98\x5e", false,
         false, false},
        {"everyday, a phrase last", "body:\x8c\xa9\x90\xcf from:suzuki subject:\"\x82\xa8\x8c\xa9\x90\xcf\x82\xe8 \x8d\xc4\x91\x97\"",
         false, false, false},
        {"everyday, a favourite and a flag", "fav:weekly from:tanaka flag:unread", false, false, false},
        {"many conditions", many, false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Opening opening;
        opening.initialText = c.text;
        std::string misreading, reading;
        bool misreadShown = false;
        std::wstring whole, tooltip;
        bool tooltipMade = false;
        Run(opening, [&](HWND dialog) {
            if (c.caretAtStart) {
                SendMessageW(QueryEdit(dialog), EM_SETSEL, 0, 0);
            }
            misreadShown = IsWindowVisible(GetDlgItem(dialog, 1007)) && GetWindowTextLengthW(GetDlgItem(dialog, 1007)) > 0;
            misreading = misreadShown ? DrawnWhole(GetDlgItem(dialog, 1007)) : "";
            reading = DrawnWhole(ReadingLineOf(dialog));
            wchar_t text[8192] = {};
            GetWindowTextW(ReadingLineOf(dialog), text, 8192);
            whole = text;
            if (const HWND tooltips = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr)) {
                tooltipMade = true;
                TOOLINFOW tool{};
                tool.cbSize = TTTOOLINFOW_V2_SIZE;
                tool.hwnd = dialog;
                tool.uId = reinterpret_cast<UINT_PTR>(ReadingLineOf(dialog));
                wchar_t shown[8192] = {};
                tool.lpszText = shown;
                SendMessageW(tooltips, TTM_GETTEXTW, 8192, reinterpret_cast<LPARAM>(&tool));
                tooltip = shown;
            }
            PressKey(dialog, VK_ESCAPE);
        });
        EXPECT_EQ(misreadShown, c.misread);
        EXPECT_EQ(tooltipMade, c.cut) << "a tooltip only for a reading that is cut";
        EXPECT_EQ(misreading, "");
        if (c.cut) {
            EXPECT_NE(reading, "");
            EXPECT_EQ(tooltip, whole);
            EXPECT_GT(whole.size(), 200u) << "the Static's text stays whole";
        } else {
            EXPECT_EQ(reading, "");
        }
    }
}

TEST_F(SearchDialogTest, EnterConfirmsAPickedEntry) {
    Opening opening;
    opening.history = {"a", "b", "c"};
    const SearchDialogChoice choice = Run(opening, [&](HWND dialog) {
        SendMessageA(GetDlgItem(dialog, 1000), CB_SETCURSEL, 2, 0);
        PressKey(dialog, VK_RETURN);
    });
    EXPECT_EQ(choice.result, IDOK);
    EXPECT_EQ(choice.query, "c");
}

TEST_F(SearchDialogTest, TheCloseBoxEndsWithSixteenAndKeepsNothing) {
    Opening opening;
    opening.scope = 1003;
    const SearchDialogChoice choice = Run(opening, [&](HWND dialog) {
        Click(dialog, 1004);
        Click(dialog, 1005);
        TypeQuery(dialog, "x");
        SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(choice.result, 16);
    EXPECT_FALSE(choice.confirmed);
    EXPECT_EQ(choice.query, "");
}

TEST_F(SearchDialogTest, HugeTextsAndLongHistoriesOpenAndConfirm) {
    Opening opening;
    const std::string huge(1024 * 1024, 'q');
    for (int i = 0; i < 3000; ++i)
        opening.history.push_back("entry " + std::to_string(i) + " \x81\x40\x95\x5c\t\"'");
    opening.history.push_back(huge);
    opening.initialText = huge;
    size_t count = 0;
    size_t length = 0;
    const SearchDialogChoice choice = Run(opening, [&](HWND dialog) {
        count = ListItems(dialog).size();
        length = QueryText(dialog).size();
        Click(dialog, IDOK);
    });
    EXPECT_EQ(choice.result, IDOK);
    EXPECT_EQ(count, 3001u);
    EXPECT_EQ(length, huge.size());
    EXPECT_TRUE(choice.query == huge);
}

// A query too big for the memory left ends the dialog as a cancel, saying
// why, instead of letting the exception unwind through the system's dialog
// code (which, on 32-bit, would end the mail client).
TEST_F(SearchDialogTest, RunningOutOfMemoryEndsTheDialogAsACancel) {
    const std::string pasted(1024 * 1024, 'p');
    Opening opening;
    opening.initialText = pasted;
    SearchDialogChoice choice;
    {
        const AllocationLimit little(pasted.size() / 2);
        choice = Run(opening, [&](HWND dialog) { Click(dialog, IDOK); });
    }
    EXPECT_EQ(choice.result, IDCANCEL);
    EXPECT_TRUE(choice.ranOutOfMemory);
    EXPECT_EQ(choice.query, "");
}

// Wine without an input method cannot open one (ImmSetOpenStatus does not
// stick), so only this much can be seen here: either way the switch is set,
// the dialog works.
TEST_F(SearchDialogTest, TheInputMethodSwitchNeverDisturbsTheDialog) {
    for (bool closeInputMethod : {true, false}) {
        Opening opening;
        opening.closeInputMethod = closeInputMethod;
        const SearchDialogChoice choice = Run(opening, [](HWND dialog) {
            TypeQuery(dialog, "q");
            PressKey(dialog, VK_RETURN);
        });
        EXPECT_EQ(choice.result, IDOK) << closeInputMethod;
        EXPECT_EQ(choice.query, "q") << closeInputMethod;
    }
}

} // namespace

// Memory running out at any allocation of a run, through the DLL as it
// ships: the allocations of whole runs are counted, then each is made to
// fail, alone and with every later one. After each run: `search` returned,
// no window of the plug-in is left, the settings file holds what it held or
// the whole new state, and with memory back the next run works as usual.
//
// VELMORO_FAULT_STRIDE=1 tries every allocation of the longest runs too,
// which otherwise take every few (the stride is printed).
#include "allocation_faults.h"
#include "dialog_driver.h"
#include "win_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;
using SearchFunction = int(__cdecl*)(const char*);
using CallLogFunction = const char*(__cdecl*)();
using ResetFunction = void(__cdecl*)();

const char kPlugin[] = "VelmoroMailSearch.dll";
// Allocations tried in a run: beyond, every few, evenly (a run of these
// takes a quarter of a second under emulation).
const std::size_t kTriedPerRun = 40;
const wchar_t kOutOfMemory[] = L"メモリが足りない";

std::string Joined(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// The history once "after" is confirmed on top of it.
Lines AfterThis(const Lines& history) {
    Lines after = {"after"};
    after.insert(after.end(), history.begin(), history.end());
    after.resize(std::min<std::size_t>(after.size(), 20));
    return after;
}

BOOL CALLBACK AddWindow(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

// Scripts for the dialog that give up as soon as it is gone.
void DeleteSecondEntry(HWND dialog) {
    const HWND box = GetDlgItem(dialog, 1000);
    WaitForQueryFocus(dialog, 500);
    SendMessageA(box, CB_SHOWDROPDOWN, TRUE, 0);
    SendMessageA(box, CB_SETCURSEL, 1, 0);
    const LRESULT before = SendMessageA(box, CB_GETCOUNT, 0, 0);
    PressKey(dialog, VK_DELETE);
    WaitUntil([&] { return !IsWindow(dialog) || SendMessageA(box, CB_GETCOUNT, 0, 0) < before; }, 2000);
    SendMessageA(box, CB_SHOWDROPDOWN, FALSE, 0);
    PressKey(dialog, VK_ESCAPE);
}

// Types the start of a favourite's name key by key, takes the suggested row
// and confirms it; cancels where the list or the row does not come.
void TakeSuggestion(HWND dialog, const std::string& typed, const std::string& taken) {
    WaitForQueryFocus(dialog, 500);
    TypeKeys(dialog, typed);
    WaitUntil([&] { return !IsWindow(dialog) || SuggestionListOf(dialog); }, 1000);
    if (SuggestionListOf(dialog)) {
        PressKey(dialog, VK_DOWN);
        PressKey(dialog, VK_RETURN);
        WaitUntil([&] { return !IsWindow(dialog) || QueryText(dialog) == taken; }, 1000);
    }
    PressKey(dialog, IsWindow(dialog) && QueryText(dialog) == taken ? VK_RETURN : VK_ESCAPE);
}

struct Scenario {
    const char* name;
    std::string file;       // the settings file before the run
    std::string query;      // typed and confirmed; empty: Delete on the list
    bool inAttach = false;  // the faults are in loading the DLL
    std::string suggested = {}; // typed key by key, the query taken from the suggestion list
    bool replace = false;       // a question answered Yes
};

class AllocationFaultsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(InstallAllocationFaults(kPlugin)); }
    void SetUp() override {
        folder_ = MakeScratchFolder("faults");
        // The editor is registered but not there: "help:" does all it does
        // (the help file is there), but starting a program, which takes
        // long and allocates nothing.
        SetEditorInstallLocation(folder_.c_str());
        SetEditorMacroPath(folder_.c_str());
        SetMailClientFolder((ProgramFolder() + "\\").c_str());
        iniPath_ = folder_ + "\\VelmoroMailSearch.ini";
        WriteWholeFile(folder_ + "\\VelmoroMailSearch.txt", "help");
    }
    void TearDown() override { Unload(); }
    bool Load() {
        plugin_ = LoadLibraryA((ProgramFolder() + "\\" + kPlugin).c_str());
        search_ = plugin_ ? Export<SearchFunction>(plugin_, "search") : nullptr;
        const HMODULE host = GetModuleHandleA((ProgramFolder() + "\\PellInfo.dll").c_str());
        if (host) {
            Export<ResetFunction>(host, "StandInReset")();
            callLog_ = Export<CallLogFunction>(host, "StandInCallLog");
            mainWindow_ = Export<HWND(__cdecl*)()>(host, "MainWnd")();
        }
        return search_ && callLog_;
    }
    void Unload() {
        if (plugin_)
            FreeLibrary(plugin_);
        plugin_ = nullptr;
    }
    // One run answering its windows; the texts of its message boxes, and
    // whether it handed a search over.
    Lines Run(const Scenario& scenario, int* result, bool* handedOver) {
        Lines messages;
        const std::size_t logged = std::strlen(callLog_());
        const DialogRun run = RunDialog([&] { return static_cast<INT_PTR>(search_("")); },
                                        [&](HWND window) {
                                            if (!scenario.suggested.empty() && !IsMessageBox(window))
                                                TakeSuggestion(window, scenario.suggested, scenario.query);
                                            else if (scenario.query.empty() && !IsMessageBox(window))
                                                DeleteSecondEntry(window);
                                            else {
                                                DialogAnswer answer{scenario.query, 1004};
                                                answer.replace = scenario.replace;
                                                AnswerSearchRun(window, answer, messages);
                                            }
                                        });
        *result = static_cast<int>(run.result);
        *handedOver = std::string(callLog_() + logged).find("PushFindPack") != std::string::npos;
        EXPECT_EQ(run.leftOpen, 0);
        std::vector<HWND> windows;
        EnumThreadWindows(GetCurrentThreadId(), AddWindow, reinterpret_cast<LPARAM>(&windows));
        for (const HWND window : windows) {
            // The host's main window, and the system's input method window
            // of the thread, are not the plug-in's.
            char name[64] = {};
            GetClassNameA(window, name, sizeof name);
            if (window != mainWindow_ && std::strcmp(name, "IME") != 0)
                ADD_FAILURE() << "a window of the plug-in is left: " << name;
        }
        return messages;
    }
    Lines History() {
        Lines history;
        for (int i = 0; i < 20; ++i) {
            char value[256] = {};
            GetPrivateProfileStringA("History", ("history" + std::to_string(i)).c_str(), "", value, sizeof value,
                                     iniPath_.c_str());
            if (*value)
                history.push_back(value);
        }
        return history;
    }

    // The run as it goes with every allocation made: how many it makes, the
    // file it leaves and the messages it shows.
    std::size_t Count(const Scenario& scenario, std::string& after, Lines& messages) {
        WriteWholeFile(iniPath_, scenario.file);
        if (scenario.inAttach)
            ArmAllocationFaults(FaultMode::Count);
        EXPECT_TRUE(Load());
        if (!scenario.inAttach)
            ArmAllocationFaults(FaultMode::Count);
        int result = 0;
        bool handedOver = false;
        if (!scenario.inAttach)
            messages = Run(scenario, &result, &handedOver);
        const std::size_t counted = DisarmAllocationFaults();
        after = ExistingFileText(iniPath_);
        Unload();
        return counted;
    }

    void Check(const Scenario& scenario) {
        std::string after;
        Lines expectedMessages;
        const std::size_t allocations = Count(scenario, after, expectedMessages);
        const char* everyone = std::getenv("VELMORO_FAULT_STRIDE");
        const std::size_t stride = everyone && *everyone ? std::strtoul(everyone, nullptr, 10)
                                                         : (allocations + kTriedPerRun - 1) / kTriedPerRun;
        std::printf("%s: %zu allocations, every %zu tried\n", scenario.name, allocations, stride);
        ASSERT_GT(allocations, 0u);
        const std::string before = scenario.file;
        WriteWholeFile(iniPath_, before);
        const Lines historyBefore = History();
        WriteWholeFile(iniPath_, after);
        const Lines historyAfter = History();
        // A replace agreed to is a save of its own after the confirmation's:
        // the file may hold the confirmation alone.
        std::string between = after;
        if (scenario.replace) {
            Scenario declined = scenario;
            declined.replace = false;
            Lines declinedMessages;
            Count(declined, between, declinedMessages);
        }
        for (std::size_t n = 1; n <= allocations; n += stride) {
            for (const FaultMode mode : {FaultMode::FailOne, FaultMode::FailFrom}) {
                const std::string trial = std::string(scenario.name) + ", allocation " + std::to_string(n) +
                                          (mode == FaultMode::FailOne ? " alone" : " onwards");
                SCOPED_TRACE(trial);
                WriteWholeFile(iniPath_, before);
                int result = 0;
                bool handedOver = false;
                if (scenario.inAttach) {
                    ArmAllocationFaults(mode, n);
                    const bool loaded = Load();
                    DisarmAllocationFaults();
                    ASSERT_TRUE(loaded);
                } else {
                    ASSERT_TRUE(Load());
                    ArmAllocationFaults(mode, n);
                    const Lines messages = Run(scenario, &result, &handedOver);
                    DisarmAllocationFaults();
                    EXPECT_EQ(result, 0);
                    // The run's own answers, or those up to where memory ran
                    // out, then the one message that says so.
                    if (messages != expectedMessages) {
                        ASSERT_FALSE(messages.empty());
                        ASSERT_LE(messages.size(), expectedMessages.size() + 1) << Joined(messages);
                        EXPECT_TRUE(std::equal(messages.begin(), messages.end() - 1, expectedMessages.begin()))
                            << Joined(messages);
                        EXPECT_NE(Wide(messages.back()).find(kOutOfMemory), std::wstring::npos) << messages.back();
                    }
                }
                const std::string file = ExistingFileText(iniPath_);
                EXPECT_TRUE(file == before || file == between || file == after) << file;

                // Memory is back: the next run searches, and saves the
                // history as it was or as the run left it, whole.
                const Lines messages = Run({"memory back", "", "after"}, &result, &handedOver);
                EXPECT_TRUE(messages.empty()) << Joined(messages);
                EXPECT_TRUE(handedOver);
                const Lines history = History();
                EXPECT_TRUE(history == AfterThis(historyBefore) || history == AfterThis(historyAfter))
                    << Joined(history);
                Unload();
                if (HasFailure())
                    return;
            }
        }
    }

    std::string folder_;
    std::string iniPath_;
    HMODULE plugin_ = nullptr;
    SearchFunction search_ = nullptr;
    CallLogFunction callLog_ = nullptr;
    HWND mainWindow_ = nullptr;
};

const std::string kSettings = "[History]\r\nhistory0=old\r\nhistory1=older\r\n[Config]\r\nradio=2\r\ncheck=FALSE\r\n"
                              "[Favorite]\r\nweekly=from:alice subject:\"a b\"\r\n";

TEST_F(AllocationFaultsTest, AConfirmedSearchAndItsSave) {
    Check({"confirmed", kSettings, "subject:\"a b\" from:bob attach:* flag:unread body:\x8c\xa9\x90\xcf"});
}

TEST_F(AllocationFaultsTest, Favourites) {
    Check({"stored", kSettings, "fav:daily from:carol"});
    Check({"replaced once asked", kSettings, "fav:weekly from:dave", false, "", true});
    Check({"deleted", kSettings, "fav:weekly \"\""});
    Check({"recalled", kSettings, "fav:weekly"});
    Check({"listed", kSettings, "fav:"});
    Check({"suggested", kSettings, "fav:weekly", false, "fav:we"});
}

TEST_F(AllocationFaultsTest, HelpAndDelete) {
    Check({"help", kSettings, "help:"});
    Check({"delete", kSettings, ""});
}

TEST_F(AllocationFaultsTest, ProcessAttach) {
    Check({"attach", kSettings, "", true});
}

} // namespace

// The search run at its limits, linked in: memory running out at each stage
// of a run, and settings with no folder to live in. The host is the stand-in
// PellInfo.dll, bound by attach; the dialog comes from the plug-in's DLL.
#include "allocation_limit.h"
#include "dialog_driver.h"
#include "plugin/attach.h"
#include "plugin/search_run.h"
#include "plugin/session.h"
#include "settings/settings_file.h"
#include "win_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;
using ConfigureFunction = void(__cdecl*)(const char*, const char*);
using CallLogFunction = const char*(__cdecl*)();
using ResetFunction = void(__cdecl*)();

class SearchRunLimitsTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = MakeScratchFolder("limits");
        SetMailClientFolder((ProgramFolder() + "\\").c_str());
        resources_ = LoadLibraryExA((ProgramFolder() + "\\VelmoroMailSearch.dll").c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(resources_, nullptr);
    }
    void TearDown() override {
        DetachProcess();
        g_session = SearchSession();
        if (resources_)
            FreeLibrary(resources_);
    }
    // Attach as the loader would, with the dialog from the plug-in's DLL.
    void Attach(HMODULE module) {
        AttachProcess(module);
        g_session.module = resources_;
        ASSERT_EQ(g_session.hostProblem, HostProblem::None);
        Export<ResetFunction>(g_session.hostLibrary, "StandInReset")();
        configure_ = Export<ConfigureFunction>(g_session.hostLibrary, "StandInConfigure");
        callLog_ = Export<CallLogFunction>(g_session.hostLibrary, "StandInCallLog");
        ASSERT_TRUE(configure_ && callLog_);
    }
    // One run; the message boxes it showed (there must be `expectedMessages`),
    // and whether it handed anything over.
    Lines Search(const DialogAnswer& answer, bool* handedOver, std::size_t expectedMessages = 0) {
        Lines messages;
        looks_.clear();
        looks_.reserve(4); // the driver's thread must not allocate under a test's limit
        const std::size_t logged = std::strlen(callLog_());
        DriveDialog([&] { return static_cast<INT_PTR>(RunSearch("")); },
                  [&](HWND window) {
                      if (IsMessageBox(window))
                          looks_.push_back(LookOf(window));
                      AnswerSearchRun(window, answer, messages);
                  });
        *handedOver = std::string(callLog_() + logged).find("PushFindPack") != std::string::npos;
        EXPECT_EQ(messages.size(), expectedMessages) << (messages.empty() ? "" : messages.front());
        return messages;
    }
    // Each message box of the last run: a warning, owned by the main window.
    void ExpectWarningsOwnedByTheMainWindow(const char* name) {
        EXPECT_FALSE(looks_.empty()) << name;
        for (const MessageBoxLook& look : looks_) {
            EXPECT_EQ(look.icon, "warning") << name;
            EXPECT_EQ(look.owner, g_session.host.MainWnd()) << name;
            EXPECT_EQ(look.caption, "VelmoroMailSearch") << name;
        }
    }
    std::string folder_;
    std::vector<MessageBoxLook> looks_;
    HMODULE resources_ = nullptr;
    ConfigureFunction configure_ = nullptr;
    CallLogFunction callLog_ = nullptr;
};

// Wherever memory runs out in a run (reading the query out of the dialog,
// copying what the host answers, translating), the run ends with the one
// message and hands nothing over; the settings file holds what was confirmed
// before, and the next run works.
TEST_F(SearchRunLimitsTest, RunningOutOfMemoryEndsTheRunWithAMessage) {
    SetEditorInstallLocation(folder_.c_str());
    SetEditorMacroPath(folder_.c_str());
    const std::string iniPath = folder_ + "\\VelmoroMailSearch.ini";
    const std::string config = "[Config]\r\nradio=1\r\ncheck=FALSE\r\n";
    const std::size_t mebibyte = 1024 * 1024;
    const std::string words = [&] {
        std::string text;
        while (text.size() < mebibyte)
            text += "w" + std::to_string(text.size() % 89) + " ";
        return text;
    }();
    struct Case {
        const char* name;
        std::string query;
        std::string account;
        std::size_t limit;
        std::string history; // the section afterwards
    };
    const Case cases[] = {
        {"the query out of the dialog", words, "user@example.jp", mebibyte / 2, "history0=old\r\n"},
        // The query was confirmed before the host was asked.
        {"the host's answer", "w", std::string(2 * mebibyte, 'a'), mebibyte, "history0=w\r\nhistory1=old\r\n"},
        // Confirmed too, but too long for the file.
        {"the translation", words, "user@example.jp", 5 * mebibyte, "history0=old\r\n"},
    };
    for (const Case& c : cases) {
        WriteWholeFile(iniPath, "[History]\r\nhistory0=old\r\n" + config);
        ASSERT_NO_FATAL_FAILURE(Attach(GetModuleHandleA(nullptr)));
        configure_("account", c.account.c_str());
        const DialogAnswer answer{c.query, 1001};
        Lines messages;
        messages.reserve(4);
        bool handedOver = true;
        {
            const AllocationLimit memory(c.limit);
            messages = Search(answer, &handedOver, 1);
        }
        EXPECT_EQ(messages.size(), 1u) << c.name;
        ExpectWarningsOwnedByTheMainWindow(c.name);
        EXPECT_FALSE(handedOver) << c.name;
        EXPECT_EQ(ReadWholeFile(iniPath), "[History]\r\n" + c.history + config) << c.name;

        configure_("account", "user@example.jp");
        messages = Search({"after", 1001}, &handedOver);
        EXPECT_TRUE(messages.empty()) << c.name;
        EXPECT_TRUE(handedOver) << c.name;
        DetachProcess();
        g_session = SearchSession();
    }
}

// The settings file is read whole at most once before the dialog, and only
// when it changed since this process last read or saved it; a confirmation
// reads it once more for its save and never after. The private-profile
// reader is asked only by "fav:" queries.
TEST_F(SearchRunLimitsTest, ARunReadsTheFileOnlyWhenItChanged) {
    SetEditorInstallLocation(folder_.c_str());
    SetEditorMacroPath(folder_.c_str());
    const std::string iniPath = folder_ + "\\VelmoroMailSearch.ini";
    WriteWholeFile(iniPath, "[History]\r\nhistory0=old\r\n[Favorite]\r\nw=from:x\r\n");
    ASSERT_NO_FATAL_FAILURE(Attach(GetModuleHandleA(nullptr)));
    EXPECT_EQ(g_session.settings->FileReads(), 1u);
    struct Case {
        const char* name;
        std::string changedElsewhere; // the file another process leaves first; empty: none
        DialogAnswer answer;
        std::size_t fileReads;
        QueryHistory history; // afterwards
        std::size_t messages;
    };
    const std::string theirs = "[History]\r\nhistory0=theirs\r\n[Config]\r\nradio=4\r\n[Favorite]\r\nw=from:x\r\n";
    const Case cases[] = {
        {"dismissed", "", {"", 0, false, true}, 0, {"old"}, 0},
        {"confirmed", "", {"new", 1002}, 1, {"new", "old"}, 0},
        {"confirmed again", "", {"newer", 1002}, 1, {"newer", "new", "old"}, 0},
        {"dismissed after the save", "", {"", 0, false, true}, 0, {"newer", "new", "old"}, 0},
        {"another process saved", theirs, {"", 0, false, true}, 1, {"theirs"}, 0},
        // A recalled favourite is read from the file (besides the save).
        {"a favourite recalled", "", {"fav:w"}, 2, {"fav:w", "theirs"}, 0},
        // The favourites are listed from the file once (besides the save),
        // and again only once it has changed elsewhere.
        {"the favourites listed", "", {"fav:"}, 2, {"fav:", "fav:w", "theirs"}, 1},
        {"listed again", "", {"fav:"}, 1, {"fav:", "fav:w", "theirs"}, 1},
        {"listed once another process saved", theirs, {"fav:"}, 3, {"fav:", "theirs"}, 1},
    };
    for (const Case& c : cases) {
        if (!c.changedElsewhere.empty())
            WriteWholeFile(iniPath, c.changedElsewhere);
        const std::size_t reads = g_session.settings->FileReads();
        bool handedOver = false;
        Search(c.answer, &handedOver, c.messages);
        EXPECT_EQ(g_session.settings->FileReads() - reads, c.fileReads) << c.name;
        EXPECT_EQ(g_session.history, c.history) << c.name;
    }
    EXPECT_EQ(g_session.scope, 1004); // taken from the other process's save
}

// Nothing may allocate on the way out of a failure: with no memory at all,
// the dialog's placement (asking the system for the screens) and the run's
// message still work, and the next run searches.
TEST_F(SearchRunLimitsTest, NoMemoryAtAllEndsTheRunWithItsMessage) {
    ASSERT_NO_FATAL_FAILURE(Attach(GetModuleHandleA(nullptr)));
    int boxes = 0;
    const DialogRun run = RunDialog(
        [] {
            const AllocationLimit none(0);
            return static_cast<INT_PTR>(RunSearch(""));
        },
        [&](HWND window) {
            boxes += IsMessageBox(window);
            PostMessageA(window, WM_COMMAND, IDOK, 0); // the script must not allocate either
        });
    EXPECT_EQ(run.leftOpen, 0);
    EXPECT_EQ(boxes, 1);
    bool handedOver = false;
    EXPECT_TRUE(Search({"after", 1001}, &handedOver).empty());
    EXPECT_TRUE(handedOver);
}

// With no folder for the settings, the run says so once, then keeps the
// history, the scope and the favourites in memory; nothing is written to a
// relative path (the Windows folder).
TEST_F(SearchRunLimitsTest, WithoutAFolderTheSettingsLiveInMemory) {
    SetEditorInstallLocation("Editor");
    SetEditorMacroPath("Macro");
    ASSERT_NO_FATAL_FAILURE(Attach(reinterpret_cast<HMODULE>(static_cast<INT_PTR>(0x10))));
    ASSERT_NE(g_session.settings, nullptr);
    EXPECT_EQ(g_session.settings->Path(), "");
    bool handedOver = false;
    // That the settings stay in memory, then that the favourite is stored.
    Search({"fav:work from:alice", 1004, true}, &handedOver, 2);
    ASSERT_EQ(looks_.size(), 2u);
    EXPECT_EQ(looks_.front().icon, "warning");
    EXPECT_EQ(looks_.back().icon, "information");
    EXPECT_FALSE(handedOver);
    // Another text under the name asks first, in memory too; Enter keeps it.
    Search({"fav:work from:bob", 1004, true}, &handedOver, 1);
    EXPECT_TRUE(looks_.front().question);
    const Lines told = Search({"fav:", 0, true}, &handedOver, 1);
    EXPECT_NE(Wide(told.front()).find(L"設定ファイル: なし"), std::wstring::npos);
    Search({"fav:work", 0, true}, &handedOver);
    EXPECT_TRUE(handedOver);
    EXPECT_NE(std::string(callLog_()).find("SetFindPack|(\"alice\",target=from)"), std::string::npos);
    EXPECT_EQ(g_session.scope, 1004);
    EXPECT_EQ(g_session.history, (QueryHistory{"fav:work", "fav:", "fav:work from:bob", "fav:work from:alice"}));
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(GetFileAttributesA((std::string(windows) + "\\VelmoroMailSearch.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace

namespace {

unsigned long FolderRefusesNewFiles(SaveStep step) {
    return step == SaveStep::TemporaryCreated ? ERROR_ACCESS_DENIED : 0;
}

unsigned long DiskIsFull(SaveStep step) {
    return step == SaveStep::TemporaryWritten ? ERROR_DISK_FULL : 0;
}

// What keeps a save from being made, and how it goes away again.
struct Obstacle {
    const char* name;
    std::function<std::function<void()>(const std::string& iniPath)> put; // returns the removal
    SaveStepHook hook;
    const wchar_t* cause; // what the message says of it
};

// Another process's save that never ends: it holds the lock.
std::function<void()> HoldTheSaveLock(const std::string& iniPath) {
    const HANDLE held = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const HANDLE holder = StartThread([=] {
        const HANDLE lock = CreateMutexA(nullptr, FALSE, SaveLockName(iniPath).c_str());
        WaitForSingleObject(lock, INFINITE);
        SetEvent(held);
        WaitForSingleObject(release, INFINITE);
        ReleaseMutex(lock);
        CloseHandle(lock);
    });
    WaitForSingleObject(held, 10000);
    return [=] {
        SetEvent(release);
        JoinThread(holder);
        CloseHandle(held);
        CloseHandle(release);
    };
}

// A save that cannot be made leaves the file as it was and is told once in
// the process; the run goes on from memory: it searches, and the history and
// the scope are kept for the next run.
TEST_F(SearchRunLimitsTest, ASaveThatFailsIsToldOnceAndTheRunGoesOn) {
    SetEditorInstallLocation(folder_.c_str());
    SetEditorMacroPath(folder_.c_str());
    const std::string iniPath = folder_ + "\\VelmoroMailSearch.ini";
    const std::string content = "[Config]\r\nradio=1\r\ncheck=FALSE\r\n[History]\r\nhistory0=old\r\n";
    const Obstacle obstacles[] = {
        {"read-only file",
         [](const std::string& path) {
             SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
             return std::function<void()>([=] { SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL); });
         },
         nullptr, L"読み取り専用"},
        {"file held open",
         [](const std::string& path) {
             const HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
             return std::function<void()>([=] { CloseHandle(held); });
         },
         nullptr, L"ほかのプログラムが設定ファイルを開いています"},
        {"another save never ends", HoldTheSaveLock, nullptr, L"保存が終わりませんでした"},
        {"the folder refuses new files", [](const std::string&) { return std::function<void()>([] {}); },
         FolderRefusesNewFiles, L"書き込む権限がありません"},
        {"the disk is full", [](const std::string&) { return std::function<void()>([] {}); }, DiskIsFull,
         L"ディスクの空きが足りません"},
    };
    for (const Obstacle& obstacle : obstacles) {
        WriteWholeFile(iniPath, content);
        ASSERT_NO_FATAL_FAILURE(Attach(GetModuleHandleA(nullptr)));
        g_session.settings->SetSaveStepHook(obstacle.hook);
        const std::function<void()> remove = obstacle.put(iniPath);
        bool handedOver = false;
        const Lines told = Search({"first", 1002}, &handedOver, 1);
        ExpectWarningsOwnedByTheMainWindow(obstacle.name);
        EXPECT_TRUE(handedOver) << obstacle.name;
        Search({"second", 1004, true}, &handedOver);
        EXPECT_TRUE(handedOver) << obstacle.name;
        remove();
        ASSERT_EQ(told.size(), 1u) << obstacle.name;
        EXPECT_NE(told[0].find(iniPath), std::string::npos) << obstacle.name;
        EXPECT_NE(Wide(told[0]).find(obstacle.cause), std::wstring::npos) << obstacle.name;
        EXPECT_EQ(ReadWholeFile(iniPath), content) << obstacle.name;
        EXPECT_EQ(ReadWholeFile(TemporaryPath(iniPath)), std::nullopt) << obstacle.name;
        EXPECT_EQ(g_session.history, (QueryHistory{"second", "first", "old"})) << obstacle.name;
        EXPECT_EQ(g_session.scope, 1004) << obstacle.name;
        DetachProcess();
        g_session = SearchSession();
    }
}

} // namespace

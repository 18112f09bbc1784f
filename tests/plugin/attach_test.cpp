#include "plugin/attach.h"

#include "allocation_limit.h"
#include "plugin/session.h"
#include "settings/settings_file.h"
#include "win_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class AttachTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = MakeScratchFolder("attach");
        SetEditorInstallLocation("C:\\NoSuchEditor");
        SetEditorMacroPath(folder_.c_str());
        SetMailClientFolder((ProgramFolder() + "\\").c_str());
    }
    void TearDown() override {
        DetachProcess();
        g_session = SearchSession();
        SetEditorInstallLocation(nullptr);
        SetEditorMacroPath(nullptr);
        SetMailClientFolder(nullptr);
    }
    void WriteSettings(const std::string& content) { WriteWholeFile(folder_ + "\\VelmoroMailSearch.ini", content); }
    void Attach() { AttachProcess(GetModuleHandleA(nullptr)); }
    std::string folder_;
};

TEST_F(AttachTest, WithoutASettingsFileEverythingStartsAfresh) {
    Attach();
    ASSERT_NE(g_session.settings, nullptr);
    EXPECT_EQ(g_session.settings->Path(), folder_ + "\\VelmoroMailSearch.ini");
    EXPECT_TRUE(g_session.history.empty());
    EXPECT_EQ(g_session.scope, 1001);
    EXPECT_FALSE(g_session.includeAll);
}

TEST_F(AttachTest, HistoryGapsCloseUpAndOnlyTwentyKeysAreRead) {
    WriteSettings("[History]\r\nhistory3=third\r\nhistory7=seventh\r\nhistory5=\r\nhistory20=beyond\r\n"
                  "history03=padded\r\n");
    Attach();
    EXPECT_EQ(g_session.history, (std::vector<std::string>{"third", "seventh"}));
}

struct ConfigCase {
    const char* radio;
    const char* check;
    int scope;
    bool includeAll;
};

TEST_F(AttachTest, ScopeAndCheckBoxNeedTheirExactValues) {
    const ConfigCase cases[] = {
        {"1", "TRUE", 1001, true},  {"2", "FALSE", 1002, false}, {"3", "true", 1003, false},
        {"4", "True", 1004, false}, {"5", "TRUE ", 1001, true},  {"01", "", 1001, false},
        {"", "1", 1001, false},     {"4x", "TRUEX", 1001, false},
    };
    for (const ConfigCase& c : cases) {
        WriteSettings(std::string("[Config]\r\nradio=") + c.radio + "\r\ncheck=" + c.check + "\r\n");
        Attach();
        EXPECT_EQ(g_session.scope, c.scope) << c.radio;
        EXPECT_EQ(g_session.includeAll, c.includeAll) << c.check;
        DetachProcess();
        g_session = SearchSession();
    }
}

// The host functions that are bound, by name.
std::vector<std::string> BoundHostFunctions(const HostApi& host) {
    std::vector<std::string> bound;
#define VELMORO_IF_BOUND(name, result, parameters)                                                                     \
    if (host.name)                                                                                                     \
        bound.push_back(#name);
    VELMORO_HOST_FUNCTIONS(VELMORO_IF_BOUND)
#undef VELMORO_IF_BOUND
    return bound;
}

const std::vector<std::string> kAllHostFunctions = {"StartDoGrep",   "SetFindPack",       "CurrentFolder",
                                                    "YenEncode",     "ExecAtMain",        "IsVelmoroMail",
                                                    "IsVelmoroMailMain", "IsVelmoroMailGrep", "MainWnd",
                                                    "PushFindPack"};

TEST_F(AttachTest, BindsEveryHostFunction) {
    Attach();
    EXPECT_EQ(g_session.hostProblem, HostProblem::None);
    EXPECT_NE(g_session.hostLibrary, nullptr);
    EXPECT_EQ(BoundHostFunctions(g_session.host), kAllHostFunctions);
    EXPECT_STREQ(g_session.host.YenEncode("a\"b"), "a\\\"b");
}

TEST_F(AttachTest, AnUnusableHostIsRecordedNotFatal) {
    struct Case {
        const char* name;
        std::string folder; // empty: not registered
        HostProblem problem;
        std::string libraryPath;
        std::string missingFunction;
    };
    const Case cases[] = {
        {"not registered", "", HostProblem::FolderNotRegistered, "", ""},
        {"no library there", folder_ + "\\", HostProblem::LibraryNotLoaded, folder_ + "\\PellInfo.dll", ""},
        {"a function missing", ProgramFolder() + "\\partial\\", HostProblem::FunctionMissing,
         ProgramFolder() + "\\partial\\PellInfo.dll", "StartDoGrep"},
        // Not looked for along the search path: the current folder holds one.
        {"a relative folder", ".\\", HostProblem::LibraryNotLoaded, ".\\PellInfo.dll", ""},
    };
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    SetCurrentDirectoryA(ProgramFolder().c_str());
    for (const Case& c : cases) {
        SetMailClientFolder(c.folder.empty() ? nullptr : c.folder.c_str());
        Attach();
        EXPECT_EQ(g_session.hostProblem, c.problem) << c.name;
        EXPECT_EQ(g_session.hostLibraryPath, c.libraryPath) << c.name;
        EXPECT_EQ(g_session.missingHostFunction, c.missingFunction) << c.name;
        if (c.problem == HostProblem::FunctionMissing) {
            EXPECT_NE(g_session.host.IsVelmoroMail, nullptr) << "what the library has is bound";
        }
        DetachProcess();
        g_session = SearchSession();
    }
    SetCurrentDirectoryA(current);
}

TEST_F(AttachTest, TheSettingsLiveInTheRegisteredFolderElseBesideTheModuleElseInMemory) {
    struct Case {
        const char* name;
        const char* installLocation;
        const char* macroPath;
        const char* mailClientFolder;
        HMODULE module;
        std::string path; // empty: in memory only
    };
    const std::string besideModule = ProgramFolder() + "\\VelmoroMailSearch.ini";
    const HMODULE self = GetModuleHandleA(nullptr);
    const HMODULE unknown = reinterpret_cast<HMODULE>(static_cast<INT_PTR>(0x10));
    const Case cases[] = {
        {"macro folder", "C:\\Editor", folder_.c_str(), nullptr, self, folder_ + "\\VelmoroMailSearch.ini"},
        {"nothing registered", nullptr, nullptr, nullptr, self, besideModule},
        {"a relative folder", "C:\\Editor", "Macro", nullptr, self, besideModule},
        {"an empty folder", nullptr, nullptr, "", self, besideModule},
        {"a drive's root", nullptr, nullptr, "C:", self, "C:\\VelmoroMailSearch.ini"},
        {"nothing registered, module unknown", nullptr, nullptr, nullptr, unknown, ""},
        {"a relative folder, module unknown", "Editor", nullptr, nullptr, unknown, ""},
    };
    for (const Case& c : cases) {
        SetEditorInstallLocation(c.installLocation);
        SetEditorMacroPath(c.macroPath);
        SetMailClientFolder(c.mailClientFolder);
        AttachProcess(c.module);
        ASSERT_NE(g_session.settings, nullptr) << c.name;
        EXPECT_EQ(g_session.settings->Path(), c.path) << c.name;
        EXPECT_EQ(g_session.settingsInMemoryOnly, c.path.empty()) << c.name;
        DetachProcess();
        g_session = SearchSession();
    }
}

// Memory running out anywhere in attach must not let an exception into the
// loader (on 32-bit that ends the mail client), nor leave the host looking
// usable when it is not.
TEST_F(AttachTest, RunningOutOfMemoryNeverEscapes) {
    WriteSettings("[History]\r\nhistory0=" + std::string(3000, 'h') + "\r\n[Config]\r\nradio=3\r\n");
    for (std::size_t limit : {0, 16, 64, 256, 1024, 4096, 16384, 1 << 20}) {
        {
            const AllocationLimit memory(limit);
            Attach();
        }
        if (g_session.hostProblem == HostProblem::None) {
            EXPECT_EQ(BoundHostFunctions(g_session.host), kAllHostFunctions) << limit;
        }
        if (limit == 1 << 20) {
            EXPECT_EQ(g_session.hostProblem, HostProblem::None);
            EXPECT_EQ(g_session.scope, 1003);
            EXPECT_EQ(g_session.history.size(), 1u);
        }
        DetachProcess();
        g_session = SearchSession();
    }
}

} // namespace

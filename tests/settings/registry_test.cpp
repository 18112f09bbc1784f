#include "settings/registry.h"

#include "win_test_support.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

const char kTestKey[] = "Software\\VelmoroTest\\Key";
const DWORD kUntouched = 12345;

struct Read {
    std::optional<std::string> data;
    DWORD error;
    DWORD type;
};

Read ReadPath(const std::string& path) {
    SetLastError(kUntouched);
    DWORD type = 0;
    std::optional<std::string> data = ReadRegistryString(path.c_str(), &type);
    const DWORD error = GetLastError();
    return {std::move(data), error, type};
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetRegistryValue(HKEY_CURRENT_USER, kTestKey, "Text", std::string("hello\0", 6));
        SetRegistryValue(HKEY_CURRENT_USER, kTestKey, "Unterminated", "abc");
        SetRegistryValue(HKEY_CURRENT_USER, kTestKey, "Empty", "");
        SetRegistryValue(HKEY_CURRENT_USER, kTestKey, "Number", std::string("\x78\x56\x34\x12", 4), REG_DWORD);
        SetRegistryValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\VelmoroTest", "Machine", std::string("m\0", 2));
    }
};

struct PathCase {
    std::string path;
    const char* text; // null: the read fails
    DWORD error;      // the last-error code after a failure
};

TEST_F(RegistryTest, PathsNameValuesOrFailWithACode) {
    const std::string longPath = "HKEY_CURRENT_USER\\Software\\" + std::string(300, 'x') + "\\V";
    const PathCase cases[] = {
        {"HKEY_CURRENT_USER\\Software\\VelmoroTest\\Key\\Text", "hello", 0},
        {"usr\\Software\\VelmoroTest\\Key\\Text", "hello", 0},
        {"Hkey_Current_User\\Software\\VelmoroTest\\Key\\Text", "hello", 0},
        {"USR\\Software\\VelmoroTest\\Key\\Unterminated", "abc", 0},
        {"USR\\Software\\VelmoroTest\\Key\\Empty", "", 0},
        {"SYS\\SOFTWARE\\VelmoroTest\\Machine", "m", 0},
        {"Hkey_Local_Machine\\SOFTWARE\\VelmoroTest\\Machine", "m", 0},
        {"HKEY_CURRENT_USER\\\\Software\\VelmoroTest\\\\Key\\Text", "hello", 0},
        {"\\HKEY_CURRENT_USER\\Software\\VelmoroTest\\Key\\Text\\", "hello", 0},
        {"HKCU\\Software\\VelmoroTest\\Key\\Text", nullptr, ERROR_PATH_NOT_FOUND},
        {"HKLM\\SOFTWARE\\VelmoroTest\\Machine", nullptr, ERROR_PATH_NOT_FOUND},
        {"HKEY_CURRENT_USER\\Software\\VelmoroTest\\NoSuchKey\\Text", nullptr, ERROR_FILE_NOT_FOUND},
        {"HKEY_CURRENT_USER\\Software\\VelmoroTest\\Key\\NoSuchValue", nullptr, kUntouched},
        {"HKEY_CURRENT_USER", nullptr, ERROR_PATH_NOT_FOUND},
        {"", nullptr, ERROR_PATH_NOT_FOUND},
        {"\\\\\\", nullptr, ERROR_PATH_NOT_FOUND},
        {longPath, nullptr, ERROR_BUFFER_OVERFLOW},
    };
    for (const PathCase& c : cases) {
        const Read read = ReadPath(c.path);
        if (c.text) {
            EXPECT_EQ(read.data, std::string(c.text)) << c.path;
        } else {
            EXPECT_EQ(read.data, std::nullopt) << c.path;
            EXPECT_EQ(read.error, c.error) << c.path;
        }
    }
}

TEST_F(RegistryTest, AnyTypeComesBackRawWithItsType) {
    const Read read = ReadPath("USR\\Software\\VelmoroTest\\Key\\Number");
    EXPECT_EQ(read.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(read.data, std::string("\x78\x56\x34\x12"));
    EXPECT_TRUE(ReadRegistryString("USR\\Software\\VelmoroTest\\Key\\Text").has_value());
}

struct FolderCase {
    const char* installLocation;
    const char* macroPath;
    const char* mailClientFolder;
    const char* found; // null: none
};

TEST(FindPluginFolder, PrefersTheEditorsFolders) {
    const FolderCase cases[] = {
        {"C:\\Velmoro", "C:\\Macros", "C:\\Pellarin\\", "C:\\Macros"},
        {"C:\\Velmoro", nullptr, "C:\\Pellarin\\", "C:\\Velmoro"},
        {nullptr, "C:\\Macros", "C:\\Pellarin\\", "C:\\Pellarin\\"},
        {nullptr, "C:\\Macros", nullptr, nullptr},
        {nullptr, nullptr, nullptr, nullptr},
    };
    for (const FolderCase& c : cases) {
        SetEditorInstallLocation(c.installLocation);
        SetEditorMacroPath(c.macroPath);
        SetMailClientFolder(c.mailClientFolder);
        const std::optional<std::string> folder = FindPluginFolder();
        if (c.found) {
            EXPECT_EQ(folder, std::string(c.found));
        } else {
            EXPECT_EQ(folder, std::nullopt);
        }
    }
    SetEditorInstallLocation(nullptr);
    SetEditorMacroPath(nullptr);
    SetMailClientFolder(nullptr);
}

} // namespace

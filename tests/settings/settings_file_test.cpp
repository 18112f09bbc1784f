#include "settings/settings_file.h"

#include "win_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

struct FreeDeleter {
    void operator()(char* block) const { std::free(block); }
};
using Value = std::unique_ptr<char, FreeDeleter>;

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = MakeScratchFolder("settings");
        path_ = folder_ + "\\VelmoroMailSearch.ini";
    }
    std::string Read(const char* section, const char* key) {
        Value value(SettingsFile(path_.c_str()).ReadValue(section, key));
        EXPECT_NE(value, nullptr);
        return value ? value.get() : "<null>";
    }
    std::string folder_;
    std::string path_;
};

struct RoundTrip {
    const char* name;
    std::string written;
    std::string readBack;
    std::string line; // the line in the file, when it matters
};

TEST_F(SettingsFileTest, ValuesReadBackAsWritten) {
    const RoundTrip cases[] = {
        {"plain", "from:alice", "from:alice", "k=from:alice"},
        {"quoted phrase", "\"a b\"", "\"a b\"", "k=\"\"a b\"\""},
        {"two quotes", "\"\"", "\"\"", "k=\"\"\"\""},
        {"one quote", "\"", "\"", "k=\""},
        {"quote at the front only", "\"abc", "\"abc", "k=\"abc"},
        {"quote at the back only", "abc\"", "abc\"", "k=abc\""},
        {"leading spaces", "  foo", "  foo", "k=\"  foo\""},
        {"trailing space", "foo ", "foo ", "k=\"foo \""},
        {"tab", "\tfoo", "\tfoo", ""},
        {"spaces only", "   ", "   ", ""},
        {"single quotes", "'foo'", "'foo'", "k=\"'foo'\""},
        {"quoted with spaces", " \"a\" ", " \"a\" ", ""},
        {"Shift_JIS", "\x8c\x9f\x8d\xf5 \x95\x5c", "\x8c\x9f\x8d\xf5 \x95\x5c", ""},
        {"equals and brackets", "a=b [c]", "a=b [c]", ""},
        {"empty", "", "", ""},
    };
    // Without a folder the settings live in memory, and behave the same.
    SettingsFile inMemory(nullptr);
    for (const RoundTrip& c : cases) {
        SettingsFile settings(path_.c_str());
        EXPECT_TRUE(settings.WriteValue("S", "k", c.written.c_str())) << c.name;
        EXPECT_EQ(Read("S", "k"), c.readBack) << c.name;
        EXPECT_TRUE(inMemory.WriteValue("S", "k", c.written.c_str())) << c.name;
        Value fromMemory(inMemory.ReadValue("S", "k"));
        EXPECT_EQ(std::string(fromMemory.get()), c.readBack) << c.name << ", in memory";
        if (!c.line.empty()) {
            EXPECT_NE(ReadWholeFile(path_).find(c.line + "\r\n"), std::string::npos) << c.name;
        }
    }
}

TEST_F(SettingsFileTest, ValuesOfAnyLengthAreReadWhole) {
    // The first buffer holds 256 bytes; longer values make it grow.
    for (std::string::size_type length : {253u, 254u, 255u, 256u, 600u, 20000u, 60000u}) {
        const std::string value(length, 'x');
        WriteWholeFile(path_, "[S]\r\nlong=" + value + "\r\n");
        EXPECT_EQ(Read("S", "long").size(), length);
    }
}

TEST_F(SettingsFileTest, ValuesTooLongToStoreLeaveTheOldOne) {
    // The profile functions keep a value's length in 16 bits: a longer one
    // would come back cut to a fraction, or empty.
    SettingsFile settings(path_.c_str());
    const std::string longest(kMaxStoredValueLength, 'y');
    EXPECT_TRUE(settings.WriteValue("S", "k", longest.c_str()));
    EXPECT_TRUE(Read("S", "k") == longest);
    settings.WriteValue("S", "k", "old");
    for (std::string::size_type length : {kMaxStoredValueLength + 1, std::string::size_type(70000), std::string::size_type(1 << 20)}) {
        EXPECT_FALSE(settings.WriteValue("S", "k", std::string(length, 'z').c_str())) << length;
        EXPECT_TRUE(Read("S", "k") == "old") << length;
    }
    // Quoting counts: a value that needs quotes has two bytes less room.
    EXPECT_FALSE(settings.WriteValue("S", "k", (" " + std::string(kMaxStoredValueLength - 1, 'q')).c_str()));
    EXPECT_TRUE(Read("S", "k") == "old");
}

TEST_F(SettingsFileTest, AbsentThingsReadAsEmpty) {
    EXPECT_EQ(Read("S", "k"), "") << "no file";
    SettingsFile(path_.c_str()).WriteValue("S", "k", "v");
    EXPECT_EQ(Read("Other", "k"), "") << "no section";
    EXPECT_EQ(Read("S", "other"), "") << "no key";
    const std::string nowhere = folder_ + "\\missing\\VelmoroMailSearch.ini";
    SettingsFile missingFolder(nowhere.c_str());
    missingFolder.WriteValue("S", "k", "v"); // fails quietly
    Value value(missingFolder.ReadValue("S", "k"));
    ASSERT_NE(value, nullptr);
    EXPECT_STREQ(value.get(), "");
}

TEST_F(SettingsFileTest, NullValueDeletesTheKeyOnly) {
    SettingsFile settings(path_.c_str());
    SettingsFile inMemory(nullptr);
    for (SettingsFile* file : {&settings, &inMemory}) {
        file->WriteValue("Favorite", "work", "from:alice");
        file->WriteValue("Favorite", "home", "from:bob");
        EXPECT_TRUE(file->WriteValue("Favorite", "work", nullptr));
        EXPECT_TRUE(file->WriteValue("Favorite", "never", nullptr));
        Value work(file->ReadValue("Favorite", "work"));
        Value home(file->ReadValue("Favorite", "home"));
        EXPECT_STREQ(work.get(), "") << file->Path();
        EXPECT_STREQ(home.get(), "from:bob") << file->Path();
    }
    EXPECT_EQ(ReadWholeFile(path_).find("work"), std::string::npos);
}

TEST_F(SettingsFileTest, LineBreaksNeverSplitTheFile) {
    SettingsFile settings(path_.c_str());
    settings.WriteValue("History", "history1", "kept");
    settings.WriteValue("History", "history0", "a\r\n[Config]\r\nradio=4\nb\rc");
    EXPECT_EQ(Read("History", "history0"), "a  [Config]  radio=4 b c");
    EXPECT_EQ(Read("History", "history1"), "kept");
    EXPECT_EQ(Read("Config", "radio"), "");
    EXPECT_FALSE(settings.WriteValue("Favorite", "x\r\n[Config]\r\nradio", "4"));
    EXPECT_EQ(Read("Config", "radio"), "");
    const std::string content = ReadWholeFile(path_);
    EXPECT_EQ(content.find("\n[Config]"), std::string::npos);
    EXPECT_EQ(content.find("\nradio"), std::string::npos);
}

TEST_F(SettingsFileTest, AFileThatCannotBeWrittenStaysAsItWas) {
    // Held open without sharing by another program: every write fails.
    const std::string content = "[History]\r\nhistory0=old\r\n";
    WriteWholeFile(path_, content);
    const HANDLE held = CreateFileA(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    SettingsFile settings(path_.c_str());
    EXPECT_FALSE(settings.WriteValue("History", "history0", "new"));
    EXPECT_FALSE(settings.WriteValue("History", "history0", nullptr));
    Value value(settings.ReadValue("History", "history0"));
    EXPECT_NE(value, nullptr);
    CloseHandle(held);
    EXPECT_EQ(ReadWholeFile(path_), content);
    EXPECT_EQ(Read("History", "history0"), "old");
}

TEST_F(SettingsFileTest, GarbageLinesAndLongKeysDoNotDisturbTheRest) {
    const std::string longKey(5000, 'k');
    WriteWholeFile(path_, "garbage without equals\r\n=no key\r\n[\r\n\x01\x02\xff\r\n[History]\r\n"
                          "junk\r\nhistory0=first\r\n;comment=1\r\nhuge=" + std::string(1 << 20, 'h') +
                          "\r\n[Config]\r\nradio=3\r\n");
    // Whatever the reader makes of a mebibyte value, it comes back as a text.
    Value huge(SettingsFile(path_.c_str()).ReadValue("History", "huge"));
    ASSERT_NE(huge, nullptr);
    EXPECT_LE(std::strlen(huge.get()), std::size_t(1) << 20);
    SettingsFile settings(path_.c_str());
    EXPECT_EQ(Read("History", "history0"), "first");
    EXPECT_EQ(Read("Config", "radio"), "3");
    settings.WriteValue("Favorite", longKey.c_str(), "v");
    settings.WriteValue("History", "history1", "second");
    EXPECT_EQ(Read("Favorite", longKey.c_str()), "v");
    EXPECT_EQ(Read("History", "history0"), "first");
    EXPECT_EQ(Read("History", "history1"), "second");
    EXPECT_EQ(Read("Config", "radio"), "3");
    EXPECT_NE(ReadWholeFile(path_).find("huge=" + std::string(1 << 20, 'h') + "\r\n"), std::string::npos);
}

} // namespace

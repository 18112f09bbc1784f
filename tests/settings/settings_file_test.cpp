#include "settings/settings_file.h"

#include "settings/schema.h"
#include "settings/stored_value.h"
#include "win_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = MakeScratchFolder("settings");
        path_ = folder_ + "\\VelmoroMailSearch.ini";
    }
    std::string Read(const char* section, const char* key) {
        return SettingsFile(path_.c_str()).ReadValue(section, key).value_or("<nothing>");
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
        EXPECT_EQ(inMemory.ReadValue("S", "k"), c.readBack) << c.name << ", in memory";
        if (!c.line.empty()) {
            EXPECT_NE(ExistingFileText(path_).find(c.line + "\r\n"), std::string::npos) << c.name;
        }
    }
}

TEST_F(SettingsFileTest, ValuesOfAnyLengthAreReadWhole) {
    // Short and long, up to a file well over 256 KB.
    for (std::string::size_type length : {253u, 254u, 255u, 256u, 600u, 20000u, 60000u, 300000u}) {
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
    ASSERT_TRUE(settings.WriteValue("S", "k", "old"));
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
    ASSERT_TRUE(SettingsFile(path_.c_str()).WriteValue("S", "k", "v"));
    EXPECT_EQ(Read("Other", "k"), "") << "no section";
    EXPECT_EQ(Read("S", "other"), "") << "no key";
    const std::string nowhere = folder_ + "\\missing\\VelmoroMailSearch.ini";
    SettingsFile missingFolder(nowhere.c_str());
    EXPECT_FALSE(missingFolder.WriteValue("S", "k", "v"));
    EXPECT_EQ(missingFolder.ReadValue("S", "k"), "");
}

TEST_F(SettingsFileTest, NullValueDeletesTheKeyOnly) {
    SettingsFile settings(path_.c_str());
    SettingsFile inMemory(nullptr);
    for (SettingsFile* file : {&settings, &inMemory}) {
        ASSERT_TRUE(file->WriteValue("Favorite", "work", "from:alice"));
        ASSERT_TRUE(file->WriteValue("Favorite", "home", "from:bob"));
        EXPECT_TRUE(file->WriteValue("Favorite", "work", nullptr));
        EXPECT_TRUE(file->WriteValue("Favorite", "never", nullptr));
        EXPECT_EQ(file->ReadValue("Favorite", "work"), "") << file->Path();
        EXPECT_EQ(file->ReadValue("Favorite", "home"), "from:bob") << file->Path();
    }
    EXPECT_EQ(ExistingFileText(path_).find("work"), std::string::npos);
}

TEST_F(SettingsFileTest, LineBreaksNeverSplitTheFile) {
    SettingsFile settings(path_.c_str());
    ASSERT_TRUE(settings.WriteValue("History", "history1", "kept"));
    ASSERT_TRUE(settings.WriteValue("History", "history0", "a\r\n[Config]\r\nradio=4\nb\rc"));
    EXPECT_EQ(Read("History", "history0"), "a  [Config]  radio=4 b c");
    EXPECT_EQ(Read("History", "history1"), "kept");
    EXPECT_EQ(Read("Config", "radio"), "");
    EXPECT_FALSE(settings.WriteValue("Favorite", "x\r\n[Config]\r\nradio", "4"));
    EXPECT_EQ(Read("Config", "radio"), "");
    const std::string content = ExistingFileText(path_);
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
    const std::optional<std::string> huge = SettingsFile(path_.c_str()).ReadValue("History", "huge");
    ASSERT_TRUE(huge.has_value());
    EXPECT_LE(huge->size(), std::size_t(1) << 20);
    SettingsFile settings(path_.c_str());
    EXPECT_EQ(Read("History", "history0"), "first");
    EXPECT_EQ(Read("Config", "radio"), "3");
    ASSERT_TRUE(settings.WriteValue("Favorite", longKey.c_str(), "v"));
    ASSERT_TRUE(settings.WriteValue("History", "history1", "second"));
    EXPECT_EQ(Read("Favorite", longKey.c_str()), "v");
    EXPECT_EQ(Read("History", "history0"), "first");
    EXPECT_EQ(Read("History", "history1"), "second");
    EXPECT_EQ(Read("Config", "radio"), "3");
    EXPECT_NE(ExistingFileText(path_).find("huge=" + std::string(1 << 20, 'h') + "\r\n"), std::string::npos);
}

// A listed name and its text are what the platform's reader gives, whether
// its characters come back as they stand or the reader spells them anew.
TEST_F(SettingsFileTest, AListedFavouriteIsAsThePlatformsReaderGivesIt) {
    const struct {
        const char* name;
        std::string key;
    } cases[] = {
        {"ASCII", "work"},
        {"Japanese", "\x8f\x54\x95\xf1"},
        {"half-width katakana", "\xb6\xc5"},
        {"a second byte that is \"\\\"", "\x95\x5c"},
        {"a character of another extension", "\xfa\x4a"},
        {"both", "\x8f\x54\xfa\x4a"},
    };
    for (std::size_t i = 0; i < sizeof cases / sizeof *cases; ++i) {
        SCOPED_TRACE(cases[i].name);
        // A name of its own each time: the platform's reader keeps files it read.
        const std::string path = folder_ + "\\listed" + std::to_string(i) + ".ini";
        WriteWholeFile(path, "[Favorite]\r\n" + cases[i].key + "=subject:" + cases[i].key + "\r\n");
        char keys[256] = {};
        GetPrivateProfileStringA("Favorite", nullptr, "", keys, sizeof keys, path.c_str());
        char value[256] = {};
        GetPrivateProfileStringA("Favorite", keys, "", value, sizeof value, path.c_str());
        SettingsFile settings(path.c_str());
        const std::shared_ptr<const KeyValueList> listed = settings.ListOf("Favorite");
        ASSERT_EQ(listed->Count(), 1u);
        EXPECT_EQ(listed->First(0), std::string(keys));
        EXPECT_EQ(listed->Second(0), std::string(value));
    }
}

// Whatever the file is, a value read alone and the same value listed are
// one, and a save goes through where the platform's writer would.
TEST_F(SettingsFileTest, ReadsListsAndSavesAgreeOnEveryFile) {
    const std::string name = "\x8f\x54\x95\xf1"; // 週報
    const std::string value = "subject:\x8f\x54\x95\xf1";
    const std::string utf8Name = "\xe9\x80\xb1\xe5\xa0\xb1";
    const std::string utf8Value = "subject:" + utf8Name;
    const struct {
        const char* name;
        std::string file;
        bool copyNameTaken; // by a folder: no copy can be made beside the file
    } cases[] = {
        {"ANSI", "[Favorite]\r\n" + name + "=" + value + "\r\n", false},
        {"UTF-8 with a mark", "\xEF\xBB\xBF[Favorite]\r\n" + utf8Name + "=" + utf8Value + "\r\n", false},
        {"over 256 KB", "[History]\r\nfill=" + std::string(300000, 'f') + "\r\n[Favorite]\r\n" + name + "=" + value + "\r\n",
         false},
        {"the copy's name taken", "[Favorite]\r\n" + name + "=" + value + "\r\n", true},
    };
    const std::string copy = folder_ + "\\VelmoroMailSearch.new";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteWholeFile(path_, c.file);
        if (c.copyNameTaken) {
            ASSERT_TRUE(CreateDirectoryA(copy.c_str(), nullptr));
        }
        SettingsFile settings(path_.c_str());
        EXPECT_EQ(settings.ReadValue("Favorite", name.c_str()), value);
        const std::shared_ptr<const KeyValueList> listed = settings.ListOf("Favorite");
        ASSERT_EQ(listed->Count(), 1u);
        EXPECT_EQ(listed->First(0), name);
        EXPECT_EQ(listed->Second(0), value);
        EXPECT_TRUE(settings.WriteValue("Favorite", "new", "from:x"));
        EXPECT_EQ(SettingsFile(path_.c_str()).ReadValue("Favorite", "new"), "from:x");
        EXPECT_EQ(settings.ReadValue("Favorite", name.c_str()), value);
        const std::string after = ExistingFileText(path_);
        EXPECT_EQ(after.substr(0, 3), c.file.substr(0, 3)) << "the mark";
        if (c.copyNameTaken) {
            EXPECT_TRUE(RemoveDirectoryA(copy.c_str()));
        }
    }
}

} // namespace

namespace {

using Changes = std::vector<ProfileChange>;

// Every section of a file as the profile reader sees it: "[name]" lines,
// then its "key=value" lines.
std::string AsTheReaderSeesIt(const std::string& path) {
    std::string seen;
    char names[8192] = {};
    GetPrivateProfileSectionNamesA(names, sizeof names, path.c_str());
    for (const char* name = names; *name; name += std::strlen(name) + 1) {
        char lines[65536] = {};
        GetPrivateProfileSectionA(name, lines, sizeof lines, path.c_str());
        seen += std::string("[") + name + "]\n";
        for (const char* line = lines; *line; line += std::strlen(line) + 1)
            seen += std::string(line) + "\n";
    }
    return seen;
}

// A save makes the bytes the profile functions make, one write a change, on
// every file they write themselves. A hand-edited file keeps the lines they
// would drop (blank lines, spaces around "="), and reads the same.
TEST_F(SettingsFileTest, ASaveWritesWhatTheProfileFunctionsWrite) {
    struct Case {
        const char* name;
        std::optional<std::string> before; // nothing: no file
        Changes changes;
        std::string handEdited; // what the save leaves where it differs from the profile functions
    };
    std::string history;
    for (int i = 0; i <= 25; ++i)
        history += "history" + std::to_string(i) + "=old" + std::to_string(i) + "\r\n";
    Changes nineteen;
    for (int i = 0; i < 19; ++i)
        nineteen.push_back({"History", "history" + std::to_string(i), "new" + std::to_string(i)});
    const std::string configAndHistory = "[Config]\r\nradio=1\r\ncheck=FALSE\r\n[History]\r\nhistory0=a\r\n";
    const Case cases[] = {
        {"new file", std::nullopt,
         {{"Config", "radio", "2"}, {"Config", "check", "TRUE"}, {"History", "history0", "a"}}, ""},
        {"empty file", "", {{"A", "k", "v"}}, ""},
        {"new section", configAndHistory, {{"Favorite", "work", "from:alice"}}, ""},
        {"changed keys", configAndHistory, {{"Config", "radio", "3"}, {"History", "history0", "b"}}, ""},
        {"deleted key", configAndHistory + "[Favorite]\r\nwork=x\r\nhome=y\r\n", {{"Favorite", "work", std::nullopt}}, ""},
        {"key deleted that is not there", configAndHistory, {{"Favorite", "work", std::nullopt}}, ""},
        {"set, then deleted", configAndHistory, {{"Favorite", "w", "x"}, {"Favorite", "w", std::nullopt}}, ""},
        {"quoted values", configAndHistory,
         {{"History", "history0", "\"\"a b\"\""}, {"History", "history1", "\" x\""}, {"History", "history2", "\""}}, ""},
        {"keys past history19", "[History]\r\n" + history, nineteen, ""},
        {"names in another case", "[config]\r\nRadio=1\r\n", {{"Config", "radio", "4"}, {"CONFIG", "Check", "TRUE"}}, ""},
        {"Shift_JIS names", "[Favorite]\r\n\x83\x41=kana\r\n",
         {{"Favorite", "\x83\x61", "x"}, {"Favorite", "\x83\x41", "y"}, {"Favorite", "\x8c\x9f\x8d\xf5", "z"}}, ""},
        {"no line end at the end", "[A]\r\nk=v", {{"A", "j", "w"}, {"B", "k", "v"}}, ""},
        {"a second section of the same name", "[A]\r\nk=1\r\n[A]\r\nj=1\r\n", {{"A", "j", "2"}}, ""},
        {"hand-edited", "; mine\r\n\r\n[Config]\r\n  radio = 3  \r\n;note\r\n\r\n[History]\nhistory0=x\n\n",
         {{"Config", "radio", "2"}, {"Config", "check", "TRUE"}, {"History", "history1", "y"}},
         "; mine\r\n\r\n[Config]\r\nradio=2\r\n;note\r\ncheck=TRUE\r\n\r\n[History]\nhistory0=x\nhistory1=y\r\n\n"},
    };
    const std::string theirs = folder_ + "\\theirs.ini";
    for (const Case& c : cases) {
        DeleteFileA(theirs.c_str());
        DeleteFileA(path_.c_str());
        if (c.before) {
            WriteWholeFile(theirs, *c.before);
            WriteWholeFile(path_, *c.before);
        }
        for (const ProfileChange& change : c.changes) {
            ASSERT_TRUE(WritePrivateProfileStringA(change.section.c_str(), change.key.c_str(),
                                                   change.value ? change.value->c_str() : nullptr, theirs.c_str()))
                << c.name;
        }
        // The values above are as they stand in the file: the save quotes
        // none of them again.
        Changes meant = c.changes;
        for (ProfileChange& change : meant) {
            if (change.value && change.value->size() >= 2 && change.value->front() == '"' && change.value->back() == '"')
                change.value = change.value->substr(1, change.value->size() - 2);
        }
        ASSERT_TRUE(SettingsFile(path_.c_str()).Save(meant)) << c.name;
        const std::optional<std::string> expected =
            c.handEdited.empty() ? ReadWholeFile(theirs) : std::optional<std::string>(c.handEdited);
        EXPECT_EQ(ReadWholeFile(path_), expected) << c.name;
        EXPECT_EQ(AsTheReaderSeesIt(path_), AsTheReaderSeesIt(theirs)) << c.name;
    }
}

} // namespace

namespace {

// Starts the save child (settings_save_child.cpp) with these arguments.
HANDLE StartSaveChild(const std::string& arguments) {
    const std::string program = ProgramFolder() + "\\settings_save_child.exe";
    std::string commandLine = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

// Its exit status once it has ended; -1 when it did not start or end in time.
DWORD EndOf(HANDLE child) {
    DWORD status = static_cast<DWORD>(-1);
    if (child && WaitForSingleObject(child, 120000) == WAIT_OBJECT_0)
        GetExitCodeProcess(child, &status);
    if (child)
        CloseHandle(child);
    return status;
}

std::string Numbered(const char* stem, int from, int count, const char* valueStem) {
    std::string lines;
    for (int i = from; i < from + count; ++i)
        lines += stem + std::to_string(i) + "=" + valueStem + std::to_string(i) + "\r\n";
    return lines;
}

// A process killed at any step of a save leaves the complete old file or the
// complete new one; the next process loads every favourite and the history,
// and its own save writes over whatever copy was left.
TEST_F(SettingsFileTest, ASaveInterruptedAtAnyStepLeavesTheOldFileOrTheNew) {
    const std::string before = "[Config]\r\nradio=1\r\ncheck=FALSE\r\n[History]\r\n" +
                               Numbered("history", 0, 20, "old") + "[Favorite]\r\n" +
                               Numbered("fav", 0, 2000, "from:person");
    WriteWholeFile(path_, before);
    ASSERT_EQ(EndOf(StartSaveChild("crash \"" + path_ + "\" 0")), 0u);
    const std::optional<std::string> after = ReadWholeFile(path_);
    ASSERT_TRUE(after && *after != before);
    const SaveStep steps[] = {SaveStep::Locked, SaveStep::TemporaryCreated, SaveStep::TemporaryWritten,
                              SaveStep::TemporaryFlushed, SaveStep::Swapped};
    for (const SaveStep step : steps) {
        const int number = static_cast<int>(step) + 1;
        WriteWholeFile(path_, before);
        EXPECT_EQ(EndOf(StartSaveChild("crash \"" + path_ + "\" " + std::to_string(number))), 9u) << number;
        EXPECT_EQ(ReadWholeFile(path_), step == SaveStep::Swapped ? *after : before) << number;

        SettingsFile next(path_.c_str());
        EXPECT_EQ(next.KeysWithValues("Favorite").size(), 2000u) << number;
        const SavedState loaded = LoadSavedState(next);
        EXPECT_EQ(loaded.history.size(), 20u) << number;
        EXPECT_EQ(std::set<std::string>(loaded.history.begin(), loaded.history.end()).size(), 20u) << number;
        EXPECT_TRUE(next.WriteValue("Favorite", "later", "x")) << number;
        EXPECT_EQ(next.KeysWithValues("Favorite").size(), 2001u) << number;
        EXPECT_EQ(ReadWholeFile(TemporaryPath(path_)), std::nullopt) << number;
    }
}

// Two mail client windows storing favourites and confirming searches at
// the same moments: each save reads the file afresh in its turn.
TEST_F(SettingsFileTest, TwoProcessesSavingAtOnceLoseNoFavourite) {
    const int rounds = 40;
    const HANDLE first = StartSaveChild("rounds \"" + path_ + "\" a " + std::to_string(rounds));
    const HANDLE second = StartSaveChild("rounds \"" + path_ + "\" b " + std::to_string(rounds));
    EXPECT_EQ(EndOf(first), 0u);
    EXPECT_EQ(EndOf(second), 0u);
    SettingsFile settings(path_.c_str());
    for (const char* name : {"a", "b"}) {
        for (int round = 0; round < rounds; ++round) {
            const std::string favourite = std::string(name) + "_" + std::to_string(round);
            EXPECT_EQ(settings.ReadValue("Favorite", favourite.c_str()), "from:" + favourite);
        }
    }
    EXPECT_EQ(settings.KeysWithValues("Favorite").size(), 2u * rounds);
    const SavedState loaded = LoadSavedState(settings);
    EXPECT_EQ(std::set<std::string>(loaded.history.begin(), loaded.history.end()).size(), 20u);
}

} // namespace

namespace {

// A change that asks first tells what its key held, and leaves another
// value in place; in a file, with the reader's reading of names and values,
// and in memory alike.
TEST_F(SettingsFileTest, AChangeThatAsksFirstKeepsAnotherValue) {
    struct Case {
        const char* name;
        std::string file;
        std::optional<std::string> value; // none: delete
        std::optional<std::string> previous;
        bool kept;
        std::string readAfter;
    };
    const Case cases[] = {
        {"absent", "[Favorite]\r\nother=x\r\n", "from:a", std::nullopt, false, "from:a"},
        {"the same, quoted in the file", "[Favorite]\r\nK = \"from:a\"\r\n", "from:a", "from:a", false, "from:a"},
        {"another, in another case", "[FAVORITE]\r\nK=from:b\r\n", "from:a", "from:b", true, "from:b"},
        {"empty", "[Favorite]\r\nk=\r\n", "from:a", "", false, "from:a"},
        {"a line without a value first", "[Favorite]\r\nk\r\nk=from:b\r\n", "from:a", "", false, "from:a"},
        {"deleted", "[Favorite]\r\nk=from:b\r\n", std::nullopt, "from:b", false, ""},
        {"nothing to delete", "[Favorite]\r\nother=x\r\n", std::nullopt, std::nullopt, false, ""},
        {"UTF-8", "\xEF\xBB\xBF[Favorite]\r\nk=\xE8\xA1\xA8\r\n", "from:a", "\x95\x5c", true, "\x95\x5c"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool inMemory : {false, true}) {
            WriteWholeFile(path_, c.file);
            SettingsFile settings(inMemory ? nullptr : path_.c_str());
            if (inMemory && c.previous && c.previous->empty())
                continue; // in memory, no key holds an empty value
            if (inMemory && c.previous) { // in memory: what the file would hold, made by a save
                ASSERT_TRUE(settings.Save({{"Favorite", "k", *c.previous}}));
            }
            const SaveResult saved = settings.Save({{"Config", "radio", std::string("2")}, {"Favorite", "k", c.value}}, 1);
            ASSERT_TRUE(saved);
            EXPECT_EQ(saved.previous, c.previous) << inMemory;
            EXPECT_EQ(saved.keptPrevious, c.kept) << inMemory;
            EXPECT_EQ(settings.ReadValue("Favorite", "k"), c.readAfter) << inMemory;
            EXPECT_EQ(settings.ReadValue("Config", "radio"), "2") << inMemory;
        }
    }
}

} // namespace

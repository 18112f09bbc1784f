// The save against the platform's own writer: many generated settings files,
// each changed once by a save and once by WritePrivateProfileStringA, must
// read the same through the platform's reader; and the values the settings
// file keeps at hand (from the save's text, and read afresh) must be what
// GetPrivateProfileStringA gives. The files are what hand
// editing and other editors leave: names that differ only in case,
// double-byte characters whose second byte is "\", "[", "]" or "=", comments,
// blank lines, lines without "=", spaces around "=", sections and keys twice,
// CR LF, LF and lone CR line ends, no line end at the end, and the encodings
// the reader knows by their marks.
//
// VELMORO_PROFILE_CASES (default 300) and VELMORO_PROFILE_SEED (default 1)
// run it longer or elsewhere; a failure names its case, seed and file.
#include "settings/settings_file.h"
#include "settings/stored_value.h"
#include "win_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kSectionNames = {
    "Config", "config", "CONFIG", "History", "Favorite", "FAVORITE", "S", "s",
    "\x83\x5d",     // ゾ: its second byte is "]"
    "\x95\x5c",     // 表: "\"
    "\x81\x5b",     // ー: "["
    "a]b",
};
const std::vector<std::string> kKeyNames = {
    "radio", "Radio", "RADIO", "check", "history0", "History0", "k", "K", "x y",
    "\x83\x5d", "\x95\x5c", "\x81\x5b",
    "\x87\x54", // Ⅰ, and the same character from another extension:
    "\xfa\x4a",
};
// Only in files: names no save writes.
const std::vector<std::string> kFileOnlyNames = {"\x83=", ";c", "#x", "[x"};
const std::vector<std::string> kValues = {"1", "2", "TRUE", "", "a b", "\"q\"", " lead", "\x83\x5d", "\x95\x5c\\",
                                          "v=w", "[x]", ";c", "'s'"};
const std::vector<std::string> kPads = {"", "", " ", "\t", "  "};
const std::vector<std::string> kLineEnds = {"\r\n", "\r\n", "\n", "\r", "\r\n\r\n", "\n\r", "\r\r\n"};

class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed) {}

    const std::string& Pick(const std::vector<std::string>& pool) {
        return pool[std::uniform_int_distribution<std::size_t>(0, pool.size() - 1)(random_)];
    }
    bool Chance(int percent) { return std::uniform_int_distribution<int>(1, 100)(random_) <= percent; }

    // A file's text in the ANSI code page.
    std::string File() {
        std::string text;
        const int lines = std::uniform_int_distribution<int>(0, 14)(random_);
        for (int i = 0; i < lines; ++i) {
            text += Line();
            if (i + 1 < lines || Chance(80))
                text += Pick(kLineEnds);
        }
        return text;
    }

    std::vector<ProfileChange> Changes() {
        std::vector<ProfileChange> changes;
        const int count = std::uniform_int_distribution<int>(1, 6)(random_);
        for (int i = 0; i < count; ++i) {
            changes.push_back({Pick(kSectionNames), Pick(kKeyNames),
                               Chance(30) ? std::nullopt : std::optional<std::string>(Pick(kValues))});
        }
        return changes;
    }

private:
    std::string Name() { return Chance(15) ? Pick(kFileOnlyNames) : Pick(kKeyNames); }

    std::string Line() {
        switch (std::uniform_int_distribution<int>(0, 11)(random_)) {
        case 0:
        case 1:
        case 2: {
            std::string header = Pick(kPads) + "[" + Pick(kPads) + Pick(kSectionNames) + Pick(kPads) + "]";
            return Chance(20) ? header + " ;" + Pick(kSectionNames) : header;
        }
        case 3:
            return "";
        case 4:
            return Pick(kPads);
        case 5:
            return ";" + Pick(kValues);
        case 6:
            return Pick(kPads) + Name();
        case 7:
            return "=" + Pick(kValues);
        case 8:
            // A lead byte before the line end, or before the "]": the reader
            // takes the next byte with it.
            return Chance(50) ? Name() + "=\x83" : "[T\x83]";
        default:
            return Pick(kPads) + Name() + Pick(kPads) + "=" + Pick(kPads) + Pick(kValues) + Pick(kPads);
        }
    }

    std::mt19937 random_;
};

// The ANSI text in an encoding, with its mark.
std::string Encoded(const std::string& ansi, ProfileEncoding encoding) {
    const std::wstring wide = Wide(ansi);
    std::string bytes;
    switch (encoding) {
    case ProfileEncoding::Ansi:
        return ansi;
    case ProfileEncoding::Utf8: {
        bytes.resize(wide.size() * 3);
        bytes.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                                                  &bytes[0], static_cast<int>(bytes.size()), nullptr,
                                                                  nullptr)));
        return "\xEF\xBB\xBF" + bytes;
    }
    case ProfileEncoding::Utf16Le:
    case ProfileEncoding::Utf16Be: {
        const bool little = encoding == ProfileEncoding::Utf16Le;
        bytes = little ? "\xFF\xFE" : "\xFE\xFF";
        for (const wchar_t unit : wide) {
            bytes += static_cast<char>(little ? unit & 0xFF : unit >> 8);
            bytes += static_cast<char>(little ? unit >> 8 : unit & 0xFF);
        }
        return bytes;
    }
    }
    return ansi;
}

// What the reader sees: every section listed, with its lines, and the value
// of each key a change named.
std::string AsTheReaderSeesIt(const std::string& path, const std::vector<ProfileChange>& changes) {
    std::string seen;
    std::vector<char> names(1 << 16);
    GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()), path.c_str());
    std::vector<char> lines(1 << 16);
    for (const char* name = names.data(); *name; name += std::strlen(name) + 1) {
        std::fill(lines.begin(), lines.end(), '\0');
        GetPrivateProfileSectionA(name, lines.data(), static_cast<DWORD>(lines.size()), path.c_str());
        seen += std::string("[") + name + "]\n";
        for (const char* line = lines.data(); *line; line += std::strlen(line) + 1)
            seen += std::string("  ") + line + "\n";
    }
    for (const ProfileChange& change : changes) {
        char value[256] = {};
        GetPrivateProfileStringA(change.section.c_str(), change.key.c_str(), "<none>", value, sizeof value, path.c_str());
        seen += change.section + "/" + change.key + ": " + value + "\n";
    }
    return seen;
}

// The values of `keys` as the platform's reader gives them.
std::string ValuesOf(const std::string& path, const std::vector<ProfileKey>& keys) {
    std::string values;
    for (const ProfileKey& key : keys) {
        char value[256] = {};
        GetPrivateProfileStringA(key.section.c_str(), key.key.c_str(), "", value, sizeof value, path.c_str());
        values += key.section + "/" + key.key + ": " + value + "\n";
    }
    return values;
}

// The same kept at hand by a settings file.
std::string ValuesAtHand(const SettingsFile& settings, const std::vector<ProfileKey>& keys) {
    std::string values;
    for (std::size_t i = 0; i < keys.size(); ++i)
        values += keys[i].section + "/" + keys[i].key + ": " + settings.AtHand(i) + "\n";
    return values;
}

// Where a settings file's list of a section's keys (the favourites, say)
// differs from the platform's reader: each key listed reads as listed, each
// key of the reader's own list with a value is listed (ASCII names, in
// either case), and none twice.
std::string ListingDifferences(SettingsFile& settings, const std::string& path, const char* section) {
    std::string differences;
    const std::vector<std::pair<std::string, std::string>> listed = settings.ValuesOf(section);
    const auto read = [&](const std::string& key) {
        char value[256] = {};
        GetPrivateProfileStringA(section, key.c_str(), "", value, sizeof value, path.c_str());
        return std::string(value);
    };
    const auto isListed = [&](const std::string& key) {
        return std::count_if(listed.begin(), listed.end(),
                             [&](const auto& entry) { return _stricmp(entry.first.c_str(), key.c_str()) == 0; });
    };
    for (const auto& [key, value] : listed) {
        if (read(key) != value || value.empty())
            differences += "listed " + key + "=" + value + ", read as " + read(key) + "\n";
        if (isListed(key) > 1)
            differences += "listed twice: " + key + "\n";
    }
    std::vector<char> keys(1 << 16);
    GetPrivateProfileStringA(section, nullptr, "", keys.data(), static_cast<DWORD>(keys.size()), path.c_str());
    for (const char* key = keys.data(); *key; key += std::strlen(key) + 1) {
        const bool ascii = std::all_of(key, key + std::strlen(key), [](char c) { return c > 0 && c < 0x7F; });
        if (ascii && !read(key).empty() && !isListed(key))
            differences += std::string("not listed: ") + key + "\n";
    }
    return differences;
}

std::string Escaped(const std::string& bytes) {
    std::string shown;
    for (const char byte : bytes) {
        const unsigned char b = static_cast<unsigned char>(byte);
        if (b >= 0x20 && b < 0x7F && b != '\\') {
            shown += byte;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", b);
            shown += hex;
        }
    }
    return shown;
}

std::string Described(const std::vector<ProfileChange>& changes) {
    std::string described;
    for (const ProfileChange& change : changes)
        described += "  [" + Escaped(change.section) + "] " + Escaped(change.key) + " = " +
                     (change.value ? "'" + Escaped(*change.value) + "'" : "(deleted)") + "\n";
    return described;
}

unsigned EnvironmentNumber(const char* name, unsigned otherwise) {
    const char* value = std::getenv(name);
    return value && *value ? static_cast<unsigned>(std::strtoul(value, nullptr, 10)) : otherwise;
}

TEST(ProfileDifferentialTest, ASaveReadsAsThePlatformsOwnWriterLeavesIt) {
    const unsigned cases = EnvironmentNumber("VELMORO_PROFILE_CASES", 300);
    const unsigned seed = EnvironmentNumber("VELMORO_PROFILE_SEED", 1);
    const std::string folder = MakeScratchFolder("differential");
    const ProfileEncoding encodings[] = {ProfileEncoding::Ansi, ProfileEncoding::Ansi, ProfileEncoding::Ansi,
                                         ProfileEncoding::Ansi, ProfileEncoding::Utf8, ProfileEncoding::Utf16Le,
                                         ProfileEncoding::Utf16Be};
    Generator generate(seed);
    int failures = 0;
    for (unsigned i = 0; i < cases && failures < 5; ++i) {
        const ProfileEncoding encoding = encodings[i % (sizeof encodings / sizeof *encodings)];
        const std::string before = Encoded(generate.File(), encoding);
        const std::vector<ProfileChange> changes = generate.Changes();
        std::vector<ProfileKey> wanted;
        for (const ProfileChange& change : changes)
            wanted.push_back({change.section, change.key});
        // Every key name of a few sections, so that lines the file holds
        // (not only the ones a save wrote) are looked up.
        for (const char* section : {"Config", "S", "\x83\x5d"}) {
            for (const std::string& key : kKeyNames)
                wanted.push_back({section, key});
        }
        // New names each time: the reader keeps files it has read in a cache.
        const std::string ours = folder + "\\o" + std::to_string(i) + ".ini";
        const std::string theirs = folder + "\\t" + std::to_string(i) + ".ini";
        WriteWholeFile(ours, before);
        WriteWholeFile(theirs, before);
        SettingsFile saver(ours.c_str());
        saver.KeepAtHand(wanted);
        const SaveResult saved = saver.Save(changes);
        for (const ProfileChange& change : changes) {
            const std::string stored = change.value ? ValueAsStored(change.value->c_str()) : "";
            WritePrivateProfileStringA(change.section.c_str(), change.key.c_str(), change.value ? stored.c_str() : nullptr,
                                       theirs.c_str());
        }
        const std::string seenOurs = AsTheReaderSeesIt(ours, changes);
        const std::string seenTheirs = AsTheReaderSeesIt(theirs, changes);
        SettingsFile reader(ours.c_str());
        reader.KeepAtHand(wanted);
        reader.Refresh();
        const std::string values = ValuesOf(ours, wanted);
        const std::string fromSave = ValuesAtHand(saver, wanted);
        const std::string fromRead = ValuesAtHand(reader, wanted);
        std::string listing;
        for (const char* section : {"Config", "S", "\x83\x5d"})
            listing += ListingDifferences(reader, ours, section);
        if (!saved || seenOurs != seenTheirs || fromSave != values || fromRead != values || !listing.empty()) {
            ++failures;
            ADD_FAILURE() << "case " << i << " of seed " << seed << ", file \"" << Escaped(before) << "\"\n"
                          << "changes:\n" << Described(changes) << "the save: " << (saved ? "made" : "failed")
                          << "\nthe save leaves:\n" << Escaped(ReadWholeFile(ours).value_or("(no file)"))
                          << "\n\nours read as:\n" << seenOurs << "\ntheirs read as:\n" << seenTheirs
                          << "\nthe reader's values:\n" << Escaped(values) << "\nat hand after the save:\n"
                          << Escaped(fromSave) << "\nat hand, read:\n" << Escaped(fromRead)
                          << "\nthe sections as listed:\n" << Escaped(listing);
        }
        DeleteFileA(ours.c_str());
        DeleteFileA(theirs.c_str());
    }
}

} // namespace

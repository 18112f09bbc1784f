// A section listed (the favourites) is read line by line in one tight pass
// of bytes; it must read every line as the reader's general rules do.
#include "settings/profile_lines.h"
#include "settings/profile_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Listed = std::vector<std::pair<std::string, std::string>>;

bool SameAscii(std::string_view a, std::string_view b, ProfileEncoding) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return profile_lines::AsciiLower(static_cast<unsigned char>(x)) ==
                      profile_lines::AsciiLower(static_cast<unsigned char>(y));
           });
}

// Every line after the file's one header, shaped by the general rules.
Listed AsShaped(std::string_view file, ProfileEncoding encoding) {
    using namespace profile_lines;
    Listed listed;
    std::size_t at = MarkLength(encoding);
    at += LineAt(file, at, encoding).size();
    while (at < file.size()) {
        const std::string_view line = LineAt(file, at, encoding);
        const LineShape shape = ShapeOf(line, encoding);
        if (!shape.blank)
            listed.emplace_back(shape.name, shape.hasValue ? Unquoted(shape.value, encoding) : std::string_view());
        at += line.size();
    }
    return listed;
}

TEST(ProfileText, AListedSectionReadsEveryLineAsTheReaderDoes) {
    const std::string lines[] = {
        "name=value",
        "  name  =  value  ",
        "\tname\x1a=\x0b value \x0c",
        "=value",
        "name",
        "name=",
        "a=b=c",
        "quoted=\"q r\"",
        "single='s'",
        "\x83=x",                 // in ANSI the lead byte takes the "="
        "\x95\x5c=\x95\x5c",      // a second byte that is "\"
        "\x82\xa0 =\x82\xa0 ",
        "x=\x82",                 // a lead byte that takes the CR after it
        "   ",
        "\x81\x40name=v",         // a full-width space is no white space to the reader
        ";comment=1",
        "name\xa0=v",
        "\xe9\x80\xb1=\xe5\xa0\xb1", // UTF-8 characters
    };
    for (const ProfileEncoding encoding : {ProfileEncoding::Ansi, ProfileEncoding::Utf8}) {
        for (const std::string& line : lines) {
            const std::string file = std::string(encoding == ProfileEncoding::Utf8 ? profile_lines::kUtf8Mark : "") +
                                     "[S]\r\n" + line + "\r\nnext=1\r\n";
            Listed listed;
            for (const ProfileLine& found : ListProfileSection(file, encoding, "S", SameAscii))
                listed.emplace_back(found.name, found.value);
            EXPECT_EQ(listed, AsShaped(file, encoding))
                << (encoding == ProfileEncoding::Ansi ? "ANSI" : "UTF-8") << " [" << line << "]";
        }
    }
}

} // namespace

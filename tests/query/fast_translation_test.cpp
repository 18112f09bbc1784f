// The plug-in's translation against the literal one on queries that take the
// unusual roads: terms cut from the middle, prefixes inside prefixes, phrases
// that never close, trims that meet line breaks at a cut.
#include "query/translate.h"
#include "reference/literal_terms.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_words;

const char* RecordWord(const char* word) {
    g_words.push_back(word);
    return word;
}

TEST(FastTranslation, AgreesWithTheLiteralOneOnTheUnusualRoads) {
    const std::string queries[] = {
        "to: a from+to:b",
        "to: from+to:a from+to:b to:",
        "\"\" smallheaderbody:\"a b\"",
        "\"\" smallheaderbody:\"a b\" c",
        "  smallheaderbody:x",
        "  foo",
        "\n  foo  \n  bar  ",
        " \f bar \r\n baz \r",
        "subject: x\n  subject:y",
        "a \r\n subject: \r\n b",
        "subject:a subject:\"b c",
        "from+to:\"abc to:x",
        "to: from+to:\"abc to:x",
        "subject: subject:\"a b subject:x\"",
        "subject:x subject:\"unclosed subject:y subject:z",
        "attach:x attach:* attach:*",
        "attach: attach:*x",
        "flag:a\nb c flag:",
        "smallheaderbody: smallheaderbody:",
        "smallheaderbody:",
        "body: smallheaderbody:",
        "\"a\\\" b\" \"c",
        "\"\\",
        "\"a\\",
        "x subject:\"a\\\" subject:\"b\"",
        "memo:\"\" memo:\"x\" memo:y",
        "all:a all:\"\\\\\" all:",
        "header:x\r\n\r\n  header:y   \f",
        "subject:\"a \"b\" c\"",
        "subject:a  \n  subject:\"b\"  \n",
        "\x95\x5c\" subject:\"\x95\x5c\" \"",
    };
    for (const std::string& query : queries) {
        for (int scope : {1001, 1002}) {
            g_words.clear();
            const std::string literal = ReferenceTranslateQuery(query, scope, RecordWord);
            const std::vector<std::string> literalWords = g_words;
            g_words.clear();
            EXPECT_EQ(TranslateQuery(query, scope, RecordWord), literal) << "query: [" << query << "]";
            EXPECT_EQ(g_words, literalWords) << "query: [" << query << "]";
        }
    }
}

} // namespace

#include "query/translate.h"

#include "query/language.h"
#include "stand_in_encoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Makes every encoded word visible in the expression as E(word), and records
// the words in the order they were asked for.
std::vector<std::string> g_encodedWords;

const char* MarkWord(const char* word) {
    static std::string marked;
    g_encodedWords.push_back(word);
    marked = std::string("E(") + word + ")";
    return marked.c_str();
}

const char* NoText(const char*) { return nullptr; }

struct TranslateCase {
    std::string query;
    int scope;
    std::string expression;
    Separators separators = Separators::Space;
};

const Separators kFullWidthToo = Separators::SpaceAndFullWidthSpace;

TEST(TranslateQuery, RendersEveryTermKind) {
    const TranslateCase cases[] = {
        {"foo", 1001, "(\"E(foo)\",target=smallheaderbody),subfolder=0,hilight=1"},
        {"\"a b\"", 1001, "(\"a b\",regular,target=smallheaderbody),subfolder=0,hilight=1"},
        {"subject:\"a b\" from:bob", 1002,
         "(\"a b\",regular,target=subject)and(\"E(bob)\",target=from),subfolder=1,hilight=1"},
        {"from+to:alice \"a b\"", 1001,
         "(\"E(alice)\",target=from+to)and(\"a b\",regular,target=smallheaderbody),subfolder=0,hilight=1"},
        {"subject:a subject:\"b c\"", 1001,
         "(\"b c\",regular,target=subject)and(\"E(a)\",target=subject),subfolder=0,hilight=1"},
        {"attach:\"a b\"", 1001, "(\"a b\",regular,target=\"X-Attach\"),subfolder=0,hilight=1"},
        {"attach:report flag:unread attach:*", 1001,
         "(\"E(report)\",target=\"X-Attach\"),flag=attach&unread,subfolder=0,hilight=1"},
        {"flag:unread", 1001, "flag=unread,subfolder=0,hilight=1"},
        {"flag:unread foo flag:new", 1001,
         "(\"E(foo)\",target=smallheaderbody),flag=unread&new,subfolder=0,hilight=1"},
        {"flag:", 1001, "flag=,subfolder=0,hilight=1"},
        {"subject:", 1001, "(\"E(subject:)\",target=smallheaderbody),subfolder=0,hilight=1"},
        {"subject: x subject:y", 1001,
         "(\"E(y)\",target=subject)and(\"E(subject:)\",target=smallheaderbody)and"
         "(\"E(x)\",target=smallheaderbody),subfolder=0,hilight=1"},
        {"  foo", 1001,
         "(\"E(smallheaderbody:)\",target=smallheaderbody)and(\"E(foo)\",target=smallheaderbody),"
         "subfolder=0,hilight=1"},
        {"", 1004, ",subfolder=0,hilight=1"},
        {"", 1002, ",subfolder=1,hilight=1"},
        {"", 1003, ",subfolder=0,hilight=1"},
        {"", 0, ",subfolder=0,hilight=1"},
        {"foo   ", 1001, "(\"E(foo)\",target=smallheaderbody),subfolder=0,hilight=1"},
        {"body:x header:y smallheader:z all:w memo:v to:u from:t", 1001,
         "(\"E(x)\",target=body)and(\"E(y)\",target=header)and(\"E(z)\",target=smallheader)and"
         "(\"E(w)\",target=all)and(\"E(v)\",target=memo)and(\"E(u)\",target=to)and"
         "(\"E(t)\",target=from),subfolder=0,hilight=1"},
        {"attach:* attach:*", 1001, "flag=attach&attach,subfolder=0,hilight=1"},
        {"-foo (a|b)", 1001,
         "(\"E(-foo)\",target=smallheaderbody)and(\"E((a|b))\",target=smallheaderbody),subfolder=0,hilight=1"},
        // Shift_JIS: a 0x5C trail byte escapes whatever follows it, so a phrase
        // ending in such a character is a word with its quotes.
        {"\x8c\x9f\x8d\xf5 \"\x8e\xa6\x95\x5c\"", 1001,
         "(\"E(\x8c\x9f\x8d\xf5)\",target=smallheaderbody)and(\"E(\"\x8e\xa6\x95\x5c\")\",target=smallheaderbody),"
         "subfolder=0,hilight=1"},
        {"\"\x95\x5c\x8e\xa6\"", 1001,
         "(\"\x95\x5c\x8e\xa6\",regular,target=smallheaderbody),subfolder=0,hilight=1"},
        // 会議　資料: one word, unless the full-width space separates.
        {"\x89\xef\x8b\x63\x81\x40\x8e\x91\x97\xbf", 1001,
         "(\"E(\x89\xef\x8b\x63\x81\x40\x8e\x91\x97\xbf)\",target=smallheaderbody),subfolder=0,hilight=1"},
        {"\x89\xef\x8b\x63\x81\x40\x8e\x91\x97\xbf", 1001,
         "(\"E(\x89\xef\x8b\x63)\",target=smallheaderbody)and(\"E(\x8e\x91\x97\xbf)\",target=smallheaderbody),"
         "subfolder=0,hilight=1",
         kFullWidthToo},
        // Untrimmed, exactly as with a space in front.
        {"\x81\x40subject:\x81\x40x\x81\x40\x81\x40\"a\x81\x40" "b\"\x81\x40", 1001,
         "(\"E(smallheaderbody:)\",target=smallheaderbody)and(\"E(subject:)\",target=smallheaderbody)and(\"E(x)\",target=smallheaderbody)and"
         "(\"a\x81\x40" "b\",regular,target=smallheaderbody),subfolder=0,hilight=1",
         kFullWidthToo},
        // 梶@: the 0x81 0x40 inside is no full-width space.
        {"\x8a\x81\x40 flag:x\x81\x40y", 1001,
         "(\"E(\x8a\x81\x40)\",target=smallheaderbody)and(\"E(y)\",target=smallheaderbody),flag=x,subfolder=0,hilight=1",
         kFullWidthToo},
    };
    for (const TranslateCase& c : cases) {
        EXPECT_EQ(TranslateQuery(c.query, c.scope, MarkWord, c.separators), c.expression)
            << "query: [" << c.query << "]";
    }
}

TEST(TranslateQuery, EncodesEveryWordOnceInOrderAndNoPhrase) {
    g_encodedWords.clear();
    TranslateQuery("subject:\"p q\" a from:b \"c d\" flag:x attach:e", 1001, MarkWord);
    const std::vector<std::string> expected = {"a", "b", "e"};
    EXPECT_EQ(g_encodedWords, expected);
}

TEST(TranslateQuery, FallsBackToEscapingWhenTheEncoderGivesNoText) {
    const std::string expected = "(\"a\\\"b\",target=subject)and(\"c\",target=smallheaderbody),subfolder=0,hilight=1";
    EXPECT_EQ(TranslateQuery("subject:a\"b c", 1001, NoText), expected);
    EXPECT_EQ(TranslateQuery("subject:a\"b c", 1001, nullptr), expected);
}

TEST(StandInEncoder, EscapesQuotesAndBackslashesButNotTrailBytes) {
    const std::pair<std::string, std::string> cases[] = {
        {"abc", "abc"},
        {"a\"b", "a\\\"b"},
        {"a\\b", "a\\\\b"},
        {"\"\"", "\\\"\\\""},
        {"\x95\x5c", "\x95\x5c"},          // a double-byte character ending in 0x5C
        {"\x95\x5c\\", "\x95\x5c\\\\"},
        {"\xe0\x22", "\xe0\\\x22"},          // a quote is no trail byte: escaped
        {"\x81\\", "\x81\\"},
        {"\xa0\\", "\xa0\\\\"},            // half-width kana is a single byte
        {"\x95", "\x95"},                  // a lead byte at the end stands alone
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StandInEncode(c.first.c_str()), c.second) << c.first;
}

} // namespace

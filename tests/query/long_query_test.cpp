// Queries far longer than anyone types: pasted text, or a favourite edited by
// hand. They must translate to the defined result, without an exception.
#include "query/translate.h"

#include "allocation_limit.h"
#include "stand_in_encoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace {

const std::string::size_type kMiB = 1024 * 1024;
const std::string kTail = ",subfolder=0,hilight=1";
// About a mebibyte of words.
const std::string::size_type kLongRunWords = 270000;

struct LongCase {
    const char* name;
    std::string query;
    std::string expression;
};

std::string Repeat(const std::string& unit, std::string::size_type totalBytes) {
    std::string text;
    text.reserve(totalBytes + unit.size());
    while (text.size() < totalBytes)
        text += unit;
    return text;
}

TEST(LongQuery, OneMebibyteTermsTranslateInFull) {
    const std::string letters(kMiB, 'a');
    const std::string evenBackslashes(kMiB, '\\');
    const std::string oddBackslashes(kMiB + 1, '\\');
    const LongCase cases[] = {
        {"phrase", "subject:\"" + letters + "\"", "(\"" + letters + "\",regular,target=subject)" + kTail},
        {"escaped phrase", "\"" + Repeat("\\\"", kMiB) + "\"",
         "(\"" + Repeat("\\\"", kMiB) + "\",regular,target=smallheaderbody)" + kTail},
        {"unterminated phrase", "body:\"" + letters, "(\"\\\"" + letters + "\",target=body)" + kTail},
        {"word", letters, "(\"" + letters + "\",target=smallheaderbody)" + kTail},
        {"spaces", "a" + std::string(kMiB, ' ') + "b",
         "(\"a\",target=smallheaderbody)and(\"b\",target=smallheaderbody)" + kTail},
        {"spaces around", std::string(kMiB, ' ') + "a" + std::string(kMiB, ' '),
         "(\"smallheaderbody:\",target=smallheaderbody)and(\"a\",target=smallheaderbody)" + kTail},
        {"even backslashes", "\"" + evenBackslashes + "\"",
         "(\"" + evenBackslashes + "\",regular,target=smallheaderbody)" + kTail},
        {"odd backslashes", "\"" + oddBackslashes + "\"",
         "(\"\\\"" + evenBackslashes + evenBackslashes + "\\\\\\\"\",target=smallheaderbody)" + kTail},
    };
    for (const LongCase& c : cases) {
        std::string expression;
        EXPECT_NO_THROW(expression = TranslateQuery(c.query, 1001, StandInEncode)) << c.name;
        EXPECT_TRUE(expression == c.expression) << c.name << ": got " << expression.size() << " bytes, want "
                                               << c.expression.size();
    }
}

TEST(LongQuery, ManyWordsTranslateInOrder) {
    const std::string::size_type words = kLongRunWords;
    std::string query;
    std::string expected;
    for (std::string::size_type i = 0; i < words; ++i) {
        const std::string word = "w" + std::to_string(i % 100);
        query += (i ? " " : "") + word;
        expected += (i ? "and" : "") + ("(\"" + word + "\",target=smallheaderbody)");
    }
    EXPECT_EQ(TranslateQuery(query, 1001, StandInEncode), expected + kTail);
}

// The host's encoder keeps what it returns in the host's own memory, not in
// the translation's: so does this one (the word as it is, in a block from
// malloc, which the limit does not count), so that the limit below counts
// what the translation itself holds.
const char* EncodeInHostMemory(const char* word) {
    static char* answer = nullptr;
    std::free(answer);
    answer = static_cast<char*>(std::malloc(std::strlen(word) + 1));
    return answer ? std::strcpy(answer, word) : nullptr;
}

// A 32-bit host has little room: a translation holds at most the expression
// and twelve bytes per byte of the query at once, and when even that is not
// there it fails with bad_alloc, which the search run reports, rather than
// anything worse.
TEST(LongQuery, FitsInTheExpressionAndTwelveBytesPerByteOrFailsCleanly) {
    const std::string::size_type size = 256 * 1024;
    const struct {
        const char* name;
        std::string query;
    } cases[] = {
        {"words", Repeat("w1 ", size)},
        {"one letter words", Repeat("a ", size)},
        {"phrase", "subject:\"" + std::string(size, 'a') + "\""},
        {"to inside from+to", "to: " + Repeat("from+to:12 ", size)},
        {"lines with spaces", Repeat("  w7  \r\n", size)},
        {"backslashes", Repeat("\"\\\\\\\" ", size)},
        {"flags", Repeat("flag:a ", size)},
    };
    for (const auto& c : cases) {
        const std::string expected = TranslateQuery(c.query, 1001, EncodeInHostMemory);
        {
            const AllocationLimit enough(expected.size() + 12 * c.query.size());
            std::string expression;
            EXPECT_NO_THROW(expression = TranslateQuery(c.query, 1001, EncodeInHostMemory)) << c.name;
            EXPECT_TRUE(expression == expected) << c.name;
        }
        const AllocationLimit tooLittle(c.query.size() / 2);
        EXPECT_THROW(TranslateQuery(c.query, 1001, EncodeInHostMemory), std::bad_alloc) << c.name;
    }
}

} // namespace

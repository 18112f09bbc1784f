#include "query/language.h"

#include "reference/literal_terms.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TrimCase {
    std::string text;
    std::string trimmed;
    Separators separators = Separators::Space;
};

TEST(TrimSpaces, RemovesOnlyTheOuterRunsOfSpaceBytes) {
    const TrimCase cases[] = {
        {"  foo  bar  ", "foo  bar"},
        {"     ", ""},
        {"", ""},
        {"x", "x"},
        {"\tfoo ", "\tfoo"},
        {"\x81\x40" "foo", "\x81\x40" "foo"},
        {" a\n  b \n c ", "a\nb\nc"},
        {"a \r\n b", "a\r\nb"},
        {"\f  a  \r", "\fa\r"},
        {"a \v b", "a \v b"},
        {" \n \n ", "\n\n"},
        // With the full-width space as a separator: a whole character only.
        {"\x81\x40 foo\x81\x40\x81\x40", "foo", Separators::SpaceAndFullWidthSpace},
        {"a\x81\x40\x81\x40" "b", "a\x81\x40\x81\x40" "b", Separators::SpaceAndFullWidthSpace},
        {"\x8a\x81\x40", "\x8a\x81\x40", Separators::SpaceAndFullWidthSpace},
        {"x \x8a\x81\x40", "x \x8a\x81\x40", Separators::SpaceAndFullWidthSpace},
        {" a \x81\x40\n\x81\x40" "b", "a\nb", Separators::SpaceAndFullWidthSpace},
    };
    for (const TrimCase& c : cases) {
        std::string text = c.text;
        TrimSpaces(text, c.separators);
        EXPECT_EQ(text, c.trimmed) << "text: [" << c.text << "]";
        std::string reference = c.text;
        ReferenceTrimSpaces(reference, c.separators);
        EXPECT_EQ(reference, c.trimmed) << "text: [" << c.text << "]";
    }
}

TEST(FindTarget, ReturnsTheRowOfTheLeadingPrefix) {
    const std::pair<const char*, int> cases[] = {
        {"subject:x", 1},        {"from+to:x", 2}, {"from:x", 3},      {"to:x", 4},
        {"body:x", 5},           {"header:x", 6},  {"smallheader:x", 7}, {"all:x", 8},
        {"memo:x", 9},           {"attach:x", 10}, {"flag:x", 11},     {"Subject:x", 0},
        {"xsubject:y", 0},       {"\"subject:y\"", 0}, {"smallheaderbody:x", 0}, {"", 0},
        {"foo subject:x", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindTarget(c.first), c.second) << c.first;
}

struct TakeCase {
    int row;
    std::string query;
    TermKind kind;
    std::string value;
    std::string left; // after the caller's TrimSpaces
};

TEST(ReferenceTakeTerm, CutsTheTermAndLeavesTheRest) {
    const TakeCase cases[] = {
        {0, "foo bar", TermKind::Word, "foo", "bar"},
        {1, "subject:\"a b\" c", TermKind::Phrase, "\"a b\"", "c"},
        {1, "subject:\"a\\\"b\"", TermKind::Phrase, "\"a\\\"b\"", ""},
        {1, "subject:\"a\"b", TermKind::Phrase, "\"a\"", "b"},
        {1, "subject:\"\"", TermKind::Word, "\"\"", ""},
        {1, "subject:\"a b", TermKind::Word, "\"a", "b"},
        {1, "subject:\"a\\\"", TermKind::Word, "\"a\\\"", ""},
        {1, "subject:", TermKind::NoTerm, "", "smallheaderbody:subject:"},
        {0, "smallheaderbody:subject:", TermKind::Word, "subject:", ""},
        {1, "subject: x subject:y", TermKind::Word, "y", "subject: x"},
        {1, "subject:a subject:\"b c\"", TermKind::Phrase, "\"b c\"", "subject:a"},
        {4, "to: a from+to:b", TermKind::Word, "b", "to: a from+"},
        {10, "attach:x attach:*", TermKind::AttachAll, "", "attach:x"},
        {10, "attach:*x", TermKind::AttachAll, "", "x"},
        {10, "attach:", TermKind::NoTerm, "", "smallheaderbody:attach:"},
        {11, "flag:unread x", TermKind::Flag, "unread", "x"},
        {11, "flag:", TermKind::Flag, "", ""},
        {11, "flag: x", TermKind::Flag, "", "x"},
        {11, "flag:\"a b\"", TermKind::Flag, "\"a", "b\""},
        // A double-byte character whose second byte is the backslash byte
        // escapes the closing quote, so the phrase is a word.
        {1, "subject:\"\x95\x5c\"", TermKind::Word, "\"\x95\x5c\"", ""},
        {1, "subject:\"a\\\\\" b", TermKind::Phrase, "\"a\\\\\"", "b"},
        {2, "from+to:\"x\"", TermKind::Phrase, "\"x\"", ""},
        {0, "\"a b\" c", TermKind::Phrase, "\"a b\"", "c"},
        {0, "-x|(y)", TermKind::Word, "-x|(y)", ""},
        {1, "subject:a\tb c", TermKind::Word, "a\tb", "c"},
        {1, "subject:\"a\nb\"", TermKind::Phrase, "\"a\nb\"", ""},
        {1, "subject:\"a\\", TermKind::Word, "\"a\\", ""},
    };
    for (const TakeCase& c : cases) {
        std::string query = c.query;
        const Term term = ReferenceTakeTerm(query, c.row);
        ReferenceTrimSpaces(query);
        EXPECT_EQ(static_cast<int>(term.kind), static_cast<int>(c.kind)) << c.query;
        EXPECT_EQ(term.value, c.value) << c.query;
        EXPECT_EQ(query, c.left) << c.query;
    }
}

TEST(ReferenceTakeTerm, EveryCallShortensTheQueryOrPrefixesIt) {
    // The builder's loop ends only if every call makes progress; a NoTerm
    // leaves a query whose next call takes a word at the latest.
    const char* queries[] = {"subject:", "attach:", "to: to:", "memo: memo:",
                             "header:  x", "all:\"", "body:\"\"", "from+to:"};
    for (const char* text : queries) {
        std::string query = text;
        const int row = FindTarget(query);
        const Term first = ReferenceTakeTerm(query, row);
        ReferenceTrimSpaces(query);
        if (first.kind == TermKind::NoTerm) {
            const std::string before = query;
            const Term second = ReferenceTakeTerm(query, FindTarget(query));
            EXPECT_TRUE(second.kind == TermKind::Word || second.kind == TermKind::Phrase) << text;
            EXPECT_LT(query.size(), before.size()) << text;
        } else {
            EXPECT_LT(query.size(), std::string(text).size()) << text;
        }
    }
}

} // namespace

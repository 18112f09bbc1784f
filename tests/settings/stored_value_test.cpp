// What the settings file can hold, decided before anything is written.
#include "settings/stored_value.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(StoredValue, KeyNamesMustReadBackAsThemselves) {
    const struct {
        std::string name;
        bool storable;
    } cases[] = {
        {"work", true},          {"\x8e\x64\x8e\x96", true}, {"a b", true},  {"", false},
        {"a=b", false},          {"[x", false},              {";x", false},  {" x", false},
        {"x\t", false},          {"\vx", false},             {"x\f", false}, {"a\r\nb", false},
        {"a\nb", false},         {"x[", true},               {"x;", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CanStoreKeyName(c.name), c.storable) << "[" << c.name << "]";
}

TEST(StoredValue, ValuesMustFitWholeWithTheirQuotes) {
    const struct {
        std::string value;
        bool storable;
        std::string stored;
    } cases[] = {
        {"from:alice", true, "from:alice"},
        {"\"a b\"", true, "\"\"a b\"\""},
        {" x", true, "\" x\""},
        {"'x'", true, "\"'x'\""},
        {"a\r\nb", true, "a  b"},
        {"a\n", true, "\"a \""},
        {std::string(kMaxStoredValueLength, 'x'), true, std::string(kMaxStoredValueLength, 'x')},
        {std::string(kMaxStoredValueLength + 1, 'x'), false, ""},
        {" " + std::string(kMaxStoredValueLength - 1, 'x'), false, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CanStoreValue(c.value), c.storable) << c.value.size();
        if (c.storable) {
            EXPECT_EQ(ValueAsStored(c.value.c_str()), c.stored) << c.value.size();
        }
    }
}

} // namespace

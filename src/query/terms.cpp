#include "query/terms.h"

#include <cstring>

const TargetRow TargetTable[kTargetCount] = {
    {"smallheaderbody", "smallheaderbody:", "smallheaderbody:"},
    {"subject", "subject:", "subject:"},
    {"from+to", "from+to:", "from\\+to:"},
    {"from", "from:", "from:"},
    {"to", "to:", "to:"},
    {"body", "body:", "body:"},
    {"header", "header:", "header:"},
    {"smallheader", "smallheader:", "smallheader:"},
    {"all", "all:", "all:"},
    {"memo", "memo:", "memo:"},
    {"attach", "attach:", "attach:"},
    {"flag", "flag:", "flag:"},
};

void TrimSpaces(std::string& text) {
    std::string::size_type kept = 0;
    for (std::string::size_type at = 0; at < text.size();) {
        if (text[at] != ' ') {
            text[kept++] = text[at++];
            continue;
        }
        std::string::size_type end = at;
        while (end < text.size() && text[end] == ' ')
            ++end;
        const bool atLineStart = kept == 0 || IsLineSeparator(text[kept - 1]);
        const bool atLineEnd = end == text.size() || IsLineSeparator(text[end]);
        if (!atLineStart && !atLineEnd) {
            while (at < end)
                text[kept++] = text[at++];
        }
        at = end;
    }
    text.resize(kept);
}

int FindTarget(const std::string& query) {
    if (!query.empty() && query[0] == '"')
        return 0;
    for (int row = 0; row < kTargetCount; ++row) {
        if (StartsWith(query, TargetTable[row].prefix))
            return row;
    }
    return 0;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

#include "query/language.h"

int FindTarget(const std::string& query) {
    return FindTarget(!query.empty() && query[0] == kQuote,
                      [&](std::string_view prefix) { return StartsWith(query, prefix); });
}

void TrimSpaces(std::string& text) {
    std::string::size_type kept = 0;
    for (std::string::size_type at = 0; at < text.size();) {
        if (text[at] != kSpace) {
            text[kept++] = text[at++];
            continue;
        }
        std::string::size_type end = at;
        while (end < text.size() && text[end] == kSpace)
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

bool StartsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

#include "query/language.h"

#include "query/shift_jis.h"

int FindTarget(const std::string& query) {
    return FindTarget(!query.empty() && query[0] == kQuote,
                      [&](std::string_view prefix) { return StartsWith(query, prefix); });
}

std::vector<bool> FullWidthSpaceBytes(const std::string& text) {
    std::vector<bool> marked(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = ShiftJisCharLength(text.data(), at, text.size());
        if (length == 2 && text.compare(at, 2, kFullWidthSpace) == 0)
            marked[at] = marked[at + 1] = true;
        at += length;
    }
    return marked;
}

SeparatorAt FindSeparator(const std::string& text, Separators separators) {
    const std::size_t space = text.find(kSpace);
    if (separators == Separators::SpaceAndFullWidthSpace) {
        const std::vector<bool> fullWidth = FullWidthSpaceBytes(text);
        for (std::size_t at = 0; at < text.size() && at < space; ++at) {
            if (fullWidth[at])
                return {at, 2};
        }
    }
    return space == std::string::npos ? SeparatorAt{std::string::npos, 0} : SeparatorAt{space, 1};
}

void TrimSpaces(std::string& text, Separators separators) {
    const std::vector<bool> fullWidth =
        separators == Separators::SpaceAndFullWidthSpace ? FullWidthSpaceBytes(text) : std::vector<bool>();
    auto separates = [&](std::size_t at) { return text[at] == kSpace || (!fullWidth.empty() && fullWidth[at]); };
    std::string::size_type kept = 0;
    for (std::string::size_type at = 0; at < text.size();) {
        if (!separates(at)) {
            text[kept++] = text[at++];
            continue;
        }
        std::string::size_type end = at;
        while (end < text.size() && separates(end))
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

#include "query/word_escape.h"

#include "query/shift_jis.h"

std::string EscapeWord(const std::string& word) {
    std::string encoded;
    encoded.reserve(word.size() + word.size() / 8 + 1);
    for (std::string::size_type i = 0; i < word.size(); ++i) {
        if (ShiftJisCharLength(word.data(), i, word.size()) == 2) {
            encoded += word[i];
            encoded += word[++i];
            continue;
        }
        const char byte = word[i];
        if (byte == '"' || byte == '\\')
            encoded += '\\';
        encoded += word[i];
    }
    return encoded;
}

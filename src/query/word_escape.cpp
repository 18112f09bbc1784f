#include "query/word_escape.h"

namespace {

bool IsShiftJisLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// A double quote is never the second byte of a character, so a stray lead
// byte cannot shield one from its escape.
bool IsShiftJisTrailByte(unsigned char byte) {
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

} // namespace

std::string EscapeWord(const std::string& word) {
    std::string encoded;
    encoded.reserve(word.size() + word.size() / 8 + 1);
    for (std::string::size_type i = 0; i < word.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(word[i]);
        if (IsShiftJisLeadByte(byte) && i + 1 < word.size() &&
            IsShiftJisTrailByte(static_cast<unsigned char>(word[i + 1]))) {
            encoded += word[i];
            encoded += word[++i];
            continue;
        }
        if (byte == '"' || byte == '\\')
            encoded += '\\';
        encoded += word[i];
    }
    return encoded;
}

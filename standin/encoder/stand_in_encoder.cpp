#include "stand_in_encoder.h"

#include "query/word_escape.h"

#include <string>

extern "C" const char* StandInEncode(const char* word) {
    static std::string encoded; // one caller at a time, like the host's
    encoded = EscapeWord(word ? word : "");
    return encoded.c_str();
}

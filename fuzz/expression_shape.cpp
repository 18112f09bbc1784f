#include "expression_shape.h"

#include "query/language.h"

#include <cctype>
#include <string_view>

namespace {

struct Reader {
    const std::string& text;
    std::string::size_type at = 0;

    bool Take(std::string_view literal) {
        if (text.compare(at, literal.size(), literal) != 0)
            return false;
        at += literal.size();
        return true;
    }

    // A phrase as typed: quote, one or more units, quote.
    bool TakePhrase() {
        if (!Take("\""))
            return false;
        std::string::size_type units = 0;
        while (at < text.size() && text[at] != '"') {
            at += text[at] == '\\' ? 2 : 1;
            ++units;
        }
        return at < text.size() && units > 0 && Take("\"");
    }

    // Words come hex-encoded (HexEncode), so a word is hex digits and a quote.
    bool TakeEncodedWord() {
        while (at < text.size() && std::isxdigit(static_cast<unsigned char>(text[at])))
            ++at;
        return Take("\"");
    }

    bool TakeTarget() {
        for (const TargetRow& row : TargetTable) {
            if (row.rule != TargetRule::FlagName && Take(row.targetPart))
                return true;
        }
        return false;
    }

    // Both kinds open with a parenthesis and a quote: try a word, then a phrase.
    bool TakeCondition() {
        const std::string::size_type start = at;
        if (Take("(\"") && TakeEncodedWord() && TakeTarget())
            return true;
        at = start;
        return Take("(") && TakePhrase() && Take(",regular") && TakeTarget();
    }
};

} // namespace

const char* HexEncode(const char* word) {
    static std::string hex;
    static const char digits[] = "0123456789ABCDEF";
    hex.clear();
    for (const char* at = word; *at; ++at) {
        hex += digits[static_cast<unsigned char>(*at) >> 4];
        hex += digits[static_cast<unsigned char>(*at) & 15];
    }
    return hex.c_str();
}

std::string CheckExpressionShape(const std::string& expression, int scope) {
    const std::string tail = scope == 1002 ? ",subfolder=1,hilight=1" : ",subfolder=0,hilight=1";
    if (expression.size() < tail.size() || expression.compare(expression.size() - tail.size(), tail.size(), tail) != 0)
        return "the subfolder and highlight suffixes are missing";
    const std::string body = expression.substr(0, expression.size() - tail.size());
    Reader reader{body};
    bool conditions = false;
    if (reader.at < body.size() && body[reader.at] == '(') {
        do {
            if (!reader.TakeCondition())
                return "a condition is not closed at byte " + std::to_string(reader.at);
        } while (reader.Take("and"));
        conditions = true;
    }
    if (reader.at == body.size())
        return {};
    if (conditions && !reader.Take(","))
        return "no comma before the flag clause";
    if (!reader.Take("flag="))
        return "unexpected bytes at " + std::to_string(reader.at);
    // Flag names are bare bytes: anything but a space.
    if (body.find(' ', reader.at) != std::string::npos)
        return "a flag name holds a space";
    return {};
}

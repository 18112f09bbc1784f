// The reading's texts are Shift_JIS bytes; each line says in its comment
// what it reads.
#include "query/reading.h"

#include "query/commands.h"
#include "query/descriptions.h"
#include "query/shift_jis.h"
#include "query/texts.h"
#include "query/typed_terms.h"
#include "query/term_records.h"
#include "query/translate.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace {


// A full-width colon, as the input method types it.
constexpr std::string_view kFullWidthColon = "\x81\x46"; // ：

// `text` with its first "%" replaced by `first`, every later one by `second`.
std::string Fill(std::string_view text, std::string_view first, std::string_view second) {
    std::string filled;
    bool firstDone = false;
    for (const char byte : text) {
        if (byte == '%') {
            filled += firstDone ? second : first;
            firstDone = true;
        } else {
            filled += byte;
        }
    }
    return filled;
}

// `text` with every "%" replaced by `value`.
std::string Fill(std::string_view text, std::string_view value) {
    return Fill(text, value, value);
}

std::string Quoted(std::string_view value) {
    return std::string(kOpenQuote) + std::string(value) + std::string(kCloseQuote);
}

// What a target searches, in the help's words, without the mark of the
// default target.
std::string_view TargetWords(int row) {
    const std::string_view words = kTargetDescriptions[row];
    return words.substr(0, words.find(" ("));
}

std::string ConditionText(const ReadCondition& condition) {
    switch (condition.kind) {
    case TermKind::AttachAll:
        return std::string(kAttachAllReading);
    case TermKind::Flag:
        return std::string(kFlagReading) + Quoted(condition.value);
    default:
        return std::string(TargetWords(condition.row)) + Quoted(condition.value);
    }
}

// The words as typed: the reading shows what the user wrote.
const char* AsTyped(const char* word) {
    return word;
}

std::vector<ReadCondition> SearchConditions(const std::string& query, Separators separators) {
    std::vector<ReadCondition> conditions;
    std::vector<ReadCondition> flags;
    TakeQueryTerms(query, AsTyped, separators).ForEach([&](TermKind kind, int row, std::string_view text) {
        if (kind == TermKind::Phrase)
            conditions.push_back({kind, row, std::string(text.substr(1, text.size() - 2))});
        else if (kind == TermKind::Word)
            conditions.push_back({kind, row, std::string(text)});
        else if (kind == TermKind::AttachAll || kind == TermKind::Flag)
            flags.push_back({kind, row, kind == TermKind::Flag ? std::string(text) : std::string()});
    });
    conditions.insert(conditions.end(), flags.begin(), flags.end());
    return conditions;
}

std::string SearchLine(const std::vector<ReadCondition>& conditions) {
    std::string line(kSearchHeading);
    for (std::size_t i = 0; i < conditions.size(); ++i)
        line += (i ? std::string(kAnd) : std::string()) + ConditionText(conditions[i]);
    return line;
}

// The stored favourite of that name, as the settings file's reader matches
// names (ASCII letters in either case), in `found`; whether there is one.
bool FindFavorite(const FavoriteSuggestions& favorites, std::string_view name, std::string_view& found) {
    const std::string folded = FoldedName(name);
    for (std::size_t i = 0; i + 1 < favorites.foldedStarts.size(); ++i) {
        const std::size_t start = favorites.foldedStarts[i];
        if (favorites.foldedStarts[i + 1] - start == folded.size() &&
            favorites.foldedNames.compare(start, folded.size(), folded) == 0) {
            found = favorites.stored->Second(i);
            return true;
        }
    }
    return false;
}

// A target's name as typed with the input method on, in ASCII: full-width
// letters and plus sign as their ASCII ones, letters in lower case; empty
// when it holds anything else.
std::string PlainName(std::string_view typed) {
    std::string plain;
    for (std::size_t at = 0; at < typed.size();) {
        const unsigned char first = static_cast<unsigned char>(typed[at]);
        const unsigned char second = at + 1 < typed.size() ? static_cast<unsigned char>(typed[at + 1]) : 0;
        char ascii = 0;
        std::size_t length = 1;
        if (first == 0x82 && second >= 0x60 && second <= 0x79) {
            ascii = static_cast<char>('a' + (second - 0x60));
            length = 2;
        } else if (first == 0x82 && second >= 0x81 && second <= 0x9A) {
            ascii = static_cast<char>('a' + (second - 0x81));
            length = 2;
        } else if (first == 0x81 && second == 0x7B) {
            ascii = '+';
            length = 2;
        } else if (first < 0x80 && (std::isalpha(first) || first == '+')) {
            ascii = static_cast<char>(std::tolower(first));
        } else {
            return std::string();
        }
        plain += ascii;
        at += length;
    }
    return plain;
}

// One letter wrong, added or missing, or two neighbours swapped.
bool OneSlipApart(std::string_view a, std::string_view b) {
    if (a.size() > b.size())
        std::swap(a, b);
    if (b.size() - a.size() > 1)
        return false;
    std::size_t i = 0;
    while (i < a.size() && a[i] == b[i])
        ++i;
    if (a.size() == b.size()) {
        if (i == a.size())
            return false; // the same
        if (a.substr(i + 1) == b.substr(i + 1))
            return true; // one wrong
        return i + 1 < a.size() && a[i] == b[i + 1] && a[i + 1] == b[i] && a.substr(i + 2) == b.substr(i + 2);
    }
    return a.substr(i) == b.substr(i + 1); // one added or missing
}

class Reader {
public:
    Reader(const std::string& text, std::size_t size, std::size_t caret, Separators separators)
        : text_(text), size_(size), caret_(caret), separators_(separators) {}

    // Each term in turn, checked; the reasons found, in order.
    std::vector<std::string> Misreadings() {
        std::vector<std::string> reasons;
        const std::vector<TypedTerm> terms = TypedTerms(text_.substr(0, size_), separators_);
        for (std::size_t i = 0; i < terms.size(); ++i)
            Check(terms[i], i + 1 == terms.size(), reasons);
        return reasons;
    }

private:
    void Check(const TypedTerm& term, bool last, std::vector<std::string>& reasons) const {
        const std::string_view typed(text_.data() + term.start, term.end - term.start);
        const int row = term.prefixRow;
        if (row >= 0 && typed.size() == TargetTable[row].prefix.size()) {
            // Its value is about to be typed while the caret stands right
            // after the colon.
            if (caret_ != term.end) {
                const std::string prefix(TargetTable[row].prefix);
                // "flag:" takes no word: its flag is one with no name.
                if (TargetTable[row].rule == TargetRule::FlagName)
                    reasons.push_back(std::string(kNoFlagName));
                else
                    reasons.push_back(Fill(last ? kNothingAfterPrefix : kSpaceAfterPrefix, prefix));
            }
            return;
        }
        const std::size_t valueAt = row >= 0 ? term.start + TargetTable[row].prefix.size() : term.start;
        if (text_[valueAt] == kQuote) {
            CheckPhrase(valueAt, term, reasons);
            return;
        }
        if (row < 0)
            CheckNearMiss(typed, reasons);
    }

    void CheckPhrase(std::size_t quote, const TypedTerm& term, std::vector<std::string>& reasons) const {
        if (quote + 1 < size_ && text_[quote + 1] == kQuote) {
            reasons.push_back(std::string(kEmptyPhrase));
            return;
        }
        // A quote after a character whose second byte is the backslash
        // byte counts as escaped: said as soon as it is typed.
        for (std::size_t at = quote + 1; at < size_;) {
            const std::size_t length = ShiftJisCharLength(text_.data(), at, size_);
            if (length == 1 && text_[at] == kQuote)
                break;
            if (length == 1 && text_[at] == kEscape) {
                at += 2;
                continue;
            }
            if (length == 2 && text_[at + 1] == kEscape && at + 2 < size_ && text_[at + 2] == kQuote) {
                reasons.push_back(Fill(kEscapedQuote, std::string_view(text_.data() + at, 2)));
                return;
            }
            at += length;
        }
        // Still being typed while the caret is in it.
        const bool typing = caret_ > quote && caret_ <= term.end;
        if (term.openPhrase && !typing)
            reasons.push_back(std::string(kUnclosedPhrase));
    }

    void CheckNearMiss(std::string_view typed, std::vector<std::string>& reasons) const {
        const MistypedPrefix mistyped = FindMistypedPrefix(typed);
        if (mistyped.row >= 0)
            reasons.push_back(Fill(kNotAPrefix, typed.substr(0, mistyped.length), TargetTable[mistyped.row].prefix));
    }

    const std::string& text_;
    std::size_t size_;
    std::size_t caret_;
    Separators separators_;
};

// How much of a long text is read: up to the last term that begins within
// kReadBytes, at a separator outside any phrase; a first term longer than
// that, cut at a character's end.
std::size_t ReadSize(const std::string& text) {
    if (text.size() <= kReadBytes)
        return text.size();
    std::size_t cut = 0;
    for (std::size_t at = 0; at < kReadBytes;) {
        if (text[at] == kSpace)
            cut = at;
        if (text[at] == kQuote) {
            const std::size_t close = PhraseEnd(
                at, text.size(), [](std::size_t p) { return p + 1; }, [&](std::size_t p) { return text[p]; });
            if (close >= kReadBytes)
                break;
            at = close + 1;
            continue;
        }
        at += ShiftJisCharLength(text.data(), at, text.size());
    }
    if (cut > 0)
        return cut;
    std::size_t at = 0;
    while (at < kReadBytes)
        at += ShiftJisCharLength(text.data(), at, text.size());
    return at;
}

} // namespace

MistypedPrefix FindMistypedPrefix(std::string_view term) {
    std::size_t colon = std::string_view::npos;
    std::size_t colonLength = 0;
    for (std::size_t at = 0; at < term.size();) {
        const std::size_t length = ShiftJisCharLength(term.data(), at, term.size());
        if (length == 1 && term[at] == ':') {
            colon = at, colonLength = 1;
            break;
        }
        if (length == 2 && term.substr(at, 2) == kFullWidthColon) {
            colon = at, colonLength = 2;
            break;
        }
        at += length;
    }
    if (colon == std::string_view::npos || colon == 0)
        return {};
    const std::string plain = PlainName(term.substr(0, colon));
    if (plain.empty())
        return {};
    for (int row = 0; row < kTargetCount; ++row) {
        const std::string_view name = TargetTable[row].targetName;
        if (plain == name || (name.size() >= 4 && plain.size() >= 4 && OneSlipApart(plain, name))) {
            // The prefix typed as it is spelt is a prefix, not a slip.
            if (term.substr(0, colon + colonLength) == TargetTable[row].prefix)
                return {};
            return {row, colon + colonLength};
        }
    }
    return {};
}

QueryReading ReadQuery(const std::string& text, std::size_t caret, Separators separators,
                       const FavoriteSuggestions* favorites, const std::vector<std::size_t>& unconverted) {
    QueryReading reading;
    const std::size_t size = ReadSize(text);
    reading.cut = size < text.size();
    std::string query = text.substr(0, size);
    TrimSpaces(query, separators);
    if (query.empty()) {
        reading.line = kEmptyExample;
        return reading;
    }
    const QueryRequest request = ReadQueryRequest(query, separators);
    std::string said;
    switch (request.kind) {
    case QueryRequest::RecallFavorite: {
        std::string_view stored;
        if (request.text.empty())
            said = kListFavorites;
        else if (!favorites)
            said = Fill(kRecallFavorite, request.text);
        else if (FindFavorite(*favorites, request.text, stored))
            said = Fill(kRecallFavoriteAs, request.text) + std::string(stored);
        else
            said = Fill(kUnknownFavorite, request.text);
        break;
    }
    case QueryRequest::StoreFavorite: {
        std::string_view stored;
        if (!request.value)
            said = Fill(kDeleteFavorite, request.text);
        else if (favorites && FindFavorite(*favorites, request.text, stored) && stored != *request.value)
            said = Fill(kReplaceFavorite, request.text) + *request.value;
        else
            said = Fill(kStoreFavorite, request.text) + *request.value;
        break;
    }
    case QueryRequest::OpenHelp:
        said = kOpenHelp;
        break;
    case QueryRequest::RawExpression:
        said = std::string(kRawExpression) + request.text;
        break;
    case QueryRequest::Done:
        break;
    case QueryRequest::Search:
        reading.conditions = SearchConditions(request.text, separators);
        said = SearchLine(reading.conditions);
        break;
    }
    // The characters the mail client cannot receive come first, the first
    // of them named (the caller puts it in as typed); then the terms read
    // otherwise than they look.
    std::size_t unconvertedRead = 0;
    while (unconvertedRead < unconverted.size() && unconverted[unconvertedRead] < size)
        ++unconvertedRead;
    const std::vector<std::string> reasons =
        request.kind == QueryRequest::Search ? Reader(text, size, caret, separators).Misreadings() : std::vector<std::string>();
    reading.misreadings = unconvertedRead + reasons.size();
    if (reading.misreadings > 0) {
        std::string flagged(kMisreadMark);
        if (unconvertedRead > 0) {
            reading.namedAt = flagged.size() + kUnconverted.find('%');
            flagged += Fill(kUnconverted, "?");
        } else {
            flagged += reasons.front();
        }
        if (reading.misreadings > 1)
            flagged += Fill(kMoreMisreadings, std::to_string(reading.misreadings - 1));
        reading.misreadingLength = flagged.size();
        reading.readingStart = flagged.size() + kMisreadGap.size();
        said = flagged + std::string(kMisreadGap) + said;
    }
    reading.line = said + (reading.cut ? std::string(kCutShort) : std::string());
    return reading;
}

// The terms of a query as taken, one record after another: a tag (the kind
// and the row), the length of the text in base 128, then the text: a phrase
// as typed, a word as the encoder gave it, a flag's name. Kept this compact
// so that a long query's terms cost about what its bytes do.
#pragma once

#include "query/language.h"

#include <algorithm>
#include <cstddef>
#include <string>

static_assert(static_cast<int>(TermKind::NoTerm) * kTargetCount + kTargetCount <= 256,
              "a term's kind and row fit its record's one-byte tag");

class TermRecords {
public:
    explicit TermRecords(std::size_t expected) { data_.reserve(expected); }

    void Add(TermKind kind, int row, const char* text, std::size_t length) {
        Append(kind, row, length).append(text, length);
    }

    // Writes a record's tag and length; the caller appends its `length`
    // bytes of text to what this returns.
    std::string& Append(TermKind kind, int row, std::size_t length) {
        const std::size_t needed = data_.size() + 1 + 10 + length;
        if (needed > data_.capacity())
            data_.reserve(std::max(needed, data_.capacity() + data_.capacity() / 2));
        data_ += static_cast<char>(static_cast<int>(kind) * kTargetCount + row);
        for (std::size_t rest = length;; rest >>= 7) {
            data_ += static_cast<char>((rest & 0x7F) | (rest > 0x7F ? 0x80 : 0));
            if (rest <= 0x7F)
                break;
        }
        return data_;
    }

    // Calls visit(kind, row, text) for each record in order.
    template <typename Visit>
    void ForEach(Visit visit) const {
        for (std::size_t at = 0; at < data_.size();) {
            const int tag = static_cast<unsigned char>(data_[at++]);
            std::size_t length = 0;
            for (int shift = 0;; shift += 7) {
                const unsigned char byte = static_cast<unsigned char>(data_[at++]);
                length |= static_cast<std::size_t>(byte & 0x7F) << shift;
                if (!(byte & 0x80))
                    break;
            }
            visit(static_cast<TermKind>(tag / kTargetCount), tag % kTargetCount,
                  std::string_view(data_.data() + at, length));
            at += length;
        }
    }

private:
    std::string data_;
};

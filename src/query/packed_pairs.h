// Pairs of texts (a name and what it stands for) one after another in one
// text, so that thousands of them (a file's favourites) are held in a few
// blocks of memory: the i-th pair's first text runs from starts[2i] to
// starts[2i + 1], its second on to starts[2i + 2].
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct PackedPairs {
    std::string text;
    std::vector<std::size_t> starts = {0};

    void Add(std::string_view first, std::string_view second) {
        text += first;
        starts.push_back(text.size());
        text += second;
        starts.push_back(text.size());
    }
    std::size_t Count() const { return (starts.size() - 1) / 2; }
    std::string_view First(std::size_t i) const { return Part(2 * i); }
    std::string_view Second(std::size_t i) const { return Part(2 * i + 1); }

private:
    std::string_view Part(std::size_t i) const {
        return std::string_view(text).substr(starts[i], starts[i + 1] - starts[i]);
    }
};

#include "query/linked_query.h"

#include "query/language.h"

#include <stdexcept>

namespace {

void Reserve(LinkedQuery& q, std::size_t room) {
    q.nextOf.reserve(room);
    q.prevOf.reserve(room);
    q.byteOf.reserve(room);
}

// A node more, unlinked. The arrays grow by an eighth at a time: only
// unusual queries put the default prefix in front more than a few times.
int AddNode(LinkedQuery& q, char byte) {
    if (q.byteOf.size() == q.byteOf.capacity())
        Reserve(q, q.byteOf.size() + q.byteOf.size() / 8 + kDefaultPrefix.size());
    if (q.byteOf.size() >= static_cast<std::size_t>(INT32_MAX))
        throw std::length_error("query too long to translate");
    q.nextOf.push_back(kNoNode);
    q.prevOf.push_back(kNoNode);
    q.byteOf.push_back(byte);
    return NodeCount(q) - 1;
}

} // namespace

void Link(LinkedQuery& q, const std::string& text, std::size_t spare, Separators separators) {
    if (text.size() >= static_cast<std::size_t>(INT32_MAX) / 2)
        throw std::length_error("query too long to translate");
    const int size = static_cast<int>(text.size());
    q.originalSize = size;
    Reserve(q, text.size() + spare);
    q.byteOf = text;
    q.nextOf.resize(text.size());
    q.prevOf.resize(text.size());
    for (int i = 0; i < size; ++i) {
        q.prevOf[i] = i - 1;
        q.nextOf[i] = i + 1 < size ? i + 1 : kNoNode;
    }
    if (size > 0) {
        q.head = 0;
        q.tail = size - 1;
    }
    if (separators == Separators::SpaceAndFullWidthSpace) {
        q.fullWidthSpace = FullWidthSpaceBytes(text);
        for (int i = 0; i < size; ++i) {
            if (q.fullWidthSpace[i])
                q.byteOf[i] = kSpace;
        }
    }
}

void Prepend(LinkedQuery& q, std::string_view text) {
    for (std::size_t i = text.size(); i-- > 0;) {
        const int node = AddNode(q, text[i]);
        q.nextOf[node] = q.head;
        if (q.head != kNoNode)
            q.prevOf[q.head] = node;
        else
            q.tail = node;
        q.head = node;
    }
}

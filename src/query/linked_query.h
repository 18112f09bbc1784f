// The query as a linked list of its bytes, so that putting a prefix in front
// and cutting a term out cost only their own length, wherever they are. A
// field per array: nine bytes a node. Nodes are never freed; a cut only
// unlinks them.
#pragma once

#include "query/language.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr int kNoNode = -1;

struct LinkedQuery {
    std::vector<int32_t> nextOf;
    std::vector<int32_t> prevOf;
    std::string byteOf;
    int head = kNoNode;
    int tail = kNoNode;
    // The original bytes keep their positions as order keys; bytes put in
    // front get ever smaller ones.
    int32_t originalSize = 0;
    // Where a full-width space separates terms, its two bytes are linked as
    // two spaces, which every rule then takes as it takes the space; these
    // mark them, so that a phrase gets them back as they were. Empty when
    // only the space separates.
    std::vector<bool> fullWidthSpace;
};

// The nodes on either side of a cut, kNoNode at an end.
struct Joint {
    int before;
    int after;
};

// Links `text`, with room for `spare` more nodes before any array moves.
void Link(LinkedQuery& q, const std::string& text, std::size_t spare, Separators separators);

// Puts `text` in front of the query.
void Prepend(LinkedQuery& q, std::string_view text);


// The small steps the finder takes at every byte, inline.

inline int NodeCount(const LinkedQuery& q) {
    return static_cast<int>(q.byteOf.size());
}

// A node's place in the query's order, which no cut or prefix changes.
inline int32_t Key(const LinkedQuery& q, int node) {
    return node < q.originalSize ? node : q.originalSize - 1 - node;
}

inline int NodeOf(const LinkedQuery& q, int32_t key) {
    return key >= 0 ? key : q.originalSize - 1 - key;
}

// The node `steps` after `node`; kNoNode past the end.
inline int Advance(const LinkedQuery& q, int node, std::size_t steps) {
    while (steps-- > 0 && node != kNoNode)
        node = q.nextOf[node];
    return node;
}

// The nodes from `first` to `last`, both counted.
inline std::size_t CountTo(const LinkedQuery& q, int first, int last) {
    std::size_t count = 1;
    for (int node = first; node != last; node = q.nextOf[node])
        ++count;
    return count;
}

inline bool StartsWith(const LinkedQuery& q, std::string_view prefix) {
    int node = q.head;
    for (const char byte : prefix) {
        if (node == kNoNode || q.byteOf[node] != byte)
            return false;
        node = q.nextOf[node];
    }
    return true;
}

// Unlinks `first` to `last`.
inline Joint Unlink(LinkedQuery& q, int first, int last) {
    const Joint joint{q.prevOf[first], q.nextOf[last]};
    (joint.before != kNoNode ? q.nextOf[joint.before] : q.head) = joint.after;
    (joint.after != kNoNode ? q.prevOf[joint.after] : q.tail) = joint.before;
    return joint;
}

// Whether the node separates terms.
inline bool IsSeparator(const LinkedQuery& q, int node) {
    return node != kNoNode && q.byteOf[node] == kSpace;
}

// The byte a node stood for in the query as typed.
inline bool IsFullWidthSpaceByte(const LinkedQuery& q, int node) {
    return static_cast<std::size_t>(node) < q.fullWidthSpace.size() && q.fullWidthSpace[node];
}

// Whether the node ends a line: none (the end), or a line separator.
inline bool EndsALine(const LinkedQuery& q, int node) {
    return node == kNoNode || IsLineSeparator(q.byteOf[node]);
}

// The last node of the run from `node` up to the next separator or the end.
inline int LastOfRun(const LinkedQuery& q, int node) {
    while (q.nextOf[node] != kNoNode && !IsSeparator(q, q.nextOf[node]))
        node = q.nextOf[node];
    return node;
}

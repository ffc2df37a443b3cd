// Internals of the row sort: the compact row and the key tree that makes
// lopsided partitions cheap.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvane::rowsort {

// A shown row reduced to what the sort needs: its key in the high half, its
// entry index in the low half. Moving these instead of going back to the
// 524-byte entries keeps the whole sort inside a compact array.
using Row = uint64_t;
using Index = std::ptrdiff_t;

constexpr Index kNone = -1;

inline uint32_t KeyOf(Row r) { return uint32_t(r >> 32); }
inline uint32_t EntryOf(Row r) { return uint32_t(r); }
inline Row MakeRow(uint32_t key, uint32_t entry) { return (Row(key) << 32) | entry; }

// Smallest and largest key of each block of 16 rows of one range, and a
// binary tree over the blocks, so that a scan of a partition can jump to the
// next row that stops it instead of walking over every row that does not.
// Lopsided partitions (keys already in order with ties, for instance) then
// cost a few tree walks instead of a pass over the whole range. Rows are read
// from the array itself; a block's entry is worked out again from its rows
// when it is told that they changed.
//
// Rows outside the positions a search asks about may have moved without the
// tree being told (see SortWithTree); a block holding some of them may then
// claim a key it no longer has, but never misses one of its other rows. The
// searches therefore confirm every block they land on by reading its rows,
// and move on when it holds no match inside the asked positions.
class KeyTree {
public:
    KeyTree(const Row* a, Index lo, Index hi)
        : a_(a), base_(lo), last_(hi),
          leaves_(std::bit_ceil(std::max<size_t>(size_t((hi - lo) >> kBlockShift) + 1, 2)))
    {
        // Blocks past the range never match.
        nodes_.assign(2 * leaves_, Node{UINT32_MAX, 0});
        for (size_t b = 0; b <= size_t((hi - lo) >> kBlockShift); ++b) nodes_[leaves_ + b] = Scan(b);
        for (size_t x = leaves_ - 1; x > 0; --x) nodes_[x] = Join(nodes_[2 * x], nodes_[2 * x + 1]);
    }

    // The first position in from..to whose key is >= key, or kNone.
    Index FirstAtLeast(Index from, Index to, uint32_t key) const
    {
        if (from > to) return kNone;
        size_t b = Block(from);
        Index q = from;
        for (;;) {
            const Index end = std::min(to, Start(b) + kBlock - 1);
            for (; q <= end; ++q)
                if (KeyOf(a_[q]) >= key) return q;
            if (end == to) return kNone;
            b = NextBlockAtLeast(b + 1, key);
            if (b >= leaves_ || Start(b) > to) return kNone;
            q = Start(b);
        }
    }

    // The last position in from..to whose key is <= key, or kNone.
    Index LastAtMost(Index from, Index to, uint32_t key) const
    {
        if (from > to) return kNone;
        size_t b = Block(to);
        Index q = to;
        for (;;) {
            const Index start = std::max(from, Start(b));
            for (; q >= start; --q)
                if (KeyOf(a_[q]) <= key) return q;
            if (start == from || b == 0) return kNone;
            b = PrevBlockAtMost(b - 1, key);
            if (b >= leaves_ || Start(b) + kBlock - 1 < from) return kNone;
            q = Start(b) + kBlock - 1;
        }
    }

    // Keys in the block of pos have changed.
    void Update(Index pos)
    {
        size_t x = leaves_ + Block(pos);
        nodes_[x] = Scan(Block(pos));
        for (x >>= 1; x > 0; x >>= 1) {
            const Node joined = Join(nodes_[2 * x], nodes_[2 * x + 1]);
            if (joined.min == nodes_[x].min && joined.max == nodes_[x].max) break;
            nodes_[x] = joined;
        }
    }

    bool SameBlock(Index p, Index q) const { return Block(p) == Block(q); }

private:
    static constexpr int kBlockShift = 4;
    static constexpr Index kBlock = Index(1) << kBlockShift;

    struct Node {
        uint32_t min, max;
    };
    static Node Join(Node l, Node r) { return Node{std::min(l.min, r.min), std::max(l.max, r.max)}; }

    size_t Block(Index pos) const { return size_t(pos - base_) >> kBlockShift; }
    Index Start(size_t b) const { return base_ + Index(b << kBlockShift); }

    Node Scan(size_t b) const
    {
        Node n{UINT32_MAX, 0};
        const Index end = std::min(last_, Start(b) + kBlock - 1);
        for (Index q = Start(b); q <= end; ++q) n = Join(n, Node{KeyOf(a_[q]), KeyOf(a_[q])});
        return n;
    }

    // The first block from b on whose largest key is >= key; leaves_ if none.
    size_t NextBlockAtLeast(size_t b, uint32_t key) const
    {
        if (b >= leaves_) return leaves_;
        size_t x = leaves_ + b;
        while (nodes_[x].max < key) {
            // On to the subtree right after the one just ruled out.
            while (x & 1) x >>= 1;
            if (x == 0) return leaves_;
            ++x;
        }
        while (x < leaves_) {
            x = 2 * x;
            if (nodes_[x].max < key) ++x;
        }
        return x - leaves_;
    }

    // The last block up to b whose smallest key is <= key; leaves_ if none.
    size_t PrevBlockAtMost(size_t b, uint32_t key) const
    {
        size_t x = leaves_ + b;
        while (nodes_[x].min > key) {
            // On to the subtree right before the one just ruled out.
            while (!(x & 1)) x >>= 1;
            if (x == 1) return leaves_;
            --x;
        }
        while (x < leaves_) {
            x = 2 * x + 1;
            if (nodes_[x].min > key) --x;
        }
        return x - leaves_;
    }

    const Row* a_;
    Index base_, last_;
    size_t leaves_;
    std::vector<Node> nodes_;
};

}  // namespace korvane::rowsort

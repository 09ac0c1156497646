#include "HuffmanTables.h"

#include <algorithm>
#include <vector>

namespace mp3 {

namespace {

// Wide enough that most code words of the large tables, which high bitrates
// use most, resolve in the first lookup; small enough (4 KiB a table) to
// stay in the cache.
constexpr int maxRootBits = 10;

// The trees and lookups, and the tables that point into them: built where
// they stay, never copied.
struct BuiltTables {
    BuiltTables();
    BuiltTables(const BuiltTables&) = delete;
    BuiltTables& operator=(const BuiltTables&) = delete;

    std::vector<std::int16_t> trees[34];
    std::vector<std::uint32_t> lookups[34];
    int rootBits[34] = {};
    HuffmanTableArray tables;
};

unsigned leafValue(int table, int symbol)
{
    if (table >= 32) return static_cast<unsigned>(symbol);
    int size = huffmanCodes[table].size;
    return static_cast<unsigned>(((symbol / size) << 4) | (symbol % size));
}

struct TrieNode {
    int child[2] = {-1, -1};
    int leaf = -1;
};

// Serialises the subtree at `node` in the tree format: a node is followed by its
// 0-subtree, then its 1-subtree, and holds minus the size of its 0-subtree.
void serialise(const std::vector<TrieNode>& trie, int node, std::vector<std::int16_t>& out)
{
    const TrieNode& n = trie[static_cast<std::size_t>(node)];
    if (n.leaf >= 0 || n.child[0] < 0 || n.child[1] < 0) {
        out.push_back(static_cast<std::int16_t>(n.leaf >= 0 ? n.leaf : 0));
        return;
    }
    std::size_t at = out.size();
    out.push_back(0);
    serialise(trie, n.child[0], out);
    out[at] = static_cast<std::int16_t>(-static_cast<int>(out.size() - at - 1));
    serialise(trie, n.child[1], out);
}

std::vector<std::int16_t> buildTree(int table)
{
    std::vector<TrieNode> trie(1);
    const HuffmanCodeTable& t = huffmanCodes[table];
    for (int s = 0; s < symbolCount(table); ++s) {
        int node = 0;
        for (int bit = t.lengths[s] - 1; bit >= 0; --bit) {
            int b = (t.codes[s] >> bit) & 1;
            if (trie[static_cast<std::size_t>(node)].child[b] < 0) {
                trie[static_cast<std::size_t>(node)].child[b] = static_cast<int>(trie.size());
                trie.emplace_back();
            }
            node = trie[static_cast<std::size_t>(node)].child[b];
        }
        trie[static_cast<std::size_t>(node)].leaf = static_cast<int>(leafValue(table, s));
    }
    std::vector<std::int16_t> tree;
    serialise(trie, 0, tree);
    return tree;
}

std::vector<std::uint32_t> buildLookup(int table, int& rootBits)
{
    const HuffmanCodeTable& t = huffmanCodes[table];
    const int symbols = symbolCount(table);
    if (symbols == 0) {
        rootBits = 1;
        return {0, 0}; // a single leaf 0 that reads no bits
    }
    int maxLength = *std::max_element(t.lengths, t.lengths + symbols);
    rootBits = std::min(maxLength, maxRootBits);

    const std::size_t rootSize = std::size_t(1) << rootBits;
    std::vector<std::uint32_t> lookup(rootSize, 0);
    // Widest second-level table that each root slot needs.
    std::vector<int> subBits(rootSize, 0);
    for (int s = 0; s < symbols; ++s) {
        int length = t.lengths[s];
        if (length <= rootBits) continue;
        std::size_t slot = t.codes[s] >> (length - rootBits);
        subBits[slot] = std::max(subBits[slot], length - rootBits);
    }
    for (std::size_t slot = 0; slot < rootSize; ++slot) {
        if (subBits[slot] == 0) continue;
        lookup[slot] = huffmanLink | (std::uint32_t(subBits[slot]) << 16) | static_cast<std::uint32_t>(lookup.size());
        lookup.resize(lookup.size() + (std::size_t(1) << subBits[slot]), 0);
    }
    for (int s = 0; s < symbols; ++s) {
        int length = t.lengths[s];
        std::uint32_t leaf = (std::uint32_t(length) << 16) | leafValue(table, s);
        if (length <= rootBits) {
            std::size_t first = std::size_t(t.codes[s]) << (rootBits - length);
            std::fill_n(lookup.begin() + static_cast<std::ptrdiff_t>(first), std::size_t(1) << (rootBits - length),
                        leaf);
        } else {
            int rest = length - rootBits;
            std::uint32_t link = lookup[t.codes[s] >> rest];
            int bits = static_cast<int>((link >> 16) & 31);
            std::size_t first = (link & 0xFFFFu) + (std::size_t(t.codes[s] & ((1u << rest) - 1)) << (bits - rest));
            std::fill_n(lookup.begin() + static_cast<std::ptrdiff_t>(first), std::size_t(1) << (bits - rest), leaf);
        }
    }
    return lookup;
}

BuiltTables::BuiltTables()
{
    for (int table = 0; table < 34; ++table) {
        // Escape tables differ only in linbits: they share one code, so one
        // tree and one lookup, which keeps the lookups in the cache.
        int first = 0;
        while (huffmanCodes[first].codes != huffmanCodes[table].codes) ++first;
        if (first == table) {
            trees[table] = buildTree(table);
            lookups[table] = buildLookup(table, rootBits[table]);
        }
        tables[table] = HuffmanTable{huffmanCodes[table].linbits, trees[first].data(),
                                     static_cast<int>(trees[first].size()), lookups[first].data(), rootBits[first]};
    }
}

} // namespace

const HuffmanTableArray& huffmanTables()
{
    static const BuiltTables built;
    return built.tables;
}

} // namespace mp3

// The Huffman code tables, their trees and their lookup tables.
#include <gtest/gtest.h>

#include <cstring>

#include "HuffmanTables.h"

using namespace mp3;

namespace {

class HuffmanTables : public ::testing::Test {};

struct Walk {
    int leaf;
    int length;
};

// Decodes the code word at the top of `bits` by the tree format: a
// non-negative entry is a leaf; a negative one reads a bit and goes on at
// p + 1 for 0 and p + 1 - e for 1.
Walk walkTree(const HuffmanTable& table, std::uint32_t bits)
{
    int p = 0;
    int length = 0;
    while (table.tree[p] < 0) {
        if (length > 19) return {-1, length};
        int bit = static_cast<int>((bits >> (31 - length)) & 1);
        ++length;
        p = bit ? p + 1 - table.tree[p] : p + 1;
        if (p >= table.treeSize) return {-1, length};
    }
    return {table.tree[p], length};
}

int expectedLeaf(int table, int symbol)
{
    if (table >= 32) return symbol;
    int size = huffmanCodes[table].size;
    return ((symbol / size) << 4) | (symbol % size);
}

TEST_F(HuffmanTables, EveryTableIsACompletePrefixCode)
{
    for (int t = 0; t < 34; ++t) {
        int n = symbolCount(t);
        if (n == 0) continue;
        SCOPED_TRACE(testing::Message() << "table " << t);
        const HuffmanCodeTable& c = huffmanCodes[t];
        // Kraft sum in units of 2^-19 (19 bits is the longest code).
        std::uint64_t kraft = 0;
        for (int s = 0; s < n; ++s) {
            ASSERT_GE(c.lengths[s], 1);
            ASSERT_LE(c.lengths[s], 19);
            ASSERT_LT(c.codes[s], 1u << c.lengths[s]);
            kraft += std::uint64_t(1) << (19 - c.lengths[s]);
        }
        EXPECT_EQ(kraft, std::uint64_t(1) << 19);
        for (int a = 0; a < n; ++a) {
            for (int b = 0; b < n; ++b) {
                if (a == b || c.lengths[a] > c.lengths[b]) continue;
                unsigned prefix = c.codes[b] >> (c.lengths[b] - c.lengths[a]);
                ASSERT_NE(prefix, c.codes[a]) << "code " << a << " is a prefix of code " << b;
            }
        }
    }
}

TEST_F(HuffmanTables, EveryCodeWordDecodesToItsSymbolThroughTreeAndLookup)
{
    for (int t = 0; t < 34; ++t) {
        int n = symbolCount(t);
        if (n == 0) continue;
        SCOPED_TRACE(testing::Message() << "table " << t);
        const HuffmanCodeTable& c = huffmanCodes[t];
        const HuffmanTable& table = huffmanTables()[t];
        for (int s = 0; s < n; ++s) {
            int length = c.lengths[s];
            std::uint32_t word = std::uint32_t(c.codes[s]) << (32 - length);
            // Whatever follows the code word must not matter.
            for (std::uint32_t tail : {0u, 0xFFFFFFFFu, 0x5A5A5A5Au}) {
                std::uint32_t bits = word | (length < 32 ? (tail >> length) : 0);
                Walk walk = walkTree(table, bits);
                ASSERT_EQ(walk.leaf, expectedLeaf(t, s)) << "symbol " << s;
                ASSERT_EQ(walk.length, length) << "symbol " << s;
                std::uint32_t leaf = huffmanDecode(table, bits);
                ASSERT_EQ(huffmanSymbol(leaf), static_cast<unsigned>(expectedLeaf(t, s))) << "symbol " << s;
                ASSERT_EQ(huffmanLength(leaf), length) << "symbol " << s;
            }
        }
    }
}

TEST_F(HuffmanTables, TreesHoldTwoEntriesPerCodeLessOne)
{
    for (int t = 0; t < 34; ++t) {
        int n = symbolCount(t);
        if (n == 0) continue;
        EXPECT_EQ(huffmanTables()[t].treeSize, 2 * n - 1) << "table " << t;
    }
    EXPECT_EQ(huffmanTables()[1].treeSize, 7);
    EXPECT_EQ(huffmanTables()[15].treeSize, 511);
    EXPECT_EQ(huffmanTables()[24].treeSize, 511);
    EXPECT_EQ(huffmanTables()[32].treeSize, 31);
    EXPECT_EQ(huffmanTables()[33].treeSize, 31);
}

TEST_F(HuffmanTables, Tables0And4And14ReadNoBits)
{
    for (int t : {0, 4, 14}) {
        const HuffmanTable& table = huffmanTables()[t];
        EXPECT_EQ(table.treeSize, 1) << t;
        EXPECT_EQ(table.tree[0], 0) << t;
        EXPECT_EQ(table.linbits, 0) << t;
        for (std::uint32_t bits : {0u, 0xFFFFFFFFu, 0x80000000u, 0x12345678u}) {
            std::uint32_t leaf = huffmanDecode(table, bits);
            EXPECT_EQ(huffmanLength(leaf), 0) << t;
            EXPECT_EQ(huffmanSymbol(leaf), 0u) << t;
        }
    }
}

TEST_F(HuffmanTables, EscapeTablesShareCodesAndHaveTheirLinbits)
{
    const int linbits16[8] = {1, 2, 3, 4, 6, 8, 10, 13};
    const int linbits24[8] = {4, 5, 6, 7, 8, 9, 11, 13};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(huffmanTables()[16 + i].linbits, linbits16[i]) << 16 + i;
        EXPECT_EQ(huffmanTables()[24 + i].linbits, linbits24[i]) << 24 + i;
        for (int base : {16, 24}) {
            const HuffmanTable& a = huffmanTables()[base];
            const HuffmanTable& b = huffmanTables()[base + i];
            ASSERT_EQ(a.treeSize, b.treeSize);
            EXPECT_EQ(std::memcmp(a.tree, b.tree, sizeof(std::int16_t) * std::size_t(a.treeSize)), 0) << base + i;
        }
    }
    for (int t = 0; t < 16; ++t) EXPECT_EQ(huffmanTables()[t].linbits, 0) << t;
    EXPECT_EQ(huffmanTables()[32].linbits, 0);
    EXPECT_EQ(huffmanTables()[33].linbits, 0);
}

TEST_F(HuffmanTables, SpotChecksAgainstTheStandardsListing)
{
    // Table 1: (0,0) "1", (0,1) "001", (1,0) "01", (1,1) "000".
    EXPECT_EQ(walkTree(huffmanTables()[1], 0x80000000u).leaf, 0x00);
    EXPECT_EQ(walkTree(huffmanTables()[1], 0x20000000u).leaf, 0x01);
    EXPECT_EQ(walkTree(huffmanTables()[1], 0x40000000u).leaf, 0x10);
    EXPECT_EQ(walkTree(huffmanTables()[1], 0x00000000u).leaf, 0x11);
    // Quadruple table B is the four flag bits inverted, four bits each.
    for (std::uint32_t flags = 0; flags < 16; ++flags) {
        Walk w = walkTree(huffmanTables()[33], (15u - flags) << 28);
        EXPECT_EQ(w.leaf, static_cast<int>(flags));
        EXPECT_EQ(w.length, 4);
    }
    // Quadruple table A: "1" is all zero flags.
    EXPECT_EQ(walkTree(huffmanTables()[32], 0x80000000u).leaf, 0);
    // The longest codes: 19 bits in table 13, for (15, 12) and (15, 14).
    EXPECT_EQ(huffmanCodes[13].lengths[15 * 16 + 12], 19);
    EXPECT_EQ(huffmanCodes[13].lengths[15 * 16 + 14], 19);
}

} // namespace

#pragma once

#include <cstdint>

namespace mp3 {

// One code table as the standard lists it: code word and length per symbol.
// Big-value tables are size x size with symbol index x * size + y; the two
// quadruple tables have 16 symbols, index 8v + 4w + 2x + y.
struct HuffmanCodeTable {
    int size;
    int linbits;
    const std::uint16_t* codes;
    const std::uint8_t* lengths;
};

extern const HuffmanCodeTable huffmanCodes[34];

inline int symbolCount(int table)
{
    const HuffmanCodeTable& t = huffmanCodes[table];
    if (t.codes == nullptr) return 0;
    return table >= 32 ? 16 : t.size * t.size;
}

// A decoding table: the binary tree (entry e >= 0 is a leaf; e < 0 reads a bit
// and goes on at p + 1 for 0 or p + 1 - e for 1), and the lookup tables that
// decode a whole code word from the next bits at once and give what the tree
// walk gives. Leaves of big-value tables hold (x << 4) | y; leaves of quadruple
// tables hold the four flags v, w, x, y in bits 3..0.
struct HuffmanTable {
    int linbits;
    const std::int16_t* tree;
    int treeSize;
    const std::uint32_t* lookup;
    int rootBits;
};

// Tables 0..31 are selected by table_select, 32 and 33 by count1table_select.
using HuffmanTableArray = HuffmanTable[34];
// Built on first use, once per process.
const HuffmanTableArray& huffmanTables();

// A lookup entry: a leaf holds the code length in bits 16..20 and the symbol
// in bits 0..7; a link to a second-level table has bit 31 set, that table's
// index width in bits 16..20 and its offset from the root in bits 0..15.
inline constexpr std::uint32_t huffmanLink = 0x80000000u;

// Decodes one code word from `peek`, the next 32 bits of the stream with the
// first bit in bit 31. Returns the lookup leaf.
inline std::uint32_t huffmanDecode(const HuffmanTable& table, std::uint32_t peek)
{
    std::uint32_t e = table.lookup[peek >> (32 - table.rootBits)];
    if (e & huffmanLink) {
        int bits = static_cast<int>((e >> 16) & 31);
        e = table.lookup[(e & 0xFFFFu) + ((peek << table.rootBits) >> (32 - bits))];
    }
    return e;
}

inline int huffmanLength(std::uint32_t leaf)
{
    return static_cast<int>((leaf >> 16) & 31);
}
inline unsigned huffmanSymbol(std::uint32_t leaf)
{
    return leaf & 0xFFu;
}

} // namespace mp3

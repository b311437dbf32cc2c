// NameSet: a set of strings held compactly, for the names and paths a run gives out, which a run
// over a large source must remember by the million. The strings lie one after another in large
// blocks, each behind its length; an open-addressing table holds where each one lies and its hash,
// in 8 bytes. About 15 bytes per string besides its characters, where a node-based set takes 80 or
// more.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class NameSet {
public:
    // Adds text; false when the set held it already.
    bool Insert(std::string_view text);
    void Clear();

private:
    // Where a string lies, as its block (the high bits) and its offset in the block, with its
    // hash; hash 0 marks an empty slot.
    struct Slot {
        uint32_t hash = 0;
        uint32_t place = 0;
    };

    // Helpers
    static uint32_t Hash(std::string_view text);
    std::string_view At(const Slot& slot) const;
    Slot Store(std::string_view text);
    void Grow();

    // Member variables
    std::vector<Slot> m_slots; // a power of two in size, at most 3/4 full
    size_t m_count = 0;
    std::vector<std::unique_ptr<char[]>> m_blocks; // the strings, each behind its length
    size_t m_used = 0;                             // bytes used in the last block
    size_t m_lastSize = 0;                         // the last block's size
};

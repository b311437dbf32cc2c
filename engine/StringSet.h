// StringSet: a set of strings that are only ever added, kept compact for runs with hundreds of
// thousands of chunks. The strings lie one after another in one text, and an open-addressing
// table holds each one's hash and place, so that a look-up usually touches one table slot and
// clearing or destroying the set frees two blocks.
#pragma once

#include "platform/StringTypes.h"

#include <cstdint>
#include <string_view>
#include <vector>

class StringSet {
public:
    // Adds text; true when it was not in the set yet.
    bool Insert(std::string_view text);
    bool Contains(std::string_view text) const;
    size_t Size() const { return m_size; }
    void Clear();

private:
    struct Slot {
        uint64_t hash = 0;
        size_t offset = 0; // where the string begins in m_text
        size_t length = 0;
        bool used = false;
    };

    // Helpers
    static uint64_t Hash(std::string_view text);
    size_t FindSlot(std::string_view text, uint64_t hash) const;
    void Grow();

    // Member variables
    std::vector<Slot> m_slots; // a power of two in size, at most half used
    CString m_text;            // every string of the set, one after another
    size_t m_size = 0;
};

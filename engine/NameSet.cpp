#include "NameSet.h"

#include <cstring>
#include <stdexcept>

namespace {
constexpr unsigned kOffsetBits = 20;
constexpr size_t kBlockSize = size_t(1) << kOffsetBits; // a longer string has a block of its own
constexpr size_t kMostBlocks = size_t(1) << (32 - kOffsetBits);

// A length as 7-bit groups, low first, the high bit set on all but the last.
size_t PutLength(char* to, size_t length) {
    size_t n = 0;
    for (; length >= 0x80; length >>= 7)
        to[n++] = static_cast<char>(0x80 | (length & 0x7F));
    to[n++] = static_cast<char>(length);
    return n;
}
} // namespace

// FNV-1a, never 0 (0 marks an empty slot).
uint32_t NameSet::Hash(std::string_view text) {
    uint32_t hash = 2166136261u;
    for (char c : text)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash != 0 ? hash : 1;
}

std::string_view NameSet::At(const Slot& slot) const {
    const char* block = m_blocks[slot.place >> kOffsetBits].get();
    const unsigned char* p = reinterpret_cast<const unsigned char*>(block + (slot.place & (kBlockSize - 1)));
    size_t length = 0;
    for (int shift = 0;; shift += 7) {
        length |= static_cast<size_t>(*p & 0x7F) << shift;
        if ((*p++ & 0x80) == 0) break;
    }
    return std::string_view(reinterpret_cast<const char*>(p), length);
}

// Copies text behind its length into the last block, or a new one when it does not fit there.
NameSet::Slot NameSet::Store(std::string_view text) {
    const size_t need = text.size() + 10;
    if (m_blocks.empty() || m_lastSize - m_used < need) {
        // Four gigabytes of names: more than any memory this runs in would hold anyway.
        if (m_blocks.size() == kMostBlocks) throw std::length_error("the names given out");
        m_lastSize = need > kBlockSize ? need : kBlockSize;
        m_blocks.emplace_back(new char[m_lastSize]);
        m_used = 0;
    }
    Slot slot;
    slot.place = static_cast<uint32_t>(((m_blocks.size() - 1) << kOffsetBits) | m_used);
    char* to = m_blocks.back().get() + m_used;
    const size_t head = PutLength(to, text.size());
    std::memcpy(to + head, text.data(), text.size());
    m_used += head + text.size();
    return slot;
}

// Doubles the table and puts every slot in its place in the new one.
void NameSet::Grow() {
    std::vector<Slot> old(m_slots.size() < 16 ? 16 : m_slots.size() * 2);
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (const Slot& slot : old) {
        if (slot.hash == 0) continue;
        size_t i = slot.hash & mask;
        while (m_slots[i].hash != 0)
            i = (i + 1) & mask;
        m_slots[i] = slot;
    }
}

bool NameSet::Insert(std::string_view text) {
    if ((m_count + 1) * 4 > m_slots.size() * 3) Grow();
    const uint32_t hash = Hash(text);
    const size_t mask = m_slots.size() - 1;
    size_t i = hash & mask;
    for (; m_slots[i].hash != 0; i = (i + 1) & mask)
        if (m_slots[i].hash == hash && At(m_slots[i]) == text) return false;
    m_slots[i] = Store(text);
    m_slots[i].hash = hash;
    ++m_count;
    return true;
}

void NameSet::Clear() {
    m_slots.clear();
    m_count = 0;
    m_blocks.clear();
    m_used = m_lastSize = 0;
}

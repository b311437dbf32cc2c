#include "StringSet.h"

#include <utility>

// FNV-1a over the bytes, then mixed so that the low bits, which pick the slot, depend on all of
// them.
uint64_t StringSet::Hash(std::string_view text) {
    uint64_t hash = 14695981039346656037ull;
    for (char c : text)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    hash ^= hash >> 32;
    hash *= 0xd6e8feb86659fd93ull;
    return hash ^ (hash >> 32);
}

// The slot that holds text, or the empty slot where it would go.
size_t StringSet::FindSlot(std::string_view text, uint64_t hash) const {
    const size_t mask = m_slots.size() - 1;
    for (size_t i = static_cast<size_t>(hash) & mask;; i = (i + 1) & mask) {
        const Slot& slot = m_slots[i];
        if (!slot.used) return i;
        if (slot.hash == hash && std::string_view(m_text).substr(slot.offset, slot.length) == text) return i;
    }
}

bool StringSet::Contains(std::string_view text) const {
    return m_size != 0 && m_slots[FindSlot(text, Hash(text))].used;
}

bool StringSet::Insert(std::string_view text) {
    if ((m_size + 1) * 2 > m_slots.size()) Grow();
    const uint64_t hash = Hash(text);
    Slot& slot = m_slots[FindSlot(text, hash)];
    if (slot.used) return false;
    slot.hash = hash;
    slot.offset = m_text.size();
    slot.length = text.size();
    slot.used = true;
    m_text.append(text);
    ++m_size;
    return true;
}

// Doubles the table and puts every string into its new slot.
void StringSet::Grow() {
    std::vector<Slot> old(m_slots.empty() ? 16 : m_slots.size() * 2);
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (const Slot& slot : old) {
        if (!slot.used) continue;
        size_t i = static_cast<size_t>(slot.hash) & mask;
        while (m_slots[i].used)
            i = (i + 1) & mask;
        m_slots[i] = slot;
    }
}

void StringSet::Clear() {
    std::vector<Slot>().swap(m_slots);
    CString().swap(m_text);
    m_size = 0;
}

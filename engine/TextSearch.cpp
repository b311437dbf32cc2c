#include "TextSearch.h"

#include <cstring>
#include <utility>

TextSearch::TextSearch(CString pattern, ScanPath path) : m_pattern(std::move(pattern)), m_path(path) {}

const char* TextSearch::Find(const char* from, const char* end) const {
    if (static_cast<size_t>(end - from) < m_pattern.size()) return nullptr;
    if (m_pattern.size() > 1 && UseBlocks(m_path)) return FindBlocks(from, end);
    return FindEach(from, end);
}

// Place by place: memchr finds each place that starts with the pattern's first character.
const char* TextSearch::FindEach(const char* from, const char* end) const {
    const size_t size = m_pattern.size();
    for (const char* p = from; static_cast<size_t>(end - p) >= size; ++p) {
        p = static_cast<const char*>(std::memchr(p, m_pattern[0], end - p - size + 1));
        if (p == nullptr) return nullptr;
        if (std::memcmp(p + 1, m_pattern.data() + 1, size - 1) == 0) return p;
    }
    return nullptr;
}

// Each step compares 16 starting places: the text under the pattern's first character with it,
// and the text under its last character with that one. Only places where both match are compared
// in full. The fewer than 16 places too near the end for a whole step are looked at one by one.
BYTE_SCAN_TARGET const char* TextSearch::FindBlocks(const char* from, const char* end) const {
    const size_t size = m_pattern.size();
    const size_t last = size - 1;
    const char* pattern = m_pattern.data();
    const char* p = from;
    for (; static_cast<size_t>(end - p) >= last + kScanBlock; p += kScanBlock) {
        for (unsigned mask = BytesEqual(p, pattern[0], p + last, pattern[last]); mask != 0;
             mask &= mask - 1) {
            const unsigned offset = FirstPlace(mask);
            if (std::memcmp(p + offset + 1, pattern + 1, last - 1) == 0) return p + offset;
        }
    }
    return FindEach(p, end);
}

TagStartSearch::TagStartSearch(const CString& followers, ScanPath path) : m_path(path) {
    for (char c : followers)
        m_follows[static_cast<unsigned char>(c)] = true;
    if (followers.empty())
        for (bool& follows : m_follows)
            follows = true;
}

const char* TagStartSearch::Find(const char* from, const char* end) const {
    if (end - from < 2) return nullptr;
    if (UseBlocks(m_path)) return FindBlocks(from, end);
    return FindEach(from, end);
}

// True when the "<" at less, which has a character after it, is a stop; a "/" after it needs a
// follower after it in turn, unless the text ends there.
inline bool TagStartSearch::IsStop(const char* less, const char* end) const {
    const unsigned char next = static_cast<unsigned char>(less[1]);
    return m_follows[next] && (next != '/' || end - less == 2 || m_follows[static_cast<unsigned char>(less[2])]);
}

const char* TagStartSearch::FindEach(const char* from, const char* end) const {
    for (const char* p = from; end - p >= 2;) {
        const char* less = static_cast<const char*>(std::memchr(p, '<', end - 1 - p));
        if (less == nullptr) return nullptr;
        if (IsStop(less, end)) return less;
        p = less + 1;
    }
    return nullptr;
}

// Each step finds the "<" among 32 places; only those are looked at one by one. Most text has a
// "<" every few dozen characters, few of which are stops.
BYTE_SCAN_TARGET const char* TagStartSearch::FindBlocks(const char* from, const char* end) const {
    const char* p = from;
    for (; static_cast<size_t>(end - p) >= 2 * kScanBlock + 2; p += 2 * kScanBlock) {
        for (unsigned mask = BytesEqual(p, '<') | BytesEqual(p + kScanBlock, '<') << kScanBlock; mask != 0;
             mask &= mask - 1) {
            const char* at = p + FirstPlace(mask);
            if (IsStop(at, end)) return at;
        }
    }
    return FindEach(p, end);
}

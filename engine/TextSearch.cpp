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

namespace {

// Each step finds the stops among 16 places at once: a "<" with one of the N followers after it,
// or (where "/" is a follower) with a "/" and then a follower or "/". followers holds N of them.
template <size_t N, bool kSlash>
BYTE_SCAN_TARGET const char* FindStops(const char* p, const char* end, const char* followers) {
    char set[N], afterSlash[N + 1];
    for (size_t i = 0; i < N; ++i)
        set[i] = afterSlash[i] = followers[i];
    afterSlash[N] = '/';
    auto stops = [&](const char* at) {
        unsigned follows = BytesAmong(at + 1, set);
        if (kSlash) follows |= BytesEqual(at + 1, '/') & BytesAmong(at + 2, afterSlash);
        return BytesEqual(at, '<') & follows;
    };
    for (; static_cast<size_t>(end - p) >= 2 * kScanBlock + 2; p += 2 * kScanBlock) {
        const unsigned mask = stops(p) | stops(p + kScanBlock) << kScanBlock;
        if (mask != 0) return p + FirstPlace(mask);
    }
    return p;
}

} // namespace

// The block scan for up to kBlockFollowers followers besides "/"; with more, FindBlocksEachLess.
BYTE_SCAN_TARGET const char* TagStartSearch::FindBlocks(const char* from, const char* end) const {
    if (m_bManyFollowers || m_bEvery || m_blockCount == 0) return FindBlocksEachLess(from, end);
    using Scan = const char* (*)(const char*, const char*, const char*);
    static constexpr Scan kScans[2][kBlockFollowers] = {
        {FindStops<1, false>, FindStops<2, false>, FindStops<3, false>, FindStops<4, false>},
        {FindStops<1, true>, FindStops<2, true>, FindStops<3, true>, FindStops<4, true>}};
    const char* p = kScans[m_bSlash][m_blockCount - 1](from, end, m_blockFollowers);
    return static_cast<size_t>(end - p) >= 2 * kScanBlock + 2 ? p : FindEach(p, end);
}

// With many followers: each step finds the "<" among 32 places; only those are looked at one by
// one.
BYTE_SCAN_TARGET const char* TagStartSearch::FindBlocksEachLess(const char* from, const char* end) const {
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

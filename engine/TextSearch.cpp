#include "TextSearch.h"

#include <cstring>
#include <utility>

#if defined(__SSE2__) || defined(__i386__)
#include <emmintrin.h>
#define BREVIX_BLOCK_SEARCH 1
#endif

#if defined(__SSE2__)
#define BREVIX_SSE2_TARGET
#elif defined(BREVIX_BLOCK_SEARCH)
// A 32-bit build for any i686 runs the block search only on processors that have SSE2.
#define BREVIX_SSE2_TARGET __attribute__((target("sse2")))
#endif

namespace {

constexpr size_t kBlock = 16;

#if defined(BREVIX_BLOCK_SEARCH) && !defined(__SSE2__)
// Asked before the constructors of the run-time library may have run, so it asks the processor
// itself first.
const bool kHaveSse2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2") != 0;
}();
#elif defined(BREVIX_BLOCK_SEARCH)
const bool kHaveSse2 = true;
#else
const bool kHaveSse2 = false;
#endif

} // namespace

TextSearch::TextSearch(CString pattern) : m_pattern(std::move(pattern)) {}

const char* TextSearch::Find(const char* from, const char* end) const {
    if (static_cast<size_t>(end - from) < m_pattern.size()) return nullptr;
    if (kHaveSse2 && m_pattern.size() > 1) return FindBlocks(from, end);
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

#if defined(BREVIX_BLOCK_SEARCH)
// Each step compares 16 starting places: the text under the pattern's first character with it,
// and the text under its last character with that one. Only places where both match are compared
// in full. The fewer than 16 places too near the end for a whole step are looked at one by one.
BREVIX_SSE2_TARGET const char* TextSearch::FindBlocks(const char* from, const char* end) const {
    const size_t size = m_pattern.size();
    const size_t last = size - 1;
    const char* pattern = m_pattern.data();
    const __m128i first = _mm_set1_epi8(pattern[0]);
    const __m128i final = _mm_set1_epi8(pattern[last]);
    const char* p = from;
    for (; static_cast<size_t>(end - p) >= last + kBlock; p += kBlock) {
        const __m128i atFirst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i atLast = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + last));
        unsigned mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(atFirst, first), _mm_cmpeq_epi8(atLast, final))));
        while (mask != 0) {
            const unsigned offset = static_cast<unsigned>(__builtin_ctz(mask));
            if (std::memcmp(p + offset + 1, pattern + 1, last - 1) == 0) return p + offset;
            mask &= mask - 1;
        }
    }
    return FindEach(p, end);
}
#else
const char* TextSearch::FindBlocks(const char* from, const char* end) const {
    return FindEach(from, end);
}
#endif

TagStartSearch::TagStartSearch(const CString& followers) {
    for (char c : followers)
        m_follows[static_cast<unsigned char>(c)] = true;
    if (followers.empty())
        for (bool& follows : m_follows)
            follows = true;
}

const char* TagStartSearch::Find(const char* from, const char* end) const {
    if (end - from < 2) return nullptr;
    if (kHaveSse2) return FindBlocks(from, end);
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

#if defined(BREVIX_BLOCK_SEARCH)
// Each step finds the "<" among 32 places; only those are looked at one by one. Most text has a
// "<" every few dozen characters, few of which are stops.
BREVIX_SSE2_TARGET const char* TagStartSearch::FindBlocks(const char* from, const char* end) const {
    const __m128i less = _mm_set1_epi8('<');
    const char* p = from;
    for (; static_cast<size_t>(end - p) >= 2 * kBlock + 2; p += 2 * kBlock) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + kBlock));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(low, less))) |
                        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(high, less))) << kBlock;
        for (; mask != 0; mask &= mask - 1) {
            const char* at = p + __builtin_ctz(mask);
            if (IsStop(at, end)) return at;
        }
    }
    return FindEach(p, end);
}
#else
const char* TagStartSearch::FindBlocks(const char* from, const char* end) const {
    return FindEach(from, end);
}
#endif

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
    CString distinct;
    for (char c : followers) {
        if (!m_follows[static_cast<unsigned char>(c)]) distinct += c;
        m_follows[static_cast<unsigned char>(c)] = true;
    }
    m_bAny = distinct.empty() || distinct.size() > kMost;
    for (size_t i = 0; !m_bAny && i < kMost; ++i)
        m_followers[i] = distinct[i % distinct.size()];
}

const char* TagStartSearch::Find(const char* from, const char* end) const {
    if (end - from < 2) return nullptr;
    if (!m_bAny && kHaveSse2) return FindBlocks(from, end);
    return FindEach(from, end);
}

const char* TagStartSearch::FindEach(const char* from, const char* end) const {
    for (const char* p = from; end - p >= 2;) {
        const char* less = static_cast<const char*>(std::memchr(p, '<', end - 1 - p));
        if (less == nullptr) return nullptr;
        if (m_bAny || m_follows[static_cast<unsigned char>(less[1])]) return less;
        p = less + 1;
    }
    return nullptr;
}

#if defined(BREVIX_BLOCK_SEARCH)
// Each step compares 16 places with "<" and the 16 after them with each follower.
BREVIX_SSE2_TARGET const char* TagStartSearch::FindBlocks(const char* from, const char* end) const {
    const __m128i less = _mm_set1_epi8('<');
    const __m128i follower0 = _mm_set1_epi8(m_followers[0]);
    const __m128i follower1 = _mm_set1_epi8(m_followers[1]);
    const __m128i follower2 = _mm_set1_epi8(m_followers[2]);
    const __m128i follower3 = _mm_set1_epi8(m_followers[3]);
    const char* p = from;
    for (; static_cast<size_t>(end - p) >= kBlock + 1; p += kBlock) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
        const __m128i follows =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(next, follower0), _mm_cmpeq_epi8(next, follower1)),
                         _mm_or_si128(_mm_cmpeq_epi8(next, follower2), _mm_cmpeq_epi8(next, follower3)));
        const int mask = _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(here, less), follows));
        if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    }
    return FindEach(p, end);
}
#else
const char* TagStartSearch::FindBlocks(const char* from, const char* end) const {
    return FindEach(from, end);
}
#endif

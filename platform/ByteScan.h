// ByteScan: the byte scans that the text searches share, and the one rule that says where they
// look at 16 bytes at once. The block scan is built for x86 processors, with SSE2: a build that
// targets SSE2 (every x86-64 build) always uses it; a 32-bit build for any i686 uses it where the
// processor has SSE2, asked of the processor once. Every other build, and every search asked for
// ScanPath::Plain, looks at the bytes one by one (memchr and the like).
//
// A function that calls BytesEqual is marked BYTE_SCAN_TARGET and is called only where
// UseBlocks(path) is true: only there may the 32-bit build use SSE2. Keep the byte-by-byte code
// outside such functions, since the compiler may use SSE2 for any code inside them.
#pragma once

#include <cstddef>

#if defined(__SSE2__) || defined(__i386__)
#include <emmintrin.h>
constexpr bool kBlockScanBuilt = true;
#else
constexpr bool kBlockScanBuilt = false;
#endif

#if defined(__i386__) && !defined(__SSE2__)
#define BYTE_SCAN_TARGET __attribute__((target("sse2")))
#else
#define BYTE_SCAN_TARGET
#endif

// The bytes a block scan looks at in one step.
constexpr size_t kScanBlock = 16;

// How a search looks at its text; both find the same (the tests compare them).
enum class ScanPath {
    Blocks, // kScanBlock bytes at a time where UseBlocks allows it, else one by one
    Plain,  // one by one
};

// True when a search asked for path scans in blocks on this processor.
inline bool UseBlocks(ScanPath path) {
#if defined(__SSE2__)
    return path == ScanPath::Blocks;
#elif defined(__i386__)
    // Asked of the processor itself, since a search may run before the run-time library's
    // constructors have.
    static const bool haveSse2 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("sse2") != 0;
    }();
    return path == ScanPath::Blocks && haveSse2;
#else
    return (void)path, false;
#endif
}

// The places among the kScanBlock bytes at p that hold c: bit i is set where p[i] == c.
BYTE_SCAN_TARGET inline unsigned BytesEqual(const char* p, char c) {
#if defined(__SSE2__) || defined(__i386__)
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c))));
#else
    unsigned mask = 0;
    for (size_t i = 0; i < kScanBlock; ++i)
        mask |= static_cast<unsigned>(p[i] == c) << i;
    return mask;
#endif
}

// The places among the kScanBlock bytes at p and at q where p[i] == c and q[i] == d.
BYTE_SCAN_TARGET inline unsigned BytesEqual(const char* p, char c, const char* q, char d) {
#if defined(__SSE2__) || defined(__i386__)
    const __m128i atP = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), _mm_set1_epi8(c));
    const __m128i atQ = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q)), _mm_set1_epi8(d));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(atP, atQ)));
#else
    return BytesEqual(p, c) & BytesEqual(q, d);
#endif
}

// The places among the kScanBlock bytes at p that hold one of the N characters of set.
template <size_t N> BYTE_SCAN_TARGET inline unsigned BytesAmong(const char* p, const char (&set)[N]) {
#if defined(__SSE2__) || defined(__i386__)
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i among = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(set[0]));
    for (size_t i = 1; i < N; ++i)
        among = _mm_or_si128(among, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(set[i])));
    return static_cast<unsigned>(_mm_movemask_epi8(among));
#else
    unsigned mask = 0;
    for (size_t i = 0; i < N; ++i)
        mask |= BytesEqual(p, set[i]);
    return mask;
#endif
}

// The place of the lowest bit set in a mask that is not 0.
inline unsigned FirstPlace(unsigned mask) {
    return static_cast<unsigned>(__builtin_ctz(mask));
}

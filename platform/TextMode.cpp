// Text-mode reading: the file is read as bytes and, where the C library's text mode converts,
// its rules are applied here, so that the position of every converted byte in the file is known
// and a reader may look ahead and come back.
#include "TextMode.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

const char kCtrlZ = 0x1A; // ends a text-mode file

// The first CR or Ctrl+Z in [p, end), or end: the bytes before it are read as they are.
const char* FindCarriageReturnOrEnd(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i ctrlZ = _mm_set1_epi8(kCtrlZ);
    for (; end - p >= 16; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int mask =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, ctrlZ)));
        if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    }
#endif
    for (; p < end; ++p)
        if (*p == '\r' || *p == kCtrlZ) return p;
    return end;
}

} // namespace

size_t ReadTextMode(std::FILE* stream, char* dst, size_t size, bool& atEnd, bool& error, uint64_t& consumed) {
    size_t raw = std::fread(dst, 1, size, stream);
    if (raw < size && std::ferror(stream)) {
        error = true;
        return 0;
    }
    consumed += raw;
    if constexpr (!kTextModeConverts) return raw;
    // Convert in place; the written part never overtakes the part still to be read.
    size_t out = 0;
    for (size_t in = 0; in < raw;) {
        size_t run = FindCarriageReturnOrEnd(dst + in, dst + raw) - (dst + in);
        if (out != in) std::memmove(dst + out, dst + in, run);
        out += run;
        in += run;
        if (in == raw) break;
        if (dst[in] == kCtrlZ) { // the end of the text: nothing from here on is taken
            atEnd = true;
            consumed -= raw - in;
            break;
        }
        ++in; // the CR
        if (in < raw) {
            bool pair = dst[in] == '\n';
            if (pair) ++in;
            dst[out++] = pair ? '\n' : '\r';
        } else if (!atEnd) {
            // A CR that ends the block: the next byte decides.
            int next = std::getc(stream);
            if (next == '\n') {
                dst[out++] = '\n';
                ++consumed;
            } else {
                dst[out++] = '\r';
                if (next != EOF)
                    std::ungetc(next, stream);
                else if (std::ferror(stream))
                    error = true;
            }
        } else {
            dst[out++] = '\r';
        }
    }
    return out;
}

// Removed while still open, so that the name is checked and removed as close together as the
// system allows; the buffered text then goes nowhere.
bool CloseAndRemoveTextFile(std::FILE* stream, const CString& path) {
    FileIdentity written;
    bool removed = GetStreamIdentity(stream, written) && RemoveIfSameFile(path, written);
    std::fclose(stream);
    return removed;
}

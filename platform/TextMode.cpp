// Text-mode reading: the file is read as bytes and, where the C library's text mode converts,
// its rules are applied here, so that the position of every converted byte in the file is known
// and a reader may look ahead and come back.
#include "TextMode.h"

#include "ByteScan.h"

#include <cstring>

namespace {

const char kCtrlZ = 0x1A; // ends a text-mode file

// Passes over the whole blocks at p that hold no CR and no Ctrl+Z: the place of the first such
// byte, or where fewer than a block's bytes are left.
BYTE_SCAN_TARGET const char* SkipPlainBlocks(const char* p, const char* end) {
    for (; static_cast<size_t>(end - p) >= kScanBlock; p += kScanBlock) {
        const unsigned mask = BytesEqual(p, '\r') | BytesEqual(p, kCtrlZ);
        if (mask != 0) return p + FirstPlace(mask);
    }
    return p;
}

// The first CR or Ctrl+Z in [p, end), or end: the bytes before it are read as they are.
const char* FindCarriageReturnOrEnd(const char* p, const char* end) {
    if (UseBlocks(ScanPath::Blocks)) p = SkipPlainBlocks(p, end);
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
// system allows.
bool CloseAndRemoveTextFile(TextFile file, const CString& path) {
    FileIdentity written;
    bool removed = GetTextFileIdentity(file, written) && RemoveIfSameFile(path, written);
    CloseTextFile(file);
    return removed;
}

// Text-mode files on POSIX: the C library reads and writes bytes as they are, so the Windows
// text-mode rules are applied here.
#include "TextMode.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

std::FILE* OpenForTextRead(const CString& path) {
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    if (stream == nullptr) return nullptr;
    struct stat info;
    if (fstat(fileno(stream), &info) != 0 || S_ISDIR(info.st_mode)) {
        std::fclose(stream);
        return nullptr;
    }
    return stream;
}

size_t ReadTextMode(std::FILE* stream, char* dst, size_t size, bool& atEnd, bool& error) {
    size_t raw = std::fread(dst, 1, size, stream);
    if (raw < size && std::ferror(stream)) {
        error = true;
        return 0;
    }
    // Convert in place; the written part never overtakes the part still to be read.
    const char* ctrlZ = static_cast<const char*>(std::memchr(dst, 0x1A, raw));
    if (ctrlZ != nullptr) {
        raw = ctrlZ - dst;
        atEnd = true;
    }
    size_t out = 0;
    for (size_t in = 0; in < raw;) {
        const char* cr = static_cast<const char*>(std::memchr(dst + in, '\r', raw - in));
        size_t run = (cr ? static_cast<size_t>(cr - dst) : raw) - in;
        if (out != in) std::memmove(dst + out, dst + in, run);
        out += run;
        in += run;
        if (in == raw) break;
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

size_t RemainingBytes(std::FILE* stream) {
    struct stat info;
    long position = std::ftell(stream);
    if (fstat(fileno(stream), &info) != 0 || position < 0 || info.st_size < position) return 0;
    return static_cast<size_t>(info.st_size - position);
}

// Running out of descriptors fails the open before the file is created, so no limit of our own.
size_t MaxTextWriteStreams() {
    return static_cast<size_t>(-1);
}

std::FILE* OpenForTextWrite(const CString& path) {
    return std::fopen(path.c_str(), "w+");
}

bool WriteTextMode(std::FILE* stream, const char* data, size_t size) {
    // Lines are gathered with their CR LF into a block, so that the stream sees few large writes.
    char block[16384];
    size_t used = 0;
    bool written = true;
    auto flush = [&] {
        written = written && std::fwrite(block, 1, used, stream) == used;
        used = 0;
    };
    const char* const end = data + size;
    while (data < end) {
        const char* lf = static_cast<const char*>(std::memchr(data, '\n', end - data));
        const char* stop = lf != nullptr ? lf : end;
        while (data < stop) {
            if (used == sizeof block) flush();
            size_t run = std::min(static_cast<size_t>(stop - data), sizeof block - used);
            std::memcpy(block + used, data, run);
            used += run;
            data += run;
        }
        if (lf != nullptr) {
            if (sizeof block - used < 2) flush();
            block[used++] = '\r';
            block[used++] = '\n';
            ++data;
        }
    }
    if (used != 0) flush();
    return written;
}

void SetStdoutBinary() {}

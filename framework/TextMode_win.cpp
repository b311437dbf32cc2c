// Text-mode files on Windows: the C runtime's own text mode does the conversions.
#include "TextMode.h"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <stdio.h>

std::FILE* OpenForTextRead(const CString& path) {
    return _fsopen(path.c_str(), "rt", _SH_DENYNO);
}

size_t ReadTextMode(std::FILE* stream, char* dst, size_t size, bool& /*atEnd*/, bool& error) {
    size_t got = std::fread(dst, 1, size, stream);
    if (got < size && std::ferror(stream)) error = true;
    return got;
}

size_t RemainingBytes(std::FILE* stream) {
    long long length = _filelengthi64(_fileno(stream));
    long long position = _telli64(_fileno(stream));
    if (length < 0 || position < 0 || length < position) return 0;
    return static_cast<size_t>(length - position);
}

void AdviseLargeBuffer(char* /*data*/, size_t /*size*/) {}

size_t MaxTextWriteStreams() {
    // The runtime's own table: raised once from its default of 512; kept clear of the standard
    // streams, the source and a few for the program's other files.
    static const int streams = _setmaxstdio(2048) > 0 ? 2048 : _getmaxstdio();
    return streams > 16 ? static_cast<size_t>(streams - 16) : 0;
}

std::FILE* OpenForTextWrite(const CString& path) {
    return std::fopen(path.c_str(), "w+");
}

bool WriteTextMode(std::FILE* stream, const char* data, size_t size) {
    return std::fwrite(data, 1, size, stream) == size;
}

void SetStdoutBinary() {
    _setmode(_fileno(stdout), _O_BINARY);
}

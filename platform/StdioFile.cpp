#include "StdioFile.h"

#include "FileException.h"
#include "FileSystem.h"
#include "IoFaults.h"
#include "TextMode.h"

#include <cstring>
#include <vector>

CStdioFile::~CStdioFile() {
    Abort();
}

bool CStdioFile::Open(const CString& path) {
    if (m_pStream != nullptr) return false;
    if (IoFaults::ShouldFail(IoOp::Open)) return false;
    m_pStream = OpenForTextRead(path);
    if (m_pStream == nullptr) return false;
    m_strPath = GetFullPath(path);
    m_position = 0;
    m_bEnd = m_bMoved = false;
    m_bSeekable = IsRegularStream(m_pStream) && SeekTextRead(m_pStream, 0);
    // Without a spill (no temporary file here) a look-ahead must hold what it reads.
    if (!m_bSeekable && !IoFaults::ShouldFail(IoOp::Spill)) m_pSpill = std::tmpfile();
    m_spillBase = m_spillSize = 0;
    return true;
}

bool CStdioFile::GetIdentity(FileIdentity& id) const {
    return GetStreamIdentity(m_pStream, id);
}

void CStdioFile::ThrowReadError() const {
    throw CFileException("An error occurred while reading " + m_strPath + ".");
}

// One block of converted text from the stream's place into dst, capped for tests; read errors throw.
size_t CStdioFile::ReadConverted(std::FILE* stream, char* dst, size_t size, bool& atEnd, uint64_t& position,
                                 uint64_t room) {
    if (m_utf16 != Utf16Order::None) return ReadUtf16(stream, dst, size, position, room);
    if (const size_t cap = IoFaults::ReadBlockLimit(); cap != 0 && size > cap) size = cap;
    if (size > room) size = static_cast<size_t>(room);
    if (IoFaults::ShouldFail(IoOp::Read)) ThrowReadError();
    bool error = false;
    size_t got = ReadTextMode(stream, dst, size, atEnd, error, position);
    if (error) ThrowReadError();
    return got;
}

// A surrogate pair, or a CR LF pair where text mode converts, is never split between two reads:
// the bytes that complete it are taken too (up to a few code units, so that the text stays within
// the room given).
size_t CStdioFile::TakeWanted(std::FILE* stream, std::vector<unsigned char>& raw, size_t size, uint64_t most) {
    for (size_t taken = 0; taken < 32 && taken < most;) {
        size_t wanted = Utf16BytesWanted(raw.data(), size, m_utf16);
        if (wanted == 0) break;
        for (; wanted != 0 && taken < most; --wanted, ++taken) {
            const int c = std::getc(stream);
            if (c == EOF) {
                if (std::ferror(stream)) ThrowReadError();
                return size;
            }
            if (raw.size() <= size) raw.resize(size + 1);
            raw[size++] = static_cast<unsigned char>(c);
        }
    }
    return size;
}

// The bytes read are at most two thirds of the room, since a code unit may become three bytes.
size_t CStdioFile::ReadUtf16(std::FILE* stream, char* dst, size_t size, uint64_t& position, uint64_t room) {
    if (IoFaults::ShouldFail(IoOp::Read)) ThrowReadError();
    size_t want = size > 96 ? (size - 64) / 3 * 2 : 2;
    if (const size_t cap = IoFaults::ReadBlockLimit(); cap != 0 && want > cap) want = cap;
    if (want > room) want = static_cast<size_t>(room);
    if (m_raw.size() < want) m_raw.resize(want);
    size_t got = std::fread(m_raw.data(), 1, want, stream);
    if (got < want && std::ferror(stream)) ThrowReadError();
    if (got != 0) got = TakeWanted(stream, m_raw, got, room - got);
    position += got;
    return ::DecodeUtf16(m_raw.data(), got, m_utf16, dst);
}

size_t CStdioFile::Read(char* dst, size_t size) {
    if (m_pStream == nullptr || m_bEnd || size == 0) return 0;
    if (m_bMoved) {
        if (!SeekTextRead(m_pStream, m_position)) ThrowReadError();
        m_bMoved = false;
    }
    size_t got = m_position < m_spillBase + m_spillSize ? ReadSpilled(m_position, dst, size, m_bEnd, m_position)
                                                         : ReadConverted(m_pStream, dst, size, m_bEnd, m_position);
    if (m_position >= m_spillBase + m_spillSize) m_spillSize = 0; // all taken again: the spill starts over
    if (got == 0) m_bEnd = true;
    return got;
}

void CStdioFile::SeekSpill(uint64_t at) {
    if (!SeekTextRead(m_pSpill, at)) ThrowReadError();
}

// Text of the spill from the source's position at, which it holds, never past the spill's end
// (the temporary file may hold older bytes beyond it).
size_t CStdioFile::ReadSpilled(uint64_t at, char* dst, size_t size, bool& atEnd, uint64_t& next) {
    SeekSpill(at - m_spillBase);
    next = at;
    return ReadConverted(m_pSpill, dst, size, atEnd, next, m_spillBase + m_spillSize - at);
}

size_t CStdioFile::ReadAhead(uint64_t at, char* dst, size_t size, uint64_t& next) {
    next = at;
    if (m_pStream == nullptr || size == 0 || !CanReadAhead()) return 0;
    bool atEnd = false;
    if (!m_bSeekable) {
        // What the pipe gives from here on is added to the spill first; a CR at its end brings
        // the next byte with it, so that a CR LF pair is never split between the spill and the pipe.
        if (m_spillSize == 0) m_spillBase = m_position;
        if (at == m_spillBase + m_spillSize) {
            if (const size_t cap = IoFaults::ReadBlockLimit(); cap != 0 && size > cap) size = cap;
            std::vector<unsigned char> raw(size + 1);
            size_t got = std::fread(raw.data(), 1, size, m_pStream);
            if (m_utf16 != Utf16Order::None && got != 0) {
                got = TakeWanted(m_pStream, raw, got, UINT64_MAX);
            } else if (kTextModeConverts && got != 0 && raw[got - 1] == '\r') {
                int c = std::getc(m_pStream);
                if (c != EOF) raw[got++] = static_cast<unsigned char>(c);
            }
            if (std::ferror(m_pStream)) ThrowReadError();
            if (got == 0) return 0;
            SeekSpill(m_spillSize);
            if (std::fwrite(raw.data(), 1, got, m_pSpill) != got) ThrowReadError();
            m_spillSize += got;
        }
        return ReadSpilled(at, dst, size, atEnd, next);
    }
    m_bMoved = true;
    if (!SeekTextRead(m_pStream, at)) ThrowReadError();
    return ReadConverted(m_pStream, dst, size, atEnd, next);
}

void CStdioFile::Close() {
    if (m_pStream == nullptr) return;
    std::FILE* stream = m_pStream;
    m_pStream = nullptr;
    if (m_pSpill != nullptr) std::fclose(m_pSpill);
    m_pSpill = nullptr;
    bool failed = IoFaults::ShouldFail(IoOp::Close);
    if (std::fclose(stream) != 0 || failed)
        throw CFileException("An error occurred while closing " + m_strPath + ".");
}

void CStdioFile::Abort() {
    if (m_pStream != nullptr) std::fclose(m_pStream);
    m_pStream = nullptr;
    if (m_pSpill != nullptr) std::fclose(m_pSpill);
    m_pSpill = nullptr;
}

CString CStdioFile::GetFileName() const {
    return GetFileNameOf(m_strPath);
}

uint64_t CStdioFile::GetLength() const {
    return m_pStream != nullptr ? GetStreamLength(m_pStream) : 0;
}

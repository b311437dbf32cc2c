#include "StdioFile.h"

#include "FileException.h"
#include "FileSystem.h"
#include "IoFaults.h"
#include "TextMode.h"

#include <cstring>

CStdioFile::~CStdioFile() {
    if (m_pStream != nullptr) std::fclose(m_pStream);
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
    return true;
}

bool CStdioFile::GetIdentity(FileIdentity& id) const {
    return GetStreamIdentity(m_pStream, id);
}

void CStdioFile::ThrowReadError() const {
    throw CFileException("An error occurred while reading " + m_strPath + ".");
}

// One block of converted text from the stream's place into dst, capped for tests; read errors throw.
size_t CStdioFile::ReadConverted(char* dst, size_t size, bool& atEnd, uint64_t& position) {
    if (s_readBlockLimit != 0 && size > s_readBlockLimit) size = s_readBlockLimit;
    if (IoFaults::ShouldFail(IoOp::Read)) ThrowReadError();
    bool error = false;
    size_t got = ReadTextMode(m_pStream, dst, size, atEnd, error, position);
    if (error) ThrowReadError();
    return got;
}

size_t CStdioFile::Read(char* dst, size_t size) {
    if (m_pStream == nullptr || m_bEnd || size == 0) return 0;
    if (m_bMoved) {
        if (!SeekTextRead(m_pStream, m_position)) ThrowReadError();
        m_bMoved = false;
    }
    size_t got = ReadConverted(dst, size, m_bEnd, m_position);
    if (got == 0) m_bEnd = true;
    return got;
}

size_t CStdioFile::ReadAhead(uint64_t at, char* dst, size_t size, uint64_t& next) {
    next = at;
    if (m_pStream == nullptr || size == 0) return 0;
    m_bMoved = true;
    if (!SeekTextRead(m_pStream, at)) ThrowReadError();
    bool atEnd = false;
    return ReadConverted(dst, size, atEnd, next);
}

void CStdioFile::Close() {
    if (m_pStream == nullptr) return;
    std::FILE* stream = m_pStream;
    m_pStream = nullptr;
    bool failed = IoFaults::ShouldFail(IoOp::Close);
    if (std::fclose(stream) != 0 || failed)
        throw CFileException("An error occurred while closing " + m_strPath + ".");
}

void CStdioFile::Abort() {
    if (m_pStream != nullptr) std::fclose(m_pStream);
    m_pStream = nullptr;
}

CString CStdioFile::GetFileName() const {
    return GetFileNameOf(m_strPath);
}

uint64_t CStdioFile::GetLength() const {
    return m_pStream != nullptr ? GetStreamLength(m_pStream) : 0;
}

#include "StdioFile.h"

#include "FileException.h"
#include "FileSystem.h"
#include "IoFaults.h"
#include "TextMode.h"

#include <cstring>
#include <stdexcept>

namespace {
constexpr size_t kReadBlock = 1 << 16;

// Counts one growth of a text read whole. The fault seam can make it fail as a growth beyond
// what a string can hold does (a source of over 1 GiB in a 32-bit process): std::length_error.
void CountGrowth() {
    if (IoFaults::ShouldFail(IoOp::Grow)) throw std::length_error("basic_string::_M_create");
}
} // namespace

CStdioFile::~CStdioFile() {
    if (m_pStream != nullptr) std::fclose(m_pStream);
}

bool CStdioFile::Open(const CString& path) {
    if (m_pStream != nullptr) return false;
    if (IoFaults::ShouldFail(IoOp::Open)) return false;
    m_pStream = OpenForTextRead(path);
    if (m_pStream == nullptr) return false;
    m_strPath = GetFullPath(path);
    m_buffer.clear();
    m_bufferPos = 0;
    m_bEnd = false;
    return true;
}

bool CStdioFile::GetIdentity(FileIdentity& id) const {
    return GetStreamIdentity(m_pStream, id);
}

void CStdioFile::ThrowReadError() const {
    throw CFileException("An error occurred while reading " + m_strPath + ".");
}

// Reads and converts the next block into m_buffer after what is still unread there.
void CStdioFile::FillBuffer() {
    m_buffer.erase(0, m_bufferPos);
    m_bufferPos = 0;
    size_t have = m_buffer.size();
    m_buffer.resize(have + kReadBlock);
    size_t got = ReadBlock(&m_buffer[have], kReadBlock);
    m_buffer.resize(have + got);
}

// One block of converted text into dst; 0 at the end. Read errors throw.
size_t CStdioFile::ReadBlock(char* dst, size_t size) {
    if (m_bEnd) return 0;
    if (s_readBlockLimit != 0 && size > s_readBlockLimit) size = s_readBlockLimit;
    if (IoFaults::ShouldFail(IoOp::Read)) ThrowReadError();
    bool error = false;
    size_t got = ReadTextMode(m_pStream, dst, size, m_bEnd, error);
    if (error) ThrowReadError();
    if (got == 0) m_bEnd = true;
    return got;
}

bool CStdioFile::ReadString(CString& line) {
    if (m_pStream == nullptr) return false;
    for (;;) {
        const char* start = m_buffer.data() + m_bufferPos;
        size_t left = m_buffer.size() - m_bufferPos;
        const void* lf = std::memchr(start, '\n', left);
        if (lf != nullptr) {
            size_t length = static_cast<const char*>(lf) - start;
            line.assign(start, length);
            m_bufferPos += length + 1;
            return true;
        }
        if (m_bEnd) {
            if (left == 0) return false;
            line.assign(start, left);
            m_bufferPos = m_buffer.size();
            return true;
        }
        FillBuffer();
    }
}

CString CStdioFile::ReadText() {
    CString text;
    if (m_pStream == nullptr) return text;
    text.assign(m_buffer, m_bufferPos, CString::npos);
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    m_bufferPos = 0;
    // Read straight into the result, sized by what the file holds now plus one byte, so that a
    // file that did not grow meanwhile is read without reallocating (conversion only shrinks).
    size_t have = text.size();
    CountGrowth();
    text.reserve(have + RemainingBytes(m_pStream) + 1);
    AdviseLargeBuffer(&text[0], text.capacity());
    text.resize(text.capacity());
    for (;;) {
        if (have == text.size()) {
            CountGrowth();
            text.resize(have + have / 2 + kReadBlock);
        }
        size_t got = ReadBlock(&text[have], text.size() - have);
        if (got == 0) break;
        have += got;
    }
    text.resize(have);
    if (!text.empty() && text.back() != '\n') text.push_back('\n');
    return text;
}

void CStdioFile::Close() {
    if (m_pStream == nullptr) return;
    std::FILE* stream = m_pStream;
    m_pStream = nullptr;
    m_buffer.clear();
    bool failed = IoFaults::ShouldFail(IoOp::Close);
    if (std::fclose(stream) != 0 || failed)
        throw CFileException("An error occurred while closing " + m_strPath + ".");
}

void CStdioFile::Abort() {
    if (m_pStream != nullptr) std::fclose(m_pStream);
    m_pStream = nullptr;
    m_buffer.clear();
}

CString CStdioFile::GetFileName() const {
    return GetFileNameOf(m_strPath);
}

uint64_t CStdioFile::GetLength() const {
    return m_pStream != nullptr ? GetStreamLength(m_pStream) : 0;
}

#include "TextOutStream.h"

#include "IoFaults.h"
#include "TextMode.h"

#include <cstring>
#include <utility>

namespace {
constexpr size_t kBufferSize = 8192; // most chunks then reach the disk in one write
} // namespace

TextOutStream::~TextOutStream() {
    if (m_file != kNoTextFile) CloseTextFile(m_file);
}

TextOutStream::TextOutStream(TextOutStream&& other) noexcept
    : m_file(std::exchange(other.m_file, kNoTextFile)), m_encoder(std::move(other.m_encoder)),
      m_buffer(std::move(other.m_buffer)), m_buffered(std::exchange(other.m_buffered, 0)),
      m_bFailed(other.m_bFailed), m_strPath(std::move(other.m_strPath)), m_strTarget(std::move(other.m_strTarget)),
      m_strError(std::move(other.m_strError)) {}

TextOutStream& TextOutStream::operator=(TextOutStream&& other) noexcept {
    if (this != &other) {
        if (m_file != kNoTextFile) CloseTextFile(m_file);
        m_file = std::exchange(other.m_file, kNoTextFile);
        m_encoder = std::move(other.m_encoder);
        m_buffer = std::move(other.m_buffer);
        m_buffered = std::exchange(other.m_buffered, 0);
        m_bFailed = other.m_bFailed;
        m_strPath = std::move(other.m_strPath);
        m_strTarget = std::move(other.m_strTarget);
        m_strError = std::move(other.m_strError);
    }
    return *this;
}

OpenResult TextOutStream::Open(const CString& path) {
    if (m_file != kNoTextFile) return OpenResult::Failed;
    m_bFailed = false;
    m_encoder.reset();
    m_buffered = 0;
    m_strTarget.clear();
    m_strError.clear();
    if (IoFaults::ShouldFail(IoOp::Open)) return OpenResult::Failed;
    OpenResult result = OpenResult::Failed;
    ClearSystemError();
    m_file = OpenForTextWrite(path, result);
    if (m_file == kNoTextFile) {
        if (result == OpenResult::Failed) m_strError = SystemErrorText();
        return result;
    }
    m_strPath = path;
    if (!m_buffer) m_buffer.reset(new char[kBufferSize]);
    return OpenResult::Opened;
}

OpenResult TextOutStream::OpenReplacing(const CString& target, const CString& temporary) {
    OpenResult result = Open(temporary);
    if (result == OpenResult::Opened) m_strTarget = target;
    return result;
}

void TextOutStream::EncodeAsUtf16(Utf16Order order) {
    if (m_file == kNoTextFile) return;
    SetTextFileBinary(m_file);
    m_encoder = std::make_unique<Utf16Encoder>(order);
}

void TextOutStream::Write(const char* data, size_t size) {
    if (m_file == kNoTextFile || size == 0) return;
    if (IoFaults::ShouldFail(IoOp::Write)) {
        m_bFailed = true;
    } else if (m_encoder) {
        m_encoded.clear();
        m_encoder->Encode(data, size, m_encoded);
        Put(m_encoded.data(), m_encoded.size());
    } else {
        Put(data, size);
    }
}

// Into the buffer while it has room; else the buffer goes to the file first, and text as long as
// the buffer goes there straight.
void TextOutStream::Put(const char* data, size_t size) {
    if (m_buffered + size > kBufferSize) {
        if (!Flush()) return;
        if (size >= kBufferSize) {
            if (!m_bFailed && !WriteTextFile(m_file, data, size)) Failed();
            return;
        }
    }
    std::memcpy(m_buffer.get() + m_buffered, data, size);
    m_buffered += size;
}

// Writes what the buffer holds; after a failure nothing more is written (the file is incomplete
// anyway, and the first reason stays).
bool TextOutStream::Flush() {
    const size_t size = std::exchange(m_buffered, 0);
    if (m_bFailed) return false;
    if (size != 0 && !WriteTextFile(m_file, m_buffer.get(), size)) Failed();
    return !m_bFailed;
}

// Remembers a failure that the system has just reported, with its reason when it is the first.
void TextOutStream::Failed() {
    if (!m_bFailed && m_strError.empty()) m_strError = SystemErrorText();
    m_bFailed = true;
}

bool TextOutStream::Close() {
    if (m_file == kNoTextFile) return !m_bFailed;
    if (m_encoder) {
        m_encoded.clear();
        m_encoder->Finish(m_encoded);
        m_encoder.reset();
        Put(m_encoded.data(), m_encoded.size());
    }
    Flush();
    bool failed = IoFaults::ShouldFail(IoOp::Close);
    IoFaults::DelayClose();
    ClearSystemError();
    if (!CloseTextFile(m_file)) Failed();
    m_file = kNoTextFile;
    return !(failed || m_bFailed);
}

// The one step that completes a chunk's file. The identity is taken while the file is open, so
// that a replace that fails removes its own file and nothing put under that name meanwhile.
bool TextOutStream::Finish() {
    if (m_strTarget.empty()) return Close();
    FileIdentity written;
    const bool known = GetTextFileIdentity(m_file, written);
    bool finished = Close() && !IoFaults::ShouldFail(IoOp::Rename);
    if (finished) {
        ClearSystemError();
        finished = ReplaceEntry(m_strPath, m_strTarget);
        if (!finished) m_strError = SystemErrorText();
    }
    if (!finished && known) RemoveIfSameFile(m_strPath, written);
    m_strTarget.clear();
    return finished;
}

// The buffered text goes nowhere.
bool TextOutStream::CloseAndRemove() {
    if (m_file == kNoTextFile) return false;
    m_buffered = 0;
    bool removed = CloseAndRemoveTextFile(m_file, m_strPath);
    m_file = kNoTextFile;
    m_strTarget.clear();
    return removed;
}

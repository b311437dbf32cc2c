#include "TextOutStream.h"

#include "IoFaults.h"
#include "TextMode.h"

#include <utility>

namespace {
constexpr size_t kBufferSize = 8192; // most chunks then reach the disk in one write
} // namespace

TextOutStream::~TextOutStream() {
    if (m_pStream != nullptr) {
        std::fclose(m_pStream);
    }
}

TextOutStream::TextOutStream(TextOutStream&& other) noexcept
    : m_pStream(std::exchange(other.m_pStream, nullptr)), m_encoder(std::move(other.m_encoder)), m_buffer(std::move(other.m_buffer)),
      m_bFailed(other.m_bFailed), m_strPath(std::move(other.m_strPath)), m_strTarget(std::move(other.m_strTarget)),
      m_strError(std::move(other.m_strError)) {}

TextOutStream& TextOutStream::operator=(TextOutStream&& other) noexcept {
    if (this != &other) {
        if (m_pStream != nullptr) {
            std::fclose(m_pStream);
        }
        m_pStream = std::exchange(other.m_pStream, nullptr);
        m_encoder = std::move(other.m_encoder);
        m_buffer = std::move(other.m_buffer);
        m_bFailed = other.m_bFailed;
        m_strPath = std::move(other.m_strPath);
        m_strTarget = std::move(other.m_strTarget);
        m_strError = std::move(other.m_strError);
    }
    return *this;
}

OpenResult TextOutStream::Open(const CString& path) {
    if (m_pStream != nullptr) return OpenResult::Failed;
    m_bFailed = false;
    m_encoder.reset();
    m_strTarget.clear();
    m_strError.clear();
    if (IoFaults::ShouldFail(IoOp::Open)) return OpenResult::Failed;
    OpenResult result = OpenResult::Failed;
    ClearSystemError();
    m_pStream = OpenForTextWrite(path, result);
    if (m_pStream == nullptr) {
        if (result == OpenResult::Failed) m_strError = SystemErrorText();
        return result;
    }
    m_strPath = path;
    if (!m_buffer) m_buffer.reset(new char[kBufferSize]);
    std::setvbuf(m_pStream, m_buffer.get(), _IOFBF, kBufferSize);
    return OpenResult::Opened;
}

OpenResult TextOutStream::OpenReplacing(const CString& target, const CString& temporary) {
    OpenResult result = Open(temporary);
    if (result == OpenResult::Opened) m_strTarget = target;
    return result;
}

void TextOutStream::EncodeAsUtf16(Utf16Order order) {
    if (m_pStream == nullptr) return;
    SetStreamBinary(m_pStream);
    m_encoder = std::make_unique<Utf16Encoder>(order);
}

void TextOutStream::Write(const char* data, size_t size) {
    if (m_pStream == nullptr || size == 0) return;
    if (IoFaults::ShouldFail(IoOp::Write)) {
        m_bFailed = true;
    } else if (m_encoder) {
        m_encoded.clear();
        m_encoder->Encode(data, size, m_encoded);
        if (!Put(m_encoded.data(), m_encoded.size())) Failed();
    } else if (!WriteTextMode(m_pStream, data, size)) {
        Failed();
    }
}

bool TextOutStream::Put(const char* data, size_t size) {
    return std::fwrite(data, 1, size, m_pStream) == size;
}

// Remembers a failure that the system has just reported, with its reason when it is the first.
void TextOutStream::Failed() {
    if (!m_bFailed && m_strError.empty()) m_strError = SystemErrorText();
    m_bFailed = true;
}

bool TextOutStream::Close() {
    if (m_pStream == nullptr) return !m_bFailed;
    if (m_encoder) {
        m_encoded.clear();
        m_encoder->Finish(m_encoded);
        m_encoder.reset();
        if (!Put(m_encoded.data(), m_encoded.size())) Failed();
    }
    bool failed = IoFaults::ShouldFail(IoOp::Close);
    if (std::fclose(m_pStream) != 0) Failed();
    m_pStream = nullptr;
    return !(failed || m_bFailed);
}

// The one step that completes a chunk's file. The identity is taken while the stream is open, so
// that a replace that fails removes its own file and nothing put under that name meanwhile.
bool TextOutStream::Finish() {
    if (m_strTarget.empty()) return Close();
    FileIdentity written;
    const bool known = GetStreamIdentity(m_pStream, written);
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

bool TextOutStream::CloseAndRemove() {
    if (m_pStream == nullptr) return false;
    bool removed = CloseAndRemoveTextFile(m_pStream, m_strPath);
    m_pStream = nullptr;
    m_strTarget.clear();
    return removed;
}

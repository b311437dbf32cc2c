// TextOutStream: an ISO C stream opened with mode "w+" for one chunk file, in the C library's
// text mode: on Windows every LF written is stored as CR LF, elsewhere text is stored as it is.
#pragma once

#include "StringTypes.h"
#include "TextMode.h"

#include <cstddef>
#include <cstdio>
#include <memory>

class TextOutStream {
public:
    TextOutStream() = default;
    ~TextOutStream();

    // Opens path for writing as how says (see OpenForTextWrite); spare is a file that a Replace
    // must leave untouched. A stream beyond the platform's limit, or a failure injected by a
    // test, is Failed before the file system is touched.
    OpenResult Open(const CString& path, WriteOpen how, const FileIdentity* spare = nullptr);
    bool IsOpen() const { return m_pStream != nullptr; }

    // Writes size bytes. A failure is remembered and reported by Close.
    void Write(const char* data, size_t size);
    void Write(const CString& text) { Write(text.data(), text.size()); }

    // Closes the stream; false when this or any earlier write failed or the close failed.
    bool Close();
    // Closes the stream and removes the file it wrote at path (an unfinished file); true when the
    // file is gone. A file put at path by someone else meanwhile stays.
    bool CloseAndRemove(const CString& path);

    TextOutStream(TextOutStream&& other) noexcept;
    TextOutStream& operator=(TextOutStream&& other) noexcept;
    TextOutStream(const TextOutStream&) = delete;
    TextOutStream& operator=(const TextOutStream&) = delete;

private:
    std::FILE* m_pStream = nullptr;
    std::unique_ptr<char[]> m_buffer; // the stream's buffer, large enough for most chunks at once
    bool m_bFailed = false;
};

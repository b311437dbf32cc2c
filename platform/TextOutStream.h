// TextOutStream: one chunk file opened for writing as mode "w+" would, in the C library's text
// mode: on Windows every LF written is stored as CR LF, elsewhere text is stored as it is. The
// stream buffers what is written itself; text longer than its buffer goes to the file straight
// from where it lies. A stream may instead store its UTF-8 text as UTF-16 (see Utf16.h).
#pragma once

#include "StringTypes.h"
#include "TextMode.h"
#include "Utf16.h"

#include <cstddef>
#include <cstdio>
#include <memory>

class TextOutStream {
public:
    TextOutStream() = default;
    ~TextOutStream();

    // Creates path as a new file, exclusively, and opens it for writing. A failure injected by a
    // test is Failed before the file system is touched.
    OpenResult Open(const CString& path);
    // Leaves the stream closed, with reason as its error text, without touching the file system:
    // for a writer that has as many streams open as the platform allows (MaxTextWriteStreams).
    void Refuse(const CString& reason) { m_strError = reason; }
    // Opens a new file at temporary (created exclusively, as Open does) that Finish moves over
    // the entry at target: until then target keeps what it holds.
    OpenResult OpenReplacing(const CString& target, const CString& temporary);
    bool IsOpen() const { return m_file != kNoTextFile; }
    // The path of the file written: the one opened, which is the temporary one of a replace.
    const CString& WrittenPath() const { return m_strPath; }

    // From here on the text written is UTF-8 and stored as UTF-16 of order, byte order mark
    // first; called on an open stream before anything is written.
    void EncodeAsUtf16(Utf16Order order);

    // Hands a buffer to a stream, for use once it is open, or takes its buffer back (null when it
    // has none), so that a writer of many files may keep one buffer for all of them.
    void UseBuffer(std::unique_ptr<char[]> buffer) { m_buffer = std::move(buffer); }
    std::unique_ptr<char[]> TakeBuffer() { return m_file == kNoTextFile ? std::move(m_buffer) : nullptr; }

    // Writes size bytes. A failure is remembered and reported by Close and Finish.
    void Write(const char* data, size_t size);
    void Write(const CString& text) { Write(text.data(), text.size()); }

    // Closes the stream; false when this or any earlier write failed or the close failed.
    bool Close();
    // Finishes the file: closes it and, for a replace, moves it over its target. False when a
    // write, the close or the move failed; a replace's file is then removed and its target left
    // as it was.
    bool Finish();
    // Closes the stream and removes the file it wrote (an unfinished file); true when the file is
    // gone. A file put in its place by someone else meanwhile stays. A replace's target stays.
    bool CloseAndRemove();
    // The system's reason for the first failure of the last Open, a write, Close or Finish (empty
    // when there was none or the system gave none).
    const CString& GetErrorText() const { return m_strError; }

    TextOutStream(TextOutStream&& other) noexcept;
    TextOutStream& operator=(TextOutStream&& other) noexcept;
    TextOutStream(const TextOutStream&) = delete;
    TextOutStream& operator=(const TextOutStream&) = delete;

private:
    void Failed();
    // Helpers
    void Put(const char* data, size_t size);
    bool Flush();

    TextFile m_file = kNoTextFile;
    std::unique_ptr<Utf16Encoder> m_encoder; // set when the text is stored as UTF-16
    std::string m_encoded;                   // room for the encoded text
    std::unique_ptr<char[]> m_buffer;        // kBufferSize bytes, once the stream was opened
    size_t m_buffered = 0;                   // bytes in it not written yet
    bool m_bFailed = false;
    CString m_strPath;   // the file written
    CString m_strTarget; // the entry it replaces when finished (empty: none)
    CString m_strError;  // see GetErrorText
};

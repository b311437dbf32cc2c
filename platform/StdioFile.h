// CStdioFile: a file opened read-only in text mode, shared with other readers and writers.
// The text is read in blocks, in the C library's text mode (kTextModeConverts): on Windows CR LF
// reads as LF, a lone CR stays, and the first Ctrl-Z byte ends the file; elsewhere the bytes are
// read as they are. NUL bytes are ordinary characters.
#pragma once

#include "FileSystem.h"
#include "StringTypes.h"
#include "Utf16.h"

#include <cstdint>
#include <cstdio>
#include <vector>

class CStdioFile {
public:
    CStdioFile() = default;
    ~CStdioFile();

    // Opens path for reading. A failure is the false result, never an exception.
    bool Open(const CString& path);
    bool IsOpen() const { return m_pStream != nullptr; }

    // From here on (before the first Read) the file is read as UTF-16 of order, decoded into
    // UTF-8 as Utf16.h says; positions still count the bytes as stored, and no Ctrl-Z ends the
    // text. Every read is then given room for at least 128 bytes.
    void DecodeUtf16(Utf16Order order) { m_utf16 = order; }

    // Reads the next block of converted text, at most size bytes, into dst; 0 only at the end of
    // the text. A read error throws CFileException.
    size_t Read(char* dst, size_t size);
    // Where the next Read begins, in bytes of the file as stored.
    uint64_t GetPosition() const { return m_position; }
    // Reads converted text as Read would from the stored position at, which must be where a Read
    // began or ended, without moving where the next Read begins; next becomes the position after
    // what was read. 0 only at the end of the text, or always where CanReadAhead() is false. A
    // read error throws CFileException.
    size_t ReadAhead(uint64_t at, char* dst, size_t size, uint64_t& next);
    // True when the file can be read ahead: a regular file, or a pipe or a device whose text read
    // ahead goes to a temporary file (the spill), from which the following Reads take it again.
    bool CanReadAhead() const { return m_bSeekable || m_pSpill != nullptr; }

    // Closes the file; a close error throws CFileException. Closing a closed file does nothing.
    void Close();
    // Closes the file without reporting errors (for clean-up after a failure).
    void Abort();

    // The size of the open file as stored, in bytes (0 when not known).
    uint64_t GetLength() const;

    // The file's name with its extension, and its full path as opened.
    CString GetFileName() const;
    const CString& GetFilePath() const { return m_strPath; }
    // The identity of the open file, asked through its handle; false when closed or unknown.
    bool GetIdentity(FileIdentity& id) const;

    CStdioFile(const CStdioFile&) = delete;
    CStdioFile& operator=(const CStdioFile&) = delete;

private:
    // Helpers
    // room: the most bytes that may be taken from stream (the spill holds no more of the source)
    size_t ReadConverted(std::FILE* stream, char* dst, size_t size, bool& atEnd, uint64_t& position,
                         uint64_t room = UINT64_MAX);
    size_t ReadUtf16(std::FILE* stream, char* dst, size_t size, uint64_t& position, uint64_t room);
    size_t TakeWanted(std::FILE* stream, std::vector<unsigned char>& raw, size_t size, uint64_t most);
    size_t ReadSpilled(uint64_t at, char* dst, size_t size, bool& atEnd, uint64_t& next);
    void SeekSpill(uint64_t at);
    [[noreturn]] void ThrowReadError() const;

    // Member variables
    std::FILE* m_pStream = nullptr;
    CString m_strPath;       // full path, set by Open
    uint64_t m_position = 0; // where the next Read begins
    bool m_bEnd = false;     // the text reached its end (the file's end or a Ctrl-Z)
    bool m_bMoved = false;   // a look-ahead moved the stream away from m_position
    bool m_bSeekable = false;
    // A source that cannot seek: the bytes read ahead of m_position, [m_spillBase, m_spillBase +
    // m_spillSize) of the source, in the spill from its start.
    std::FILE* m_pSpill = nullptr;
    uint64_t m_spillBase = 0;
    uint64_t m_spillSize = 0;
    Utf16Order m_utf16 = Utf16Order::None;
    std::vector<unsigned char> m_raw; // the stored bytes of a UTF-16 read
};

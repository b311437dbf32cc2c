// CStdioFile: a file opened read-only in text mode, shared with other readers and writers.
// Text mode means the Windows rules on every platform: CR LF reads as LF, a lone CR stays, and
// the first Ctrl-Z byte ends the file. NUL bytes are ordinary characters.
#pragma once

#include "FileSystem.h"
#include "StringTypes.h"

#include <cstdint>
#include <cstdio>

class CStdioFile {
public:
    CStdioFile() = default;
    ~CStdioFile();

    // Opens path for reading. A failure is the false result, never an exception.
    bool Open(const CString& path);
    bool IsOpen() const { return m_pStream != nullptr; }

    // Reads the next line without its LF; false at the end of the file.
    // A read error throws CFileException.
    bool ReadString(CString& line);

    // Reads the rest of the file in one go, each line ended by LF (one is added after a last line
    // that has none). The text is converted while it is read, so the file is held in memory once.
    // A read error throws CFileException.
    CString ReadText();

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

    // Caps every read of the file at bytes (0: no cap), so that tests can put block boundaries
    // anywhere in a small file.
    static void SetReadBlockLimit(size_t bytes) { s_readBlockLimit = bytes; }

    CStdioFile(const CStdioFile&) = delete;
    CStdioFile& operator=(const CStdioFile&) = delete;

private:
    // Helpers
    void FillBuffer();
    size_t ReadBlock(char* dst, size_t size);
    [[noreturn]] void ThrowReadError() const;

    // Member variables
    std::FILE* m_pStream = nullptr;
    CString m_strPath; // full path, set by Open
    CString m_buffer;  // converted text not yet handed out by ReadString
    size_t m_bufferPos = 0;
    bool m_bEnd = false; // the stream reached its end (or a Ctrl-Z)
    static inline size_t s_readBlockLimit = 0;
};

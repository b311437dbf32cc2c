// The platform half of text-mode files: opening a file for shared text reading and reading and
// writing it by the rules of the platform's C library (see kTextModeConverts).
#pragma once

#include "FileSystem.h"
#include "StringTypes.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

// The C library's text mode. On Windows a text stream stores every LF as CR LF, and reading turns
// CR LF into LF (a lone CR stays), ends the text at its first Ctrl-Z and ends a last line that has
// no line end; elsewhere text is its bytes as they are, both ways.
#if defined(_WIN32)
constexpr bool kTextModeConverts = true;
#else
constexpr bool kTextModeConverts = false;
#endif
// How a line of text ends where this program writes it (the log): CR LF on Windows, LF elsewhere.
constexpr const char* kLineEnd = kTextModeConverts ? "\r\n" : "\n";

// Opens path read-only, as bytes, for text reading; other readers and writers allowed. Null on
// failure or when path is a folder.
std::FILE* OpenForTextRead(const CString& path);

// Reads up to size bytes of text (converted where text mode converts) into dst. Returns 0 only at
// the end of the text. Sets atEnd when a Ctrl-Z ended the text and error when the stream reports a read error; adds the number
// of bytes taken from the file to consumed (a CR LF pair is never split between two reads).
size_t ReadTextMode(std::FILE* stream, char* dst, size_t size, bool& atEnd, bool& error, uint64_t& consumed);

// Moves a stream opened by OpenForTextRead to position, in bytes from the start of its file.
bool SeekTextRead(std::FILE* stream, uint64_t position);

// How many write streams may be open at once; a stream beyond it is refused before the file
// system is touched (the Windows runtime would create the file and only then find no free slot).
size_t MaxTextWriteStreams();

// How a chunk file is opened for writing. Either way the open itself checks what it finds, so
// that nothing can change between a question asked of the file system and the open.
enum class WriteOpen {
    CreateNew, // create the file; an entry of that name (file, folder, link, ...) is left alone
    Replace,   // create it, or empty an existing regular file unless it is the file to spare
};

// What an open for writing found.
enum class OpenResult {
    Opened,  // open, empty, ready for writing
    Exists,  // CreateNew: an entry of that name exists
    IsSpare, // Replace: the file is the one to spare (under this or another name); left untouched
    Failed,  // cannot be opened: no such folder, no access, a name the platform cannot take, or
             // not a regular file (a folder, a FIFO, a device): never written, never waited on
};

// Opens path with the effect of mode "w+" for writing chunk text, as how says; spare, when given,
// is the identity of a file that Replace must not empty. Null unless the result is Opened.
std::FILE* OpenForTextWrite(const CString& path, WriteOpen how, const FileIdentity* spare,
                            OpenResult& result);

// Closes a stream that OpenForTextWrite opened on path and removes its file, but only while path
// still names that file (asked through the open stream, so that an entry put in its place
// meanwhile stays). True when the file is gone.
bool CloseAndRemoveTextFile(std::FILE* stream, const CString& path);

// Writes size bytes of text (each LF stored as CR LF where text mode converts); false on a write error.
bool WriteTextMode(std::FILE* stream, const char* data, size_t size);

// Puts standard output into binary mode, so that text written there arrives byte for byte.
void SetStdoutBinary();

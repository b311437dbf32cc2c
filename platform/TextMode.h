// The platform half of text-mode files: opening a file for shared text reading and reading it
// with the Windows text-mode rules (CR LF becomes LF, a lone CR stays, Ctrl-Z ends the file).
#pragma once

#include "FileSystem.h"
#include "StringTypes.h"

#include <cstddef>
#include <cstdio>

// Opens path read-only for text reading, other readers and writers allowed; null on failure.
std::FILE* OpenForTextRead(const CString& path);

// Reads up to size converted bytes into dst. Returns 0 only at the end of the file. Sets atEnd
// when a Ctrl-Z ended the file and error when the stream reports a read error.
size_t ReadTextMode(std::FILE* stream, char* dst, size_t size, bool& atEnd, bool& error);

// The number of bytes from the stream's position to the end of its file (0 when unknown).
size_t RemainingBytes(std::FILE* stream);

// Says that the buffer [data, data + size), not yet touched, will hold a large text read through
// several times, so that the system may back it with large pages. Only a hint.
void AdviseLargeBuffer(char* data, size_t size);

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

// Writes size bytes of text, each LF stored as CR LF; false on a write error.
bool WriteTextMode(std::FILE* stream, const char* data, size_t size);

// Puts standard output into binary mode, so that text written there arrives byte for byte.
void SetStdoutBinary();

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

// What an open for writing found.
enum class OpenResult {
    Opened, // created new, empty, ready for writing
    Exists, // an entry of that name (file, folder, link, ...) exists and was left alone
    Failed, // cannot be created: no such folder, no access, a name the platform cannot take
};

// A file open for writing chunk text, unbuffered: on Windows an ISO C stream, whose text mode
// stores each LF as CR LF; elsewhere its descriptor, since the text goes as it is. Its writer
// (TextOutStream) buffers.
#if defined(_WIN32)
using TextFile = std::FILE*;
constexpr TextFile kNoTextFile = nullptr;
#else
using TextFile = int;
constexpr TextFile kNoTextFile = -1;
#endif

// Creates path as a new file, exclusively, and opens it with the effect of mode "w+" for writing
// chunk text. kNoTextFile unless the result is Opened.
TextFile OpenForTextWrite(const CString& path, OpenResult& result);

// What an entry found under a name is, asked of the entry itself (a link there is not followed,
// except to ask whether it leads to the file to spare).
enum class EntryKind {
    Missing,     // nothing of that name (any more)
    Replaceable, // a regular file or a symbolic link (wherever it leads): replaced as an entry
    IsSpare,     // the file to spare, under this or another name, or a link to it
    Other,       // a folder, a FIFO, a device, a hidden or system file: never replaced
};
// spare, when given, is the identity of the file to spare.
EntryKind InspectEntry(const CString& path, const FileIdentity* spare);

// Moves the closed file at from over the entry at to in one step of the file system: afterwards
// to names that file, whatever it named before (a link there is replaced, never written through).
// False when it cannot (to is a folder, say); both names are then left as they were.
bool ReplaceEntry(const CString& from, const CString& to);

// Removes the entry at path, but only while it names the file id (asked of the entry, so that
// an entry put in its place meanwhile stays). True when it is gone.
bool RemoveIfSameFile(const CString& path, const FileIdentity& id);

// The identity of an open file (see FileIdentity); false when the system cannot tell.
bool GetTextFileIdentity(TextFile file, FileIdentity& id);

// Writes size bytes of text, all of them (each LF stored as CR LF where text mode converts);
// false on a write error.
bool WriteTextFile(TextFile file, const char* data, size_t size);

// Closes a file that OpenForTextWrite opened; false when the system reports a failure.
bool CloseTextFile(TextFile file);

// Closes a file that OpenForTextWrite opened on path and removes it, but only while path still
// names that file. True when the file is gone.
bool CloseAndRemoveTextFile(TextFile file, const CString& path);

// Puts a file opened by OpenForTextWrite into binary mode (where text mode converts), before
// anything is written to it: its bytes are then stored as they are.
void SetTextFileBinary(TextFile file);

// Puts standard output into binary mode, so that text written there arrives byte for byte.
void SetStdoutBinary();

// The file-system services the engine needs, with a Win32 and a POSIX implementation.
// Paths are 8-bit strings in the platform's form; kPathSeparator is the one separator the
// program writes ("\" on Windows, "/" elsewhere).
#pragma once

#include "StringTypes.h"

#include <cstdint>
#include <cstdio>

#if defined(_WIN32)
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// True when a find-first-file search for path finds an entry (a file or a folder). As with
// FindFirstFileA, "*" and "?" in the last component are wildcards, and a path that ends with a
// separator finds nothing. Any failure counts as finding nothing, so an answer of nothing is
// only a guess until an exclusive create (OpenForTextWrite) confirms it.
bool FindExists(const CString& path);

// True only when the first entry that a find-first-file search for path finds is a folder.
bool IsFolder(const CString& path);

// True when path names an existing folder by the platform's plain attribute query (a trailing
// separator and a drive's root are fine here).
bool FolderExists(const CString& path);

// Forgets the reason of the last failed system call, so that SystemErrorText names only a later
// one.
void ClearSystemError();
// The reason of the last failed system call on this thread in the system's words (strerror of
// errno; on Windows FormatMessage of GetLastError), or empty when none was set since the clear.
CString SystemErrorText();

// Creates one folder level (a missing parent is not created); true on success.
bool CreateFolder(const CString& path);

// The absolute form of path, as the platform's full-path rules make it (no link resolution).
CString GetFullPath(const CString& path);

// The last component of path: the text after its last separator.
CString GetFileNameOf(const CString& path);

// The identity of an existing file: device and inode, or volume serial and file index.
struct FileIdentity {
    uint64_t volume = 0;
    uint64_t index = 0;
    bool operator==(const FileIdentity& other) const {
        return volume == other.volume && index == other.index;
    }
};

// Fills id for the file an open stream reads or writes; false when it cannot be asked.
bool GetStreamIdentity(std::FILE* stream, FileIdentity& id);

// The size of the file an open stream reads, in bytes as stored; 0 when it cannot be asked or
// the stream is not on a regular file.
uint64_t GetStreamLength(std::FILE* stream);
// True when an open stream is on a regular file (not a pipe, a device or a console).
bool IsRegularStream(std::FILE* stream);

#if defined(_WIN32)
// Fills id for the file an open handle (a HANDLE) refers to; false when it cannot be asked.
bool GetHandleIdentity(void* handle, FileIdentity& id);

// True when the full form of path is shorter than limit characters: what the ANSI file functions
// can take (MAX_PATH for files, 12 fewer for folders).
bool FitsPlatformPath(const CString& path, size_t limit);
#endif

// The longest file name, in bytes of UTF-8, that every file system of the platform takes: NAME_MAX
// on Linux; on Windows a name holds 255 UTF-16 code units, never fewer than its UTF-8 bytes (the
// whole path must still be shorter than MAX_PATH there).
constexpr size_t kMaxFileNameBytes = 255;

// True when file names may hold any Unicode character, written as UTF-8: always on POSIX; on
// Windows while the process's ANSI code page is UTF-8 (as the manifest asks; Windows before
// version 1903 ignores that and keeps its legacy code page).
bool FileNamesTakeUnicode();

// The form in which two paths compare equal exactly when the file system takes them for the same
// name: the path itself where names are case-sensitive, ASCII lower case on Windows.
CString PathCompareKey(const CString& path);
// True where PathCompareKey changes a path (names are compared without regard to letter case).
#if defined(_WIN32)
constexpr bool kNamesIgnoreCase = true;
#else
constexpr bool kNamesIgnoreCase = false;
#endif

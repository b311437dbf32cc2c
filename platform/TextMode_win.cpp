// Text-mode files on Windows: the C runtime's own text mode converts what is written; reading
// converts in TextMode.cpp, as everywhere.
#include "TextMode.h"

#include "Win32.h"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <stdio.h>

std::FILE* OpenForTextRead(const CString& path) {
    return _fsopen(path.c_str(), "rb", _SH_DENYNO);
}

bool SeekTextRead(std::FILE* stream, uint64_t position) {
    return position <= static_cast<uint64_t>(INT64_MAX) &&
           _fseeki64(stream, static_cast<long long>(position), SEEK_SET) == 0;
}

size_t MaxTextWriteStreams() {
    // The runtime's own table: raised once from its default of 512; kept clear of the standard
    // streams, the source and a few for the program's other files.
    static const int streams = _setmaxstdio(2048) > 0 ? 2048 : _getmaxstdio();
    return streams > 16 ? static_cast<size_t>(streams - 16) : 0;
}

TextFile OpenForTextWrite(const CString& path, OpenResult& result) {
    result = OpenResult::Failed;
    // A path the ANSI file functions cannot take is refused here, not left to a layer that may
    // take it in one call and not in the next.
    if (!FitsPlatformPath(path, MAX_PATH)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) result = OpenResult::Exists;
        return nullptr;
    }
    // A device name opens the device, not a file: refused.
    int fd = GetFileType(file) == FILE_TYPE_DISK ? _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_TEXT) : -1;
    if (fd < 0) {
        CloseHandle(file);
        return nullptr;
    }
    std::FILE* stream = _fdopen(fd, "w+t");
    if (stream == nullptr) {
        _close(fd);
        return nullptr;
    }
    // Its writer buffers: the runtime converts each write as it comes and stores it at once.
    std::setvbuf(stream, nullptr, _IONBF, 0);
    result = OpenResult::Opened;
    return stream;
}

EntryKind InspectEntry(const CString& path, const FileIdentity* spare) {
    WIN32_FILE_ATTRIBUTE_DATA entry;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &entry)) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? EntryKind::Missing
                                                                              : EntryKind::Other;
    }
    // A hidden or system file is refused as the runtime's own truncating open refuses it.
    if ((entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0)
        return EntryKind::Other;
    if (spare != nullptr) {
        HANDLE target = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    0, nullptr);
        FileIdentity there;
        const bool same = GetHandleIdentity(target, there) && there == *spare;
        if (target != INVALID_HANDLE_VALUE) CloseHandle(target);
        if (same) return EntryKind::IsSpare;
    }
    return EntryKind::Replaceable;
}

bool ReplaceEntry(const CString& from, const CString& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

// The name is opened for deletion and marked only when it leads to the file id; the file goes
// when the last handle on it closes.
bool RemoveIfSameFile(const CString& path, const FileIdentity& id) {
    HANDLE named = CreateFileA(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (named == INVALID_HANDLE_VALUE) return false;
    FileIdentity there;
    FILE_DISPOSITION_INFO disposition = {TRUE};
    bool removed = GetHandleIdentity(named, there) && there == id &&
                   SetFileInformationByHandle(named, FileDispositionInfo, &disposition, sizeof disposition);
    CloseHandle(named);
    return removed;
}

bool GetTextFileIdentity(TextFile file, FileIdentity& id) {
    return GetStreamIdentity(file, id);
}

bool WriteTextFile(TextFile file, const char* data, size_t size) {
    return std::fwrite(data, 1, size, file) == size;
}

bool CloseTextFile(TextFile file) {
    return std::fclose(file) == 0;
}

void SetTextFileBinary(TextFile file) {
    _setmode(_fileno(file), _O_BINARY);
}

void SetStdoutBinary() {
    _setmode(_fileno(stdout), _O_BINARY);
}

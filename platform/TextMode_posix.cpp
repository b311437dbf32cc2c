// Text-mode files on POSIX: the C library's text mode reads and writes bytes as they are.
#include "TextMode.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

std::FILE* OpenForTextRead(const CString& path) {
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    if (stream == nullptr) return nullptr;
    struct stat info;
    if (fstat(fileno(stream), &info) != 0 || S_ISDIR(info.st_mode)) {
        std::fclose(stream);
        errno = EISDIR;
        return nullptr;
    }
    return stream;
}

// Running out of descriptors fails the open before the file is created, so no limit of our own.
size_t MaxTextWriteStreams() {
    return static_cast<size_t>(-1);
}

bool SeekTextRead(std::FILE* stream, uint64_t position) {
    return position <= static_cast<uint64_t>(std::numeric_limits<off_t>::max()) &&
           fseeko(stream, static_cast<off_t>(position), SEEK_SET) == 0;
}

std::FILE* OpenForTextWrite(const CString& path, OpenResult& result) {
    result = OpenResult::Failed;
    // Exclusive ("x": O_CREAT with O_EXCL): an existing entry of any kind, a FIFO or a link too,
    // is never opened. One system call, where opening the descriptor and then a stream on it
    // takes two.
    std::FILE* stream = std::fopen(path.c_str(), "w+xe");
    if (stream == nullptr && errno == EEXIST) result = OpenResult::Exists;
    else if (stream != nullptr) result = OpenResult::Opened;
    return stream;
}

EntryKind InspectEntry(const CString& path, const FileIdentity* spare) {
    struct stat entry, target;
    if (lstat(path.c_str(), &entry) != 0) return errno == ENOENT ? EntryKind::Missing : EntryKind::Other;
    if (!S_ISREG(entry.st_mode) && !S_ISLNK(entry.st_mode)) return EntryKind::Other;
    if (spare != nullptr && stat(path.c_str(), &target) == 0 &&
        FileIdentity{static_cast<uint64_t>(target.st_dev), static_cast<uint64_t>(target.st_ino)} == *spare)
        return EntryKind::IsSpare;
    return EntryKind::Replaceable;
}

bool ReplaceEntry(const CString& from, const CString& to) {
    return rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveIfSameFile(const CString& path, const FileIdentity& id) {
    struct stat named;
    return lstat(path.c_str(), &named) == 0 &&
           FileIdentity{static_cast<uint64_t>(named.st_dev), static_cast<uint64_t>(named.st_ino)} == id &&
           unlink(path.c_str()) == 0;
}

// The C library's text mode here stores text as it is.
bool WriteTextMode(std::FILE* stream, const char* data, size_t size) {
    return std::fwrite(data, 1, size, stream) == size;
}

void SetStreamBinary(std::FILE*) {}

void SetStdoutBinary() {}

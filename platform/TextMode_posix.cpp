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

// Exclusive (O_CREAT with O_EXCL): an existing entry of any kind, a FIFO or a link too, is never
// opened. One system call.
TextFile OpenForTextWrite(const CString& path, OpenResult& result) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    result = fd >= 0 ? OpenResult::Opened : errno == EEXIST ? OpenResult::Exists : OpenResult::Failed;
    return fd;
}

bool GetTextFileIdentity(TextFile file, FileIdentity& id) {
    struct stat info;
    if (file < 0 || fstat(file, &info) != 0) return false;
    id = {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
    return true;
}

// A write may take part of the text, or be interrupted before it takes any: it goes on.
bool WriteTextFile(TextFile file, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = write(file, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool CloseTextFile(TextFile file) {
    return close(file) == 0;
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

void SetTextFileBinary(TextFile) {}

void SetStdoutBinary() {}

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

namespace {

// The stream on a descriptor of a file that passed the checks; null (descriptor closed) on failure.
std::FILE* StreamOn(int fd, OpenResult& result) {
    std::FILE* stream = fdopen(fd, "w+");
    if (stream == nullptr) {
        close(fd);
        return nullptr;
    }
    result = OpenResult::Opened;
    return stream;
}

} // namespace

std::FILE* OpenForTextWrite(const CString& path, WriteOpen how, const FileIdentity* spare,
                            OpenResult& result) {
    result = OpenResult::Failed;
    // Non-blocking, so that a FIFO is refused below instead of waited on (the flag means nothing
    // to a regular file).
    const int flags = O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    // A missing file is created new, and then is the regular file just made; an existing entry
    // is never created over. A name that goes between the two opens below is tried once more.
    for (int attempt = 0; attempt < 2; ++attempt) {
        int fd = open(path.c_str(), flags | O_CREAT | O_EXCL, 0666);
        if (fd >= 0) return StreamOn(fd, result);
        if (errno != EEXIST) return nullptr;
        if (how == WriteOpen::CreateNew) {
            result = OpenResult::Exists;
            return nullptr;
        }
        // Replace: the entry is opened as it is (through a link) and checked through the handle
        // before it is emptied. A link that leads nowhere is refused, not followed out of the folder.
        fd = open(path.c_str(), flags);
        if (fd < 0) {
            if (errno == ENOENT) continue;
            return nullptr;
        }
        struct stat info;
        if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            close(fd);
            return nullptr;
        }
        if (spare != nullptr &&
            FileIdentity{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)} == *spare) {
            close(fd);
            result = OpenResult::IsSpare;
            return nullptr;
        }
        if (info.st_size != 0 && ftruncate(fd, 0) != 0) {
            close(fd);
            return nullptr;
        }
        return StreamOn(fd, result);
    }
    return nullptr;
}

bool CloseAndRemoveTextFile(std::FILE* stream, const CString& path) {
    struct stat open, named;
    bool same = fstat(fileno(stream), &open) == 0 && lstat(path.c_str(), &named) == 0 &&
                open.st_dev == named.st_dev && open.st_ino == named.st_ino;
    // Removed while still open, so that the name is checked and removed as close together as
    // the system allows; the buffered text then goes nowhere.
    bool removed = same && unlink(path.c_str()) == 0;
    std::fclose(stream);
    return removed;
}

// The C library's text mode here stores text as it is.
bool WriteTextMode(std::FILE* stream, const char* data, size_t size) {
    return std::fwrite(data, 1, size, stream) == size;
}

void SetStdoutBinary() {}

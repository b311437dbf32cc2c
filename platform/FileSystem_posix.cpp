// File-system services on POSIX, with the find-first-file rules of Windows where the engine
// relies on them (wildcards in the last component, no match for a trailing separator).
#include "FileSystem.h"

#include "IoFaults.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool HasWildcard(const CString& name) {
    return name.find_first_of("*?") != CString::npos;
}

// "*" matches any run of characters, "?" any one character; everything else matches itself.
bool WildcardMatch(const char* pattern, const char* name) {
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name != '\0') {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == '?' || *pattern == *name) {
            ++pattern;
            ++name;
        } else if (star != nullptr) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

// The first entry a find-first-file search for path finds: its full name in found. False if none.
bool FindFirst(const CString& path, CString& found) {
    size_t slash = path.rfind(kPathSeparator);
    CString name = slash == CString::npos ? path : path.substr(slash + 1);
    if (name.empty()) return false;
    if (!HasWildcard(name)) {
        struct stat info;
        if (lstat(path.c_str(), &info) != 0) return false;
        found = path;
        return true;
    }
    CString folder = slash == CString::npos ? CString(".") : path.substr(0, slash + 1);
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return false;
    bool matched = false;
    while (const dirent* entry = readdir(dir)) {
        if (WildcardMatch(name.c_str(), entry->d_name)) {
            found = (slash == CString::npos ? CString() : folder) + entry->d_name;
            matched = true;
            break;
        }
    }
    closedir(dir);
    return matched;
}

} // namespace

bool FindExists(const CString& path) {
    if (IoFaults::ShouldFail(IoOp::Find)) return false;
    CString found;
    return FindFirst(path, found);
}

bool IsFolder(const CString& path) {
    CString found;
    struct stat info;
    return FindFirst(path, found) && stat(found.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool FolderExists(const CString& path) {
    struct stat info;
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void ClearSystemError() {
    errno = 0;
}

CString SystemErrorText() {
    return errno != 0 ? CString(std::strerror(errno)) : CString();
}

bool CreateFolder(const CString& path) {
    if (IoFaults::ShouldFail(IoOp::CreateFolder)) return false;
    return mkdir(path.c_str(), 0777) == 0;
}

CString GetFullPath(const CString& path) {
    CString joined = path;
    if (path.empty() || path[0] != '/') {
        CString cwd(4096, '\0');
        while (getcwd(&cwd[0], cwd.size()) == nullptr) {
            if (errno != ERANGE) return path;
            cwd.resize(cwd.size() * 2);
        }
        cwd.resize(cwd.find('\0'));
        joined = cwd + "/" + path;
    }
    // Fold "." and ".." and doubled separators by the text alone, as a full-path call does.
    CStringList parts;
    size_t start = 0;
    while (start <= joined.size()) {
        size_t slash = joined.find('/', start);
        if (slash == CString::npos) slash = joined.size();
        CString part = joined.substr(start, slash - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = slash + 1;
    }
    CString full;
    for (const CString& part : parts)
        full += "/" + part;
    if (full.empty() || (joined.size() > 1 && joined.back() == '/')) full += "/";
    return full;
}

CString GetFileNameOf(const CString& path) {
    size_t slash = path.rfind(kPathSeparator);
    return slash == CString::npos ? path : path.substr(slash + 1);
}

bool GetStreamIdentity(std::FILE* stream, FileIdentity& id) {
    struct stat info;
    if (stream == nullptr || fstat(fileno(stream), &info) != 0) return false;
    id.volume = static_cast<uint64_t>(info.st_dev);
    id.index = static_cast<uint64_t>(info.st_ino);
    return true;
}

uint64_t GetStreamLength(std::FILE* stream) {
    struct stat info;
    if (stream == nullptr || fstat(fileno(stream), &info) != 0 || !S_ISREG(info.st_mode)) return 0;
    return static_cast<uint64_t>(info.st_size);
}

bool IsRegularStream(std::FILE* stream) {
    struct stat info;
    return stream != nullptr && fstat(fileno(stream), &info) == 0 && S_ISREG(info.st_mode);
}

CString PathCompareKey(const CString& path) {
    return path;
}

bool FileNamesTakeUnicode() {
    return true;
}

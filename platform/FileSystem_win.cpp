// File-system services on Windows.
#include "FileSystem.h"

#include "IoFaults.h"

#include "Win32.h"

#include <cerrno>
#include <cstring>
#include <io.h>

bool FindExists(const CString& path) {
    if (IoFaults::ShouldFail(IoOp::Find)) return false;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
}

bool IsFolder(const CString& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FolderExists(const CString& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return !path.empty() && attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void ClearSystemError() {
    SetLastError(0);
    errno = 0;
}

CString SystemErrorText() {
    const DWORD code = GetLastError();
    if (code == 0) return errno != 0 ? CString(std::strerror(errno)) : CString();
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    CString message = length != 0 ? CString(text, length) : "system error " + std::to_string(code);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.' ||
                                message.back() == ' '))
        message.pop_back();
    return message;
}

bool CreateFolder(const CString& path) {
    if (IoFaults::ShouldFail(IoOp::CreateFolder)) return false;
    if (!FitsPlatformPath(path, MAX_PATH - 12)) return false; // the ANSI limit for folders
    return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

CString GetFullPath(const CString& path) {
    char buffer[MAX_PATH];
    DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    if (length == 0) return path;
    if (length < sizeof buffer) return CString(buffer, length);
    CString longer(length, '\0');
    length = GetFullPathNameA(path.c_str(), length, &longer[0], nullptr);
    longer.resize(length);
    return longer;
}

CString GetFileNameOf(const CString& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == CString::npos ? path : path.substr(slash + 1);
}

bool GetHandleIdentity(void* handle, FileIdentity& id) {
    BY_HANDLE_FILE_INFORMATION info;
    if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &info)) return false;
    id.volume = info.dwVolumeSerialNumber;
    id.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

bool GetStreamIdentity(std::FILE* stream, FileIdentity& id) {
    return stream != nullptr &&
           GetHandleIdentity(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))), id);
}

uint64_t GetStreamLength(std::FILE* stream) {
    if (stream == nullptr) return 0;
    HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    LARGE_INTEGER size;
    if (file == INVALID_HANDLE_VALUE || GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size))
        return 0;
    return static_cast<uint64_t>(size.QuadPart);
}

bool IsRegularStream(std::FILE* stream) {
    return stream != nullptr &&
           GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)))) == FILE_TYPE_DISK;
}

bool FitsPlatformPath(const CString& path, size_t limit) {
    return GetFullPath(path).size() < limit;
}

CString PathCompareKey(const CString& path) {
    CString key = path;
    for (char& c : key)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return key;
}

bool FileNamesTakeUnicode() {
    return GetACP() == CP_UTF8;
}

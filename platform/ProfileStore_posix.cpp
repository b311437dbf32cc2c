// The user profile on POSIX: an INI file under the XDG configuration folder.
#include "ProfileStore.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

CString ConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && *xdg != '\0') return xdg;
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        const passwd* user = getpwuid(getuid());
        home = user != nullptr ? user->pw_dir : "/tmp";
    }
    return CString(home) + "/.config";
}

// The file's lines, without their line ends; empty when the file does not exist.
CStringList ReadLines(const CString& path) {
    CStringList lines;
    std::ifstream in(path, std::ios::binary);
    CString line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool IsSectionLine(const CString& line) {
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

// The index of entry's line within section, or npos. sectionEnd is where the section's lines end
// (npos when the section is missing).
size_t FindEntry(const CStringList& lines, const CString& section, const CString& entry, size_t& sectionEnd) {
    sectionEnd = CString::npos;
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const CString& line = lines[i];
        if (IsSectionLine(line)) {
            if (inSection) return CString::npos;
            inSection = line.compare(1, line.size() - 2, section) == 0;
            if (inSection) sectionEnd = i + 1;
            continue;
        }
        if (!inSection) continue;
        if (!line.empty()) sectionEnd = i + 1;
        if (line.size() > entry.size() && line.compare(0, entry.size(), entry) == 0 &&
            line[entry.size()] == '=')
            return i;
    }
    return CString::npos;
}

bool MakeFolders(const CString& path) {
    for (size_t slash = path.find('/', 1); slash != CString::npos; slash = path.find('/', slash + 1)) {
        CString folder = path.substr(0, slash);
        struct stat info;
        if (stat(folder.c_str(), &info) != 0 && mkdir(folder.c_str(), 0700) != 0) return false;
    }
    return true;
}

} // namespace

UserProfile::UserProfile(const CString& company, const CString& application)
    : m_strLocation(ConfigHome() + "/" + company + "/" + application + ".ini") {}

CString UserProfile::GetProfileString(const CString& section, const CString& entry,
                                      const CString& def) const {
    CStringList lines = ReadLines(m_strLocation);
    size_t sectionEnd = 0;
    size_t at = FindEntry(lines, section, entry, sectionEnd);
    if (at == CString::npos) return def;
    return UnescapeProfileValue(lines[at].substr(entry.size() + 1));
}

bool UserProfile::WriteProfileString(const CString& section, const CString& entry, const CString& value) {
    CStringList lines = ReadLines(m_strLocation);
    size_t sectionEnd = 0;
    size_t at = FindEntry(lines, section, entry, sectionEnd);
    CString line = entry + "=" + EscapeProfileValue(value);
    if (at != CString::npos) {
        lines[at] = line;
    } else if (sectionEnd != CString::npos) {
        lines.insert(lines.begin() + sectionEnd, line);
    } else {
        if (!lines.empty() && !lines.back().empty()) lines.push_back("");
        lines.push_back("[" + section + "]");
        lines.push_back(line);
    }
    if (!MakeFolders(m_strLocation)) return false;
    CString temporary = m_strLocation + ".tmp" + std::to_string(getpid());
    CString text;
    for (const CString& each : lines)
        text += each + "\n";
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (out == nullptr) return false;
    bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size() && std::fflush(out) == 0 &&
                   fsync(fileno(out)) == 0;
    if (std::fclose(out) != 0 || !written) {
        std::remove(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), m_strLocation.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

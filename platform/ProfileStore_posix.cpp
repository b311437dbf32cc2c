// The user profile on POSIX: an INI file under the XDG configuration folder.
#include "ProfileStore.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";

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

// The file as read: its lines without their line ends, and whether it began with a byte-order
// mark (kept apart from the first line, and written back by a write).
struct IniText {
    CStringList lines;
    bool bom = false;
    int error = 0; // the errno of a file that exists but could not be read, or kNotAFile
};
const int kNotAFile = -1; // a folder, a FIFO, a device: not read

IniText ReadIni(const CString& path) {
    IniText ini;
    // Opened without waiting (a FIFO), and read only when it is a regular file.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ini.error = fd < 0 ? (errno != ENOENT ? errno : 0) : kNotAFile;
        if (fd >= 0) close(fd);
        return ini;
    }
    std::FILE* in = fdopen(fd, "rb");
    if (in == nullptr) {
        ini.error = errno;
        close(fd);
        return ini;
    }
    CString text;
    char block[4096];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, in)) > 0)
        text.append(block, got);
    if (std::ferror(in) != 0) ini.error = errno != 0 ? errno : EIO;
    std::fclose(in);
    ini.bom = text.compare(0, 3, kByteOrderMark) == 0;
    for (size_t start = ini.bom ? 3 : 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == CString::npos) end = text.size();
        CString line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ini.lines.push_back(line);
        start = end + 1;
    }
    return ini;
}

// text without the blanks (spaces and tabs) at its ends.
CString Trim(const CString& text) {
    size_t start = text.find_first_not_of(" \t");
    if (start == CString::npos) return "";
    return text.substr(start, text.find_last_not_of(" \t") - start + 1);
}

// Lower-case copy, for comparing section and value names.
CString Folded(CString text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// One line of the file as the reader understands it.
struct IniLine {
    enum Kind {
        kBlank,         // empty, blanks only, or a comment (";" or "#" first)
        kSection,       // "[name]"
        kBrokenSection, // "[" without a closing "]": the lines below belong to no section
        kEntry,         // "name=value" inside a section
        kUnusable       // anything else
    } kind = kBlank;
    CString section;         // the section the line stands in (a section line: its own name)
    CString name;            // an entry's value name
    CString value;           // an entry's text after "=", still escaped
    const char* reason = ""; // why a broken or unusable line cannot be used
};

// Reads one line alone. A line ends at its first NUL byte, as a registry string does; blanks
// around a name or a section name and after "=" are not part of them.
IniLine ParseLine(const CString& raw) {
    IniLine line;
    const CString text = raw.c_str();
    const CString trimmed = Trim(text);
    if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') return line;
    if (trimmed[0] == '[') {
        bool closed = trimmed.size() >= 2 && trimmed.back() == ']';
        line.kind = closed ? IniLine::kSection : IniLine::kBrokenSection;
        if (closed) line.name = Trim(trimmed.substr(1, trimmed.size() - 2));
        line.reason = "a section name without its closing ']'";
        return line;
    }
    size_t equals = text.find('=');
    line.kind = IniLine::kUnusable;
    line.reason = equals == CString::npos ? "neither [section] nor name=value" : "no value name before '='";
    if (equals == CString::npos) return line;
    line.name = Trim(text.substr(0, equals));
    if (line.name.empty()) return line;
    line.kind = IniLine::kEntry;
    line.value = Trim(text.substr(equals + 1));
    return line;
}

// Every line of the file in its section. An entry outside any section (before the first one or
// after a broken section line) and a later entry of a name already seen in its section are
// unusable. A section may appear more than once; its entries add up.
std::vector<IniLine> ParseIni(const IniText& ini) {
    std::vector<IniLine> lines;
    std::set<CString> seen; // "section\nname" of every entry so far, folded
    bool inSection = false;
    CString section;
    for (const CString& raw : ini.lines) {
        IniLine line = ParseLine(raw);
        if (line.kind == IniLine::kSection || line.kind == IniLine::kBrokenSection) {
            inSection = line.kind == IniLine::kSection;
            section = line.name;
        }
        line.section = section;
        if (line.kind == IniLine::kBrokenSection) line.kind = IniLine::kUnusable;
        if (line.kind == IniLine::kEntry && !inSection) {
            line.kind = IniLine::kUnusable;
            line.reason = "a value outside any section";
        } else if (line.kind == IniLine::kEntry && !seen.insert(Folded(section + "\n" + line.name)).second) {
            line.kind = IniLine::kUnusable;
            line.reason = "a second value of the same name";
        }
        lines.push_back(line);
    }
    return lines;
}

// The index of entry's line within section, or npos. sectionEnd is the index after the last
// non-blank line of the section's first appearance (npos when the section is missing).
size_t FindEntry(const std::vector<IniLine>& lines, const CString& section, const CString& entry,
                 size_t& sectionEnd) {
    sectionEnd = CString::npos;
    bool first = false; // within the section's first appearance
    for (size_t i = 0; i < lines.size(); ++i) {
        const IniLine& line = lines[i];
        bool inside = Folded(line.section) == Folded(section);
        if (line.kind == IniLine::kSection)
            first = inside && sectionEnd == CString::npos;
        else if (!inside)
            first = false; // a broken section line ended it
        if (first && line.kind != IniLine::kBlank) sectionEnd = i + 1;
        if (inside && line.kind == IniLine::kEntry && Folded(line.name) == Folded(entry)) return i;
    }
    return CString::npos;
}

// A line as shown in a message: control bytes as \xNN.
CString Shown(const CString& line) {
    CString shown;
    for (unsigned char c : line) {
        if (c >= 0x20 && c != 0x7F) {
            shown += static_cast<char>(c);
            continue;
        }
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        shown += hex;
    }
    return shown;
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
    std::vector<IniLine> lines = ParseIni(ReadIni(m_strLocation));
    size_t sectionEnd = 0;
    size_t at = FindEntry(lines, section, entry, sectionEnd);
    if (at == CString::npos) return def;
    return UnescapeProfileValue(lines[at].value);
}

CStringList UserProfile::GetUnusableLines() const {
    IniText ini = ReadIni(m_strLocation);
    if (ini.error != 0)
        return {m_strLocation + ": cannot be read, so every value takes its default: " +
                (ini.error == kNotAFile ? "not a regular file" : std::strerror(ini.error))};
    std::vector<IniLine> lines = ParseIni(ini);
    CStringList unusable;
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].kind == IniLine::kUnusable)
            unusable.push_back(m_strLocation + ":" + std::to_string(i + 1) + ": ignored, " + lines[i].reason +
                               ": " + Shown(ini.lines[i]));
    return unusable;
}

CStringList UserProfile::GetValueNames(const CString& section) const {
    CStringList names;
    for (const IniLine& line : ParseIni(ReadIni(m_strLocation)))
        if (line.kind == IniLine::kEntry && Folded(line.section) == Folded(section)) names.push_back(line.name);
    return names;
}

bool UserProfile::WriteProfileString(const CString& section, const CString& entry, const CString& value) {
    IniText ini = ReadIni(m_strLocation);
    if (ini.error != 0) return false; // never replace a file whose lines could not be kept
    CStringList& lines = ini.lines;
    size_t sectionEnd = 0;
    size_t at = FindEntry(ParseIni(ini), section, entry, sectionEnd);
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
    CString text = ini.bom ? kByteOrderMark : "";
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

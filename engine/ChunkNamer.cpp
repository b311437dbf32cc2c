// Chunk naming: the full path of each chunk's file, from its folder, prefix, key values, number
// and extension.
#include "ChunkNamer.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace {

CString FormatNumber(const char* format, int number) {
    char text[32];
    int length = std::snprintf(text, sizeof text, format, number);
    return CString(text, length > 0 ? static_cast<size_t>(length) : 0);
}

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

CString FolderOf(const CString& path, bool keepSeparator) {
    size_t separator = path.rfind(kPathSeparator);
    if (separator == CString::npos) return path;
    return path.substr(0, keepSeparator ? separator + 1 : separator);
}

bool IsReservedDeviceName(const CString& path) {
    std::string_view name(path);
    name.remove_prefix(std::min(name.size(), path.rfind(kPathSeparator) + 1)); // npos + 1: none
    const size_t length = std::min(name.find('.'), name.size());
    if (length < 3 || length > 5) return false;
    auto is = [&name](const char* device) {
        return UpperAscii(name[0]) == device[0] && UpperAscii(name[1]) == device[1] &&
               UpperAscii(name[2]) == device[2];
    };
    if (length == 3) return is("CON") || is("PRN") || is("AUX") || is("NUL");
    // The digit: 1 to 9, or a superscript 1, 2 or 3 in the Windows code page or in UTF-8.
    auto superscript = [&name](size_t at) {
        const unsigned char c = static_cast<unsigned char>(name[at]);
        return c == 0xB9 || c == 0xB2 || c == 0xB3;
    };
    const bool digit = (length == 4 && ((name[3] >= '1' && name[3] <= '9') || superscript(3))) ||
                       (length == 5 && static_cast<unsigned char>(name[3]) == 0xC2 && superscript(4));
    return digit && (is("COM") || is("LPT"));
}

CString ChunkPath::NumberedVariant(int number) const {
    if (number == 0) return path;
    const size_t baseEnd = path.size() - 1 - ext.size(); // before "." and the extension
    return path.substr(0, numberAt) + "(" + std::to_string(number) + ")" + path.substr(numberAt, baseEnd - numberAt) +
           "." + ext;
}

CString ChunkNamer::MakePrefix(const CString& tag) const {
    CString prefix;
    if (m_options.GetEmitPrefix()) {
        if (m_options.GetUseSource()) {
            prefix = m_strSourceFileName;
            for (char& c : prefix)
                if (c == '.') c = '_';
        } else {
            prefix = m_options.GetPrefix();
        }
        if (m_options.GetAppendTagname()) {
            if (!prefix.empty()) prefix += '_';
            prefix += tag;
        }
    }
    if (!prefix.empty()) prefix += '_';
    return prefix;
}

ChunkPath ChunkNamer::MakeChunkPath(const CString& outputFolder, const CString& tag, const CStringList& values) {
    ChunkPath chunkPath;
    CString& name = chunkPath.name;
    for (const CString& value : values) {
        if (value.empty()) continue;
        if (!name.empty()) name += '_';
        name += value;
    }

    // A name the file system cannot take loses its end, at the start of a character, so that the
    // file name fits with room for a number "(nnnnnn)"; a prefix and extension too long for that
    // leave it as it is (its file then cannot be opened).
    const CString prefix = MakePrefix(tag);
    const CString& ext = m_options.GetExt();
    const size_t fixed = prefix.size() + 1 + ext.size() + 8;
    if (fixed < kMaxFileNameBytes && name.size() > kMaxFileNameBytes - fixed) {
        size_t cut = kMaxFileNameBytes - fixed;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }

    bool duplicate = false;
    if (name.empty())
        name = FormatNumber("%04d", ++m_unnamedCount);
    else
        duplicate = !m_usedNames.Insert(name);

    CString& path = chunkPath.path;
    path.reserve(outputFolder.size() + tag.size() + prefix.size() + name.size() + ext.size() + 16);
    path = outputFolder;
    path += kPathSeparator;
    if (m_options.GetSubfolders()) {
        // A tag that is a device name gets the folder of its first numbered form, as a file stem
        // would ("nul(1)"), the same for every chunk of the tag.
        const size_t folder = path.size();
        path += tag;
        if (IsReservedDeviceName(tag)) path.insert(folder + std::min(tag.find('.'), tag.size()), "(1)");
        path += kPathSeparator;
    }
    path += prefix;
    path += name;
    chunkPath.numberAt = path.size();
    const size_t dot = path.find('.', path.rfind(kPathSeparator) + 1); // the file name's first
    path += '.';
    path += ext;
    chunkPath.ext = ext;
    // A device name before the first "." of the file name stays one whatever number follows the
    // name: there the number goes right after the device name instead ("nul(1).v2_A.xml").
    const bool device = IsReservedDeviceName(path);
    if (device && dot != CString::npos) chunkPath.numberAt = dot;
    chunkPath.numbered = path == m_strSourcePath || duplicate || !m_options.GetOverwrite() || device;
    return chunkPath;
}

#include "Reference.h"

#include "NameCharacters.h"
#include "platform/FileSystem.h"
#include "platform/TextMode.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <regex>
#include <vector>

namespace reference {

namespace {

// strtok over a text that may hold NUL bytes: skips delimiters, gives the token up to the next
// one and consumes it; false at the end.
struct Tokens {
    const CString& text;
    size_t at = 0;
    bool Next(const char* delimiters, CString& token) {
        auto delimiter = [&](char c) { return c != '\0' && std::strchr(delimiters, c) != nullptr; };
        while (at < text.size() && delimiter(text[at]))
            ++at;
        if (at == text.size()) return false;
        size_t start = at;
        while (at < text.size() && !delimiter(text[at]))
            ++at;
        token = text.substr(start, at - start);
        if (at < text.size()) ++at;
        return true;
    }
};

bool RemoveFirst(CString& text, const char* marker) {
    size_t start = text.find(marker);
    size_t close = start == CString::npos ? start : text.find('>', start);
    if (close == CString::npos) return false;
    text.erase(start, close + 1 - start);
    return true;
}

// The path as the file system compares names: letter case ignored on Windows only.
CString Key(CString path) {
    if (kPathSeparator == '\\')
        for (char& c : path)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return path;
}

bool Contains(const CStringList& list, const CString& s) {
    return std::find(list.begin(), list.end(), s) != list.end();
}

// The UTF-8 sequence at text[i]: its code point and length; length 1 and code -1 when invalid.
long DecodeAt(const CString& text, size_t i, size_t& length, bool surrogates) {
    const unsigned char lead = text[i];
    length = 1;
    if (lead < 0x80) return lead;
    size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (n == 0 || i + n > text.size()) return -1;
    long code = lead & (0xFF >> (n + 1));
    for (size_t k = 1; k < n; ++k) {
        if ((text[i + k] & 0xC0) != 0x80) return -1;
        code = code * 64 + (text[i + k] & 0x3F);
    }
    const long least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[n] || code > 0x10FFFF || (!surrogates && code >= 0xD800 && code <= 0xDFFF)) return -1;
    length = n;
    return code;
}

// The code point of a byte above 0x7F in an 8-bit encoding, from the code charts; -1: none.
long EightBit(unsigned char byte, SourceEncoding encoding) {
    // windows-1252 from 0x80 ("?": no character) and ISO-8859-15 from 0xA0 ("-": as ISO-8859-1).
    static const std::u16string cp1252 = u"€?‚ƒ„…†‡ˆ‰Š‹Œ?Ž??‘’“”•–—˜™š›œ?žŸ", latin9 = u"----€-Š-š-----------Ž---ž---ŒœŸ";
    long code = encoding == SourceEncoding::AsciiOnly || encoding == SourceEncoding::Utf8 ? -1 : byte;
    if (encoding == SourceEncoding::Windows1252 && byte < 0xA0)
        code = cp1252[byte - 0x80] == u'?' ? -1 : cp1252[byte - 0x80];
    if (encoding == SourceEncoding::Latin9 && byte >= 0xA0 && byte < 0xBF && latin9[byte - 0xA0] != u'-')
        code = latin9[byte - 0xA0];
    return code;
}

// Letters, digits and combining marks by the table; "_" and ASCII letters and digits.
bool Kept(long code) {
    if (code < 0x80) return code == '_' || std::isalnum(static_cast<int>(code));
    for (const auto& range : kNameCharacterRanges)
        if (range[0] <= static_cast<uint32_t>(code) && static_cast<uint32_t>(code) <= range[1]) return true;
    return false;
}

CString Sanitised(const CString& token, SourceEncoding encoding) {
    const bool utf8 = encoding == SourceEncoding::Utf8 || encoding == SourceEncoding::Utf16;
    CString value;
    for (size_t i = 0, length = 1; i < token.size(); i += length) {
        length = 1;
        const long code = utf8 ? DecodeAt(token, i, length, encoding == SourceEncoding::Utf16)
                         : static_cast<unsigned char>(token[i]) < 0x80 ? token[i]
                                                                        : EightBit(token[i], encoding);
        if (!Kept(code)) {
            value += '_';
        } else if (code < 0x80 || utf8) {
            value += token.substr(i, length);
        } else { // every letter of an 8-bit encoding lies below U+0800: two bytes
            value += {static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 0x3F))};
        }
    }
    return value;
}

struct Run {
    const ChunkOptions& options;
    SourceEncoding encoding;
    CString folder, sourcePath;
    CStringList nameKeys, usedNames, givenKeys;
    int unnamedCount = 0;
    Result result;

    // What a find-first-file search finds in the folder that started empty.
    bool Exists(const CString& path) const {
        for (const auto& file : result.files)
            if (Key(file.first) == Key(path)) return true;
        for (const CString& sub : result.folders)
            if (Key(sub) == Key(path)) return true;
        return false;
    }

    // rest: the text from the character that ended the start tag.
    CString ChunkPath(const CString& tag, const CString& rest) {
        CString folderPart = folder + kPathSeparator;
        if (options.m_bSubfolders) // a device name as a folder is numbered once, as a stem is
            folderPart += (IsDeviceName(tag) ? tag.substr(0, tag.find('.')) + "(1)" +
                                                   (tag.find('.') == CString::npos ? "" : tag.substr(tag.find('.')))
                                             : tag) +
                          kPathSeparator;
        CString prefix;
        if (options.m_bEmitPrefix) {
            prefix = options.m_bUseSource ? sourcePath.substr(sourcePath.rfind(kPathSeparator) + 1) : options.m_strPrefix;
            if (options.m_bUseSource) std::replace(prefix.begin(), prefix.end(), '.', '_');
            if (options.m_bAppendTagname) prefix += (prefix.empty() ? "" : "_") + tag;
        }
        if (!prefix.empty()) prefix += "_";

        size_t nested = std::min(rest.find("<" + tag + ">"), rest.find("<" + tag + " "));
        size_t end = rest.find("</" + tag + ">");
        CString region = end == CString::npos ? CString() : rest.substr(0, std::min(nested, end));
        CString name;
        for (const CString& key : nameKeys) {
            CString value = region.empty() ? CString() : ReadKeyValue(region, key, encoding);
            if (!value.empty()) name += (name.empty() ? "" : "_") + value;
        }
        // Too long a file name loses whole characters from its end (room kept for "(nnnnnn)").
        const size_t room = 255 - std::min<size_t>(255, prefix.size() + 1 + options.m_strExt.size() + 8);
        while (room != 0 && name.size() > room) {
            size_t last = name.size() - 1;
            while (last > 0 && (static_cast<unsigned char>(name[last]) & 0xC0) == 0x80)
                --last;
            name.erase(last);
        }
        bool duplicate = false;
        if (!name.empty()) {
            duplicate = Contains(usedNames, name);
            if (!duplicate) usedNames.push_back(name);
        } else {
            char number[16];
            std::snprintf(number, sizeof number, "%04d", ++unnamedCount);
            name = number;
        }
        const CString ext = "." + options.m_strExt;
        CString candidate = folderPart + prefix + name + ext;
        if (candidate == sourcePath || duplicate || !options.m_bOverwrite || Contains(givenKeys, Key(candidate)) ||
            IsDeviceName(candidate)) {
            // The number follows the name, or a device name that stays one whatever follows it.
            CString before = prefix + name, after;
            size_t slash = before.rfind(kPathSeparator);
            size_t dot = before.find('.', slash == CString::npos ? 0 : slash + 1);
            if (IsDeviceName(candidate) && dot != CString::npos)
                after = before.substr(dot), before.erase(dot);
            for (int n = 1; Exists(candidate) || IsDeviceName(candidate) || Contains(givenKeys, Key(candidate)); ++n)
                candidate = folderPart + before + "(" + std::to_string(n) + ")" + after + ext;
        }
        givenKeys.push_back(Key(candidate));
        return candidate;
    }
};

struct ChunkFile {
    CString path;
    bool open;
};

} // namespace

CString Stored(const CString& text) {
    if (!kTextModeConverts) return text;
    CString bytes;
    for (char c : text)
        bytes += c == '\n' ? CString("\r\n") : CString(1, c);
    return bytes;
}

CString ReadAsText(const CString& bytes) {
    if (!kTextModeConverts) return bytes;
    CString text;
    for (size_t i = 0; i < bytes.size() && bytes[i] != '\x1a'; ++i)
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) text += bytes[i];
    if (!text.empty() && text.back() != '\n') text += '\n';
    return text;
}

bool FromUtf16(const CString& bytes, CString& text, bool& bigEndian) {
    const CString start = bytes.substr(0, 4);
    bigEndian = start.rfind("\xfe\xff", 0) == 0;
    if (!bigEndian && (start.rfind("\xff\xfe", 0) != 0 || start == CString("\xff\xfe\0\0", 4))) return false;
    auto unit = [&](size_t i) -> uint32_t {
        const auto first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? first << 8 | second : second << 8 | first;
    };
    auto in = [](uint32_t code, uint32_t low, uint32_t high) { return code >= low && code <= high; };
    text.clear();
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        uint32_t code = unit(i);
        const uint32_t next = i + 3 < bytes.size() ? unit(i + 2) : 0;
        if (kTextModeConverts && code == '\r' && next == '\n') continue;
        if (in(code, 0xD800, 0xDBFF) && in(next, 0xDC00, 0xDFFF)) code = 0x10000 + ((code - 0xD800) << 10) + (unit(i += 2) - 0xDC00);
        const int tail = code < 0x80 ? 0 : code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
        text += static_cast<char>(tail == 0 ? code : (0xFF80 >> tail & 0xFF) | code >> (6 * tail));
        for (int k = tail - 1; k >= 0; --k)
            text += static_cast<char>(0x80 | (code >> (6 * k) & 0x3F));
    }
    if (bytes.size() % 2 != 0) {
        const auto last = static_cast<unsigned char>(bytes.back());
        text += {'\xff', static_cast<char>(0x80 | last >> 4), static_cast<char>(0x80 | (last & 0x0F))};
    }
    if (kTextModeConverts && !text.empty() && text.back() != '\n') text += '\n';
    return true;
}

CString ToUtf16(const CString& text, bool bigEndian) {
    CString out;
    auto put = [&](uint32_t unit) {
        out += static_cast<char>(bigEndian ? unit >> 8 : unit & 0xFF);
        out += static_cast<char>(bigEndian ? unit & 0xFF : unit >> 8);
    };
    put(0xFEFF);
    auto byte = [&](size_t i) -> uint32_t { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0; };
    for (size_t i = text.rfind("\xef\xbb\xbf", 0) == 0 ? 3 : 0; i < text.size();) {
        const uint32_t lead = byte(i);
        if (lead == 0xFF) { // an odd last byte of the source
            out += static_cast<char>((byte(i + 1) & 0x0F) << 4 | (byte(i + 2) & 0x0F));
            i += 3;
            continue;
        }
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        uint32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (size_t k = 1; k < length; ++k)
            code = code << 6 | (byte(i + k) & 0x3F);
        i += length;
        if (code >= 0x10000) {
            put(0xD800 + ((code - 0x10000) >> 10));
            code = 0xDC00 + ((code - 0x10000) & 0x3FF);
        }
        put(code);
    }
    return out;
}

CStringList SplitKeyText(const CString& text) {
    CStringList words;
    Tokens tokens{text};
    for (CString word; tokens.Next(" ,", word);)
        words.push_back(word);
    return words;
}

int StripMarkup(CString& text) {
    int removed = 0;
    while (RemoveFirst(text, "<?") || RemoveFirst(text, "<!"))
        ++removed;
    return removed;
}

namespace {

// The encoding an XML declaration at the start of text names, in lower case; "" when none.
CString Declared(const CString& text) {
    static const std::regex declaration("^(\xef\xbb\xbf)?<\\?xml[ \t\r\n][^>]*?encoding[ \t\r\n]*=[ \t\r\n]*([\"'])([^>]*?)\\2");
    std::smatch match;
    return std::regex_search(text, match, declaration) ? CString(match[3]) : CString();
}

CString Lower(CString name) {
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

// The events of a source that is not cut for its encoding, or of a preamble that denies it.
CStringList EncodingEvents(const CString& text, const CString& preamble, bool utf16) {
    const CString lower = utf16 ? CString() : Lower(Declared(text));
    CString refused;
    for (const char* name : {"utf-16", "utf-32", "ucs-2", "ucs-4", "iso-10646-ucs"})
        if (lower.rfind(name, 0) == 0) refused = Declared(text);
    const CString start = text.substr(0, 4), le32 = CString("<\0\0\0", 4), be32 = CString("\0\0\0<", 4);
    if (start == CString("\xff\xfe\0\0", 4) || start == le32) refused = "UTF-32 (little-endian)";
    else if (start == CString("\0\0\xfe\xff", 4) || start == be32) refused = "UTF-32 (big-endian)";
    else if (start.rfind("\xff\xfe", 0) == 0 || start.rfind(le32.substr(0, 2), 0) == 0) refused = "UTF-16 (little-endian)";
    else if (start.rfind("\xfe\xff", 0) == 0 || start.rfind(be32.substr(2), 0) == 0) refused = "UTF-16 (big-endian)";
    if (!refused.empty() && !utf16)
        return {"Unsupported source encoding: " + refused + ". Save the source as UTF-8 and process it again."};
    const CString is = utf16 ? "UTF-16"
                       : text.rfind("\xef\xbb\xbf", 0) == 0 || Declared(text).empty() ? "UTF-8"
                                                                                     : Declared(text);
    const CString said = Declared(preamble);
    bool knownSaid = false, knownIs = false; // the names of encodings: the engine's table
    const bool sameKnown = EncodingByName(said, knownSaid) == EncodingByName(is, knownIs);
    const bool same = knownSaid || knownIs ? knownSaid && knownIs && sameKnown : Lower(said) == Lower(is);
    if (said.empty() || same) return {};
    return {"The preamble declares the encoding " + said + ", the source " + is +
            ". Use line 1 of the source file as the preamble."};
}

// How a text's key values are read: its byte order mark, else its XML declaration, else UTF-8.
SourceEncoding EncodingOf(const CString& text) {
    bool known = false;
    if (!FileNamesTakeUnicode()) return SourceEncoding::AsciiOnly;
    if (text.compare(0, 3, "\xef\xbb\xbf") == 0 || Declared(text).empty()) return SourceEncoding::Utf8;
    return EncodingByName(Declared(text), known);
}

} // namespace

CString ReadKeyValue(const CString& region, const CString& key, SourceEncoding encoding) {
    CString text = region;
    StripMarkup(text);
    Tokens tokens{text};
    bool found = false;
    for (CString token, rest; tokens.Next("<=\">", token);) {
        const char* white = " \t\n\v\f\r";
        size_t first = token.find_first_not_of(white);
        if (first == CString::npos) continue;
        token = token.substr(first, token.find_last_not_of(white) + 1 - first);
        if (found) return Sanitised(token, encoding);
        if (token.compare(0, key.size() + 1, key + " ") == 0) {
            tokens.Next(">", rest);
            found = true;
        } else if (token.find(key) != CString::npos) {
            found = true;
        }
    }
    return CString();
}

bool IsDeviceName(const CString& path) {
    CString stem = path.substr(path.rfind(kPathSeparator) + 1);
    stem = stem.substr(0, stem.find('.'));
    for (char& c : stem)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    for (const char* device : {"CON", "PRN", "AUX", "NUL"})
        if (stem == device) return true;
    if (stem.size() == 5 && stem[3] == '\xC2') stem.erase(3, 1); // a superscript digit in UTF-8
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           ((stem[3] >= '1' && stem[3] <= '9') || stem[3] == '\xB9' || stem[3] == '\xB2' || stem[3] == '\xB3');
}

Result RunChunks(const ChunkOptions& options, const CString& levelText, const CString& keyText,
                 const CString& sourcePath, const CString& folder, const CString& text, bool utf16) {
    const SourceEncoding wide = FileNamesTakeUnicode() ? SourceEncoding::Utf16 : SourceEncoding::AsciiOnly;
    Run run{options, utf16 ? wide : EncodingOf(text), folder, sourcePath, SplitKeyText(keyText), {}, {}, 0, {}};
    const CStringList levelTags = SplitKeyText(levelText);
    Result& result = run.result;
    CString preamble = options.m_strPreamble;
    if (options.m_bUseLine1 && !text.empty()) preamble = text.substr(0, std::min(text.find('\n'), text.size() - 1) + 1);
    if (!options.m_bEmitPreamble) preamble.clear();
    result.events = EncodingEvents(text, preamble, utf16);
    if (!result.events.empty() && result.events[0].rfind("Unsupported", 0) == 0) return result;

    std::vector<ChunkFile> open;
    bool inTag = false, closing = false, started = false;
    CString tagText, tagName;
    auto write = [&](const CString& s) {
        if (!open.empty() && open.back().open) result.files[open.back().path] += Stored(s);
    };
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '<') {
            if (inTag) write(tagText); // the abandoned tag stays in the chunk as text
            tagName.clear();
            inTag = true;
            closing = false;
            tagText = "<";
        } else if (inTag && c == '/') {
            closing = true;
            tagText += c;
        } else if (inTag && (c == '>' || c == ' ')) {
            tagText += c;
            inTag = false;
            bool level = Contains(levelTags, tagName);
            if (level && !closing) {
                started = true;
                ChunkFile chunk{run.ChunkPath(tagName, text.substr(i)), false};
                CString sub = chunk.path.substr(0, chunk.path.rfind(kPathSeparator));
                if (options.m_bSubfolders && result.folders.insert(sub).second)
                    result.events.insert(result.events.end(), {"Created sub-folder: " + sub, ""});
                // A folder cannot be opened as a file, nor a name longer than the file system takes.
                chunk.open = result.folders.count(chunk.path) == 0 && chunk.path.size() - sub.size() <= 256;
                if (chunk.open)
                    result.files[chunk.path] = Stored(preamble + tagText);
                else
                    result.events.push_back("Unable to open file: " + chunk.path);
                open.push_back(chunk);
            } else if (level && !open.empty()) {
                ChunkFile chunk = open.back();
                open.pop_back();
                if (chunk.open) {
                    result.files[chunk.path] += Stored(tagText + (options.m_bEmitPostamble ? options.m_strPostamble : ""));
                    result.events.push_back(chunk.path);
                }
            } else if (!level) {
                write(tagText);
            }
            tagText.clear();
            tagName.clear();
        } else if (inTag) {
            tagText += c;
            tagName += c;
        } else {
            write(CString(1, c));
        }
    }
    if (inTag) write(tagText);
    if (!started) result.events.push_back("No chunk level tag found: " + levelText);
    return result;
}

} // namespace reference

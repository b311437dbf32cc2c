#include "Reference.h"

#include "platform/FileSystem.h"
#include "platform/TextMode.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
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

struct Run {
    const ChunkOptions& options;
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
            CString value = region.empty() ? CString() : ReadKeyValue(region, key);
            if (!value.empty()) name += (name.empty() ? "" : "_") + value;
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

CString ReadKeyValue(const CString& region, const CString& key) {
    CString text = region;
    StripMarkup(text);
    Tokens tokens{text};
    bool found = false;
    for (CString token, rest; tokens.Next("<=\">", token);) {
        const char* white = " \t\n\v\f\r";
        size_t first = token.find_first_not_of(white);
        if (first == CString::npos) continue;
        token = token.substr(first, token.find_last_not_of(white) + 1 - first);
        if (found) {
            for (char& c : token)
                if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
                    c = '_';
            return token;
        }
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
                 const CString& sourcePath, const CString& folder, const CString& text) {
    Run run{options, folder, sourcePath, SplitKeyText(keyText), {}, {}, 0, {}};
    const CStringList levelTags = SplitKeyText(levelText);
    Result& result = run.result;
    CString preamble = options.m_strPreamble;
    if (options.m_bUseLine1 && !text.empty()) preamble = text.substr(0, std::min(text.find('\n'), text.size() - 1) + 1);
    if (!options.m_bEmitPreamble) preamble.clear();

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
